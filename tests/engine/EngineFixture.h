#pragma once

#include "FakeDesk.h"
#include "LogCapture.h"
#include "engine/NimbrelEngine.h"
#include "model/SettingsStore.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <memory>

namespace nimbrel::test {

// Stands in for the window manager: remembers what it was handed.
class RecordingExecutor final : public RuleActionExecutor {
  public:
    void executeRuleActions(const std::vector<NimbrelRuleAction>& actions) override { executed.push_back(actions); }
    bool handleBrowserRuleGroupDockTap(const RunningApplication& app) override {
        browserChecks.append(app.localizedName.value_or(QString()));
        return takeBrowserClicks;
    }
    std::vector<std::vector<NimbrelRuleAction>> executed;
    QStringList browserChecks;
    bool takeBrowserClicks = false;
};

struct Activity {
    NimbrelActivityType type;
    QString title;
    QString message;
};

// An engine over the fake desk and virtual time, with rules answered by the test.
class EngineFixture : public ::testing::Test {
  protected:
    EngineFixture() : files(QStringLiteral("/nonexistent-mac-root"), QStringLiteral("/Users/anna")) {
        platform.scheduler = &scheduler;
        platform.clock = &scheduler;
        platform.defaults = &defaults;
        platform.files = &files;
        platform.workspace = &desk;
        platform.accessibility = &desk;
        platform.screens = &desk;
        platform.input = &desk;
        scoped = std::make_unique<ScopedPlatform>(platform);

        NimbrelEngine::Options options;
        options.services.behaviorMode = [this] { return NimbrelSettingsStore::currentBehaviorMode(defaults); };
        options.services.minimizeAfterCycle = [this] {
            return NimbrelSettingsStore::currentMinimizeAfterCycle(defaults);
        };
        options.services.rulesForDockTap = [this](const NimbrelRuleAppTarget& app, int clickCount) {
            ruleQueries.push_back({app, clickCount});
            std::vector<NimbrelRule> out;
            for (const auto& rule : rules)
                if (rule.trigger.clickCount == clickCount) out.push_back(rule);
            return out;
        };
        options.services.recordActivity = [this](NimbrelActivityType type, const QString& title,
                                                 const QString& message) {
            activities.push_back({type, title, message});
        };
        options.executor = &executor;
        engine = std::make_unique<NimbrelEngine>(platform, std::move(options));
    }
    ~EngineFixture() override {
        engine.reset();
        resetSharedInstances();
    }

    void setMode(const char* raw) {
        defaults.setString(QStringLiteral("Nimbrel.settings.behaviorMode"), QString::fromUtf8(raw));
    }

    // A press and release on a tile, handled as the monitor does, then the tap's wait.
    void tap(const QString& tile, int presses = 1) {
        for (int i = 0; i < presses; ++i) {
            engine->monitor().handleDockMouseDown(desk.tileCenter(tile));
            engine->monitor().handleMouseEvent({MouseEventType::leftMouseUp, {}, {}});
            scheduler.advance(0.05);
        }
        scheduler.advance(0.5);
    }
    // Pressed and held for `seconds`, then released.
    void hold(const QString& tile, double seconds) {
        engine->monitor().handleDockMouseDown(desk.tileCenter(tile));
        scheduler.advance(seconds);
        engine->monitor().handleMouseEvent({MouseEventType::leftMouseUp, {}, {}});
    }

    static NimbrelRule rule(const QString& name, int clickCount, std::vector<NimbrelRuleAction> actions) {
        NimbrelRule r;
        r.id = Uuid::random();
        r.name = name;
        r.trigger.clickCount = clickCount;
        r.actions = std::move(actions);
        return r;
    }
    static NimbrelRuleAction folderAction(const QString& name, const QString& path) {
        OpenFolderRuleAction a;
        a.folder = NimbrelFolderTarget{name, path};
        return NimbrelRuleAction::openFolder(a);
    }

    LogCapture log;
    VirtualScheduler scheduler;
    InMemoryUserDefaults defaults;
    LocalFileSystem files;
    FakeDesk desk;
    Platform platform;
    std::unique_ptr<ScopedPlatform> scoped;
    RecordingExecutor executor;
    std::vector<NimbrelRule> rules;
    std::vector<std::pair<NimbrelRuleAppTarget, int>> ruleQueries;
    std::vector<Activity> activities;
    std::unique_ptr<NimbrelEngine> engine;
};

} // namespace nimbrel::test
