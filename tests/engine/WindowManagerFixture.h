#pragma once

#include "LogCapture.h"
#include "activity/ActivityRecorder.h"
#include "engine/PlacementGeometry.h"
#include "engine/WindowManager.h"
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

struct RecordedActivity {
    QString type;
    QString title;
    QString message;
};

// A window manager over the simulated Mac's default desktop, in virtual time: Finder with
// Downloads and Documents, Safari, Chrome, Terminal, Notes (on the external screen) and Mail;
// a 1728x1117 built-in screen and a 1920x1080 external screen to its right.
class WindowManagerFixture : public ::testing::Test {
  protected:
    WindowManagerFixture()
        : simulated(scheduler, scheduler, dir.filePath(QStringLiteral("mac"))), mac(simulated.mac()),
          ax(simulated.accessibility()), alerts(simulated.alerts()), appleScript(simulated.appleScript()) {
        simulated.fill(platform);
        platform.scheduler = &scheduler;
        platform.clock = &scheduler;
        platform.notifications = &notifications;
        platform.defaults = &defaults;
        platform.locations = Locations::underRoot(dir.filePath(QStringLiteral("program")));
        scoped = std::make_unique<ScopedPlatform>(platform);
        activityToken = notifications.addObserver(kRecordActivityNotification, [this](const Notification& n) {
            activities.push_back({n.userInfo.value(QStringLiteral("type")).toString(),
                                  n.userInfo.value(QStringLiteral("title")).toString(),
                                  n.userInfo.value(QStringLiteral("message")).toString()});
        });
        wm = std::make_unique<WindowManager>(platform);
    }
    ~WindowManagerFixture() override {
        wm.reset();
        scheduler.advance(0);
        resetSharedInstances();
    }

    // --- the Mac
    sim::App& app(const QString& bundleId) { return *mac.appWithBundleId(bundleId); }
    sim::App& finder() { return app(sim::kFinderBundleId); }
    sim::Window* finderWindow(const QString& title) {
        for (sim::Window& w : finder().windows)
            if (w.title == title) return &w;
        return nullptr;
    }
    QStringList finderTitles() {
        QStringList out;
        for (const sim::Window& w : finder().windows)
            out << w.title;
        return out;
    }
    AXElement element(const sim::App& a, const sim::Window& w) { return ax.windowElement(a.pid, w.id); }
    // A window's frame in AppKit coordinates, as placement frames are given.
    Rect appKitFrame(const sim::Window& w) const {
        return Rect(w.frame.minX(), mac.primaryHeight() - w.frame.maxY(), w.frame.width(), w.frame.height());
    }
    ScreenInfo screenInfo(int id) {
        const sim::Screen* s = mac.screen(id);
        return {s->id, s->name, s->frame, s->visibleFrame};
    }
    Rect expectedFrame(NimbrelWindowPlacement p, int screenId) {
        return *placement::frame(p, screenInfo(screenId).visibleFrame);
    }

    // --- what the program did
    int countActivities(const QString& title) const {
        int n = 0;
        for (const auto& a : activities)
            n += a.title == title;
        return n;
    }
    const RecordedActivity* activity(const QString& title) const {
        for (const auto& a : activities)
            if (a.title == title) return &a;
        return nullptr;
    }
    QStringList activityTitles() const {
        QStringList out;
        for (const auto& a : activities)
            out << a.title;
        return out;
    }
    std::vector<QString> workspaceEvents() { return mac.recorder().texts(sim::EventKind::workspace); }
    int countEvents(sim::EventKind kind, const QString& fragment) {
        int n = 0;
        for (const QString& t : mac.recorder().texts(kind))
            n += t.contains(fragment);
        return n;
    }

    static NimbrelDisplayTarget externalScreen(std::int64_t index = 0) {
        return {NimbrelDisplayTarget::Kind::external, index};
    }
    static NimbrelRuleAppTarget appTarget(const QString& name, std::optional<QString> bundleId,
                                          std::optional<QString> path = std::nullopt) {
        return {name, std::move(bundleId), std::move(path)};
    }
    static OpenFolderRuleAction folderAction(const QString& name, const QString& path,
                                             NimbrelWindowPlacement placement = NimbrelWindowPlacement::front) {
        OpenFolderRuleAction a;
        a.folder = {name, path};
        a.placement = placement;
        return a;
    }

    LogCapture log;
    QTemporaryDir dir;
    VirtualScheduler scheduler;
    sim::SimulatedPlatform simulated;
    sim::SimulatedMac& mac;
    sim::SimAccessibility& ax;
    sim::SimAlerts& alerts;
    sim::SimAppleScript& appleScript;
    NotificationCenter notifications;
    InMemoryUserDefaults defaults;
    Platform platform;
    std::unique_ptr<ScopedPlatform> scoped;
    ObserverToken activityToken;
    std::vector<RecordedActivity> activities;
    std::unique_ptr<WindowManager> wm;
};

} // namespace nimbrel::test
