#pragma once

#include "LogCapture.h"
#include "activity/ActivityRecorder.h"
#include "engine/NimbrelEngine.h"
#include "platform/Files.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "support/QtPrinters.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace nimbrel::test {

// The whole engine as the program builds it (settings, rules store, activity log) over the
// simulated Mac's default desktop, in virtual time, with the window manager stood in for.
class SimEngineFixture : public ::testing::Test {
  protected:
    class Executor final : public RuleActionExecutor {
      public:
        void executeRuleActions(const std::vector<NimbrelRuleAction>& actions) override { executed.push_back(actions); }
        bool handleBrowserRuleGroupDockTap(const RunningApplication&) override { return false; }
        std::vector<std::vector<NimbrelRuleAction>> executed;
    };

    SimEngineFixture() : simulated(scheduler, scheduler, dir.filePath(QStringLiteral("mac"))), mac(simulated.mac()) {
        platform.scheduler = &scheduler;
        platform.clock = &scheduler;
        platform.notifications = &notifications;
        platform.defaults = &defaults;
        platform.locations = Locations::underRoot(dir.filePath(QStringLiteral("program")));
        simulated.fill(platform);
        scoped = std::make_unique<ScopedPlatform>(platform);
        activityToken = notifications.addObserver(kRecordActivityNotification, [this](const Notification& n) {
            activities.append(n.userInfo.value(QStringLiteral("title")).toString());
        });
        engine = std::make_unique<NimbrelEngine>(
            platform, NimbrelEngine::Options{EngineServices::standard(platform), &executor, kNimbrelBundleIdentifier});
        engine->startMonitoring();
    }
    ~SimEngineFixture() override {
        engine.reset();
        scheduler.advance(0);
        resetSharedInstances();
    }

    sim::App& app(const QString& bundleId) { return *mac.appWithBundleId(bundleId); }
    Point tile(const QString& title) const {
        for (const sim::DockTile& t : mac.dockTiles())
            if (t.title == title) return {t.frame.midX(), t.frame.midY()};
        ADD_FAILURE() << "no Dock tile " << title.toStdString();
        return {};
    }
    // Presses and releases after `holdFor` seconds; the Dock itself acts on the release.
    void click(const QString& title, double holdFor = 0.05) {
        mac.mouseDown(tile(title));
        scheduler.advance(holdFor);
        mac.mouseUp();
    }
    QStringList writes() {
        const auto texts = mac.recorder().texts(sim::EventKind::accessibilityWrite);
        return QStringList(texts.begin(), texts.end());
    }
    void setMode(const char* raw) {
        defaults.setString(QStringLiteral("Nimbrel.settings.behaviorMode"), QString::fromUtf8(raw));
    }

    QTemporaryDir dir;
    LogCapture log;
    VirtualScheduler scheduler;
    NotificationCenter notifications;
    InMemoryUserDefaults defaults;
    sim::SimulatedPlatform simulated;
    sim::SimulatedMac& mac;
    sim::SimAccessibility& ax = simulated.accessibility();
    sim::SimWorkspace& workspace = simulated.workspace();
    Platform platform;
    std::unique_ptr<ScopedPlatform> scoped;
    ObserverToken activityToken;
    QStringList activities;
    Executor executor;
    std::unique_ptr<NimbrelEngine> engine;
};

} // namespace nimbrel::test
