#include "app/GlobalPause.h"
#include "app/NimbrelAppDelegate.h"
#include "app/ShellNames.h"
#include "platform/Log.h"
#include "shell/ShellTestSupport.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

using testing::RecordingSurface;
using testing::ShellPlatform;

// One ordered list of everything that happened: log lines and the neighbours' calls.
struct Trace {
    QStringList events;
};

class FakeEngine : public EngineControl {
  public:
    explicit FakeEngine(Trace& t, bool& trusted) : trace(t), trusted(trusted) {}
    void startMonitoring() override {
        trace.events << "engine.startMonitoring";
        if (!monitor && trusted) monitor = true; // no monitor without the permission
    }
    bool hasDockClickMonitor() const override { return monitor; }
    Trace& trace;
    bool& trusted;
    bool monitor = false;
};

class FakeSessions : public SessionsStoreHook {
  public:
    explicit FakeSessions(Trace& t) : trace(t) {}
    void applyGlobalPauseState() override { trace.events << "sessions.applyGlobalPauseState"; }
    Trace& trace;
};

class AppDelegateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setLogToStdout(false);
        previousSink_ = setLogSink([this](const QString& line) { trace.events << line; });
    }
    void TearDown() override {
        setLogSink(previousSink_);
        setLogToStdout(true);
    }

    ShellHooks hooks() {
        ShellHooks h;
        h.isProcessTrusted = [this] { return trusted; };
        h.engine = [this]() -> EngineControl& {
            if (!engineCreated) trace.events << "engine.created";
            engineCreated = true;
            return engine;
        };
        h.entitlement = [this](const QString& key) { return entitlements.value(key); };
        h.sessionsStore = &sessions;
        h.obtainRulesStore = [this] { trace.events << "rules.obtained"; };
        h.recordErrorActivity = [this](const QString& title, const QString& message) {
            trace.events << "activity.error:" + title;
            activityMessages << message;
        };
        h.iconCatalog = {[](const QString& n) { return n == "moon.fill" || n == "heart.fill"; },
                         [](const QString& n) { return n.startsWith("NIMBREL_MENU_BAR"); }};
        return h;
    }

    std::unique_ptr<NimbrelAppDelegate> launch() {
        auto d = std::make_unique<NimbrelAppDelegate>(env.platform, surface, hooks());
        d->applicationDidFinishLaunching();
        return d;
    }

    void grantEntitlements() {
        entitlements = {{"com.apple.developer.icloud-services", QStringList{"CloudKit"}},
                        {"com.apple.developer.icloud-container-identifiers", QStringList{"iCloud.com.nimbrel.app"}}};
    }

    ShellPlatform env;
    RecordingSurface surface;
    Trace trace;
    bool trusted = false;
    bool engineCreated = false;
    FakeEngine engine{trace, trusted};
    FakeSessions sessions{trace};
    QVariantMap entitlements;
    QStringList activityMessages;
    LogSink previousSink_;
};

TEST_F(AppDelegateTest, StartUpRunsInOrderAndWritesDarkAppearance) {
    grantEntitlements();
    trusted = true;
    auto d = launch();
    EXPECT_EQ(env.defaults.stringValue("AppleInterfaceStyle"), "Dark");
    EXPECT_EQ(surface.calls.mid(0, 3), (QStringList{"dark", "installStatusItem", "icon:NIMBREL_MENU_BAR"}));
    EXPECT_EQ(trace.events,
              (QStringList{"NimbrelApp: did finish launching", "engine.created", "engine.startMonitoring"}));
    EXPECT_TRUE(d->hasStatusItem());
    EXPECT_TRUE(d->isPermissionTimerRunning());

    env.scheduler.advance(0.99);
    EXPECT_EQ(trace.events.size(), 3);
    env.scheduler.advance(0.01);
    EXPECT_EQ(trace.events.mid(3),
              (QStringList{"NimbrelApp: bootstrapping cloud-backed stores", "sessions.applyGlobalPauseState",
                           "NimbrelApp: sessions store bootstrapped", "rules.obtained",
                           "NimbrelApp: rules store bootstrapped"}));
    // Trusted at launch: no panel opens by itself.
    env.scheduler.advance(5);
    EXPECT_FALSE(surface.panelCreated);
    EXPECT_FALSE(d->currentPanelMode());
}

TEST_F(AppDelegateTest, MissingEntitlementsRecordCloudSyncDisabledAndStartOnlyTheSessionsStore) {
    entitlements = {{"com.apple.developer.icloud-services", QStringList{"CloudKit-Anonymous"}},
                    {"com.apple.developer.icloud-container-identifiers", QStringList{"iCloud.com.nimbrel.app"}}};
    auto d = launch();
    env.scheduler.advance(1.0);
    EXPECT_TRUE(trace.events.contains("NimbrelApp: skipped cloud-backed store bootstrap because required CloudKit "
                                      "entitlements are missing from this signed app"));
    EXPECT_TRUE(trace.events.contains("activity.error:Cloud Sync Disabled"));
    EXPECT_EQ(activityMessages, QStringList{"This signed build is missing the required CloudKit entitlements. The app "
                                            "can run, but cloud sync is disabled."});
    EXPECT_FALSE(trace.events.contains("rules.obtained"));
    EXPECT_EQ(trace.events.mid(trace.events.indexOf("activity.error:Cloud Sync Disabled") + 1),
              QStringList{"sessions.applyGlobalPauseState"});
}

TEST_F(AppDelegateTest, EntitlementValuesAcceptTextOrListOfTextsOnly) {
    auto d = std::make_unique<NimbrelAppDelegate>(env.platform, surface, hooks());
    entitlements = {{"a", QString("CloudKit")},
                    {"b", QVariantList{QString("x"), QString("y")}},
                    {"c", true},
                    {"d", QVariantList{QString("x"), 3}}};
    EXPECT_EQ(d->entitlementValues("a"), QStringList{"CloudKit"});
    EXPECT_EQ(d->entitlementValues("b"), (QStringList{"x", "y"}));
    EXPECT_TRUE(d->entitlementValues("c").isEmpty());
    EXPECT_TRUE(d->entitlementValues("d").isEmpty());
    EXPECT_TRUE(d->entitlementValues("absent").isEmpty());

    entitlements = {{"com.apple.developer.icloud-services", QString("CloudKit")},
                    {"com.apple.developer.icloud-container-identifiers", QString("iCloud.com.nimbrel.app")}};
    d->applicationDidFinishLaunching();
    env.scheduler.advance(1);
    EXPECT_TRUE(trace.events.contains("rules.obtained"));
}

TEST_F(AppDelegateTest, WithoutPermissionOnboardingOpensAfterQuarterSecondThenSwitchesOnGrant) {
    auto d = launch();
    env.scheduler.advance(0.24);
    EXPECT_FALSE(surface.panelCreated);
    env.scheduler.advance(0.01);
    ASSERT_TRUE(surface.panelCreated);
    EXPECT_EQ(d->currentPanelMode(), PanelMode::Onboarding);
    EXPECT_EQ(surface.frame.width, 420);
    EXPECT_TRUE(surface.panelVisible);
    EXPECT_FALSE(engine.monitor);

    trusted = true;
    const double top = surface.frame.maxY();
    env.scheduler.advance(0.75);
    EXPECT_EQ(d->currentPanelMode(), PanelMode::Menu);
    EXPECT_TRUE(engine.monitor);
    EXPECT_EQ(surface.frame.width, 360);
    EXPECT_EQ(surface.frame.maxY(), top);
    EXPECT_TRUE(
        trace.events.contains("NimbrelApp: Accessibility permission detected, switching from onboarding to main menu"));
    EXPECT_EQ(surface.calls.count("content:menu"), 1);
    // Later ticks leave the menu and the monitor alone; the timer keeps running.
    env.scheduler.advance(3);
    EXPECT_EQ(surface.calls.count("content:menu"), 1);
    EXPECT_EQ(trace.events.count("engine.startMonitoring"), 2);
    EXPECT_TRUE(d->isPermissionTimerRunning());
}

TEST_F(AppDelegateTest, GrantedNotificationSwitchesAtOnceOnlyFromOnboarding) {
    auto d = launch();
    env.notifications.post(shell::kAccessibilityWasGranted); // no panel yet: nothing
    EXPECT_FALSE(d->currentPanelMode());
    env.scheduler.advance(0.25);
    trusted = true;
    env.notifications.post(shell::kAccessibilityWasGranted);
    EXPECT_EQ(d->currentPanelMode(), PanelMode::Menu);
    EXPECT_TRUE(trace.events.contains(QString::fromUtf8(
        "NimbrelApp: accessibility granted notification received \u2014 switching to main menu immediately")));
    EXPECT_FALSE(engine.monitor); // the next tick installs it
    env.scheduler.advance(0.75);
    EXPECT_TRUE(engine.monitor);
}

TEST_F(AppDelegateTest, GrantWhilePanelNeverShownInstallsMonitorButKeepsPanelClosed) {
    trusted = false;
    auto d = launch();
    surface.button.reset(); // the status button has no window: the onboarding show does nothing
    env.scheduler.advance(0.25);
    EXPECT_FALSE(surface.panelCreated);
    trusted = true;
    env.scheduler.advance(0.75);
    EXPECT_TRUE(engine.monitor);
    EXPECT_FALSE(surface.panelCreated);
}

TEST_F(AppDelegateTest, GrantWhileOnboardingHiddenShowsPanelAgainInMenuMode) {
    auto d = launch();
    env.scheduler.advance(0.25);
    d->togglePanel(); // hides
    EXPECT_FALSE(surface.panelVisible);
    trusted = true;
    env.scheduler.advance(0.75);
    EXPECT_TRUE(surface.panelVisible);
    EXPECT_EQ(surface.content, PanelMode::Menu);
}

TEST_F(AppDelegateTest, ToggleHidesWithoutClosingAndReopensWithSameContentAndTopEdge) {
    trusted = true;
    auto d = launch();
    d->togglePanel();
    EXPECT_EQ(d->currentPanelMode(), PanelMode::Menu);
    EXPECT_TRUE(surface.panelVisible);
    const ScreenRect shown = surface.frame;
    d->togglePanel();
    EXPECT_FALSE(surface.panelVisible);
    EXPECT_FALSE(surface.calls.contains("close"));
    surface.button = ScreenRect{1000, 876, 28, 24}; // the item moved; the top edge stays
    d->togglePanel();
    EXPECT_TRUE(surface.panelVisible);
    EXPECT_EQ(surface.calls.count("content:menu"), 1);
    EXPECT_EQ(surface.calls.count("createPanel"), 1);
    EXPECT_EQ(surface.frame.maxY(), shown.maxY());
    EXPECT_NE(surface.frame.x, shown.x);
}

TEST_F(AppDelegateTest, AskingForOnboardingWhileTrustedShowsMenuAndRevokedPermissionShowsOnboarding) {
    trusted = true;
    auto d = launch();
    d->showPanel(PanelMode::Onboarding);
    EXPECT_EQ(d->currentPanelMode(), PanelMode::Menu);
    d->togglePanel(); // hide
    trusted = false;
    d->togglePanel();
    EXPECT_EQ(d->currentPanelMode(), PanelMode::Onboarding);
    EXPECT_TRUE(trace.events.contains("NimbrelApp: showing panel mode=onboarding"));
}

TEST_F(AppDelegateTest, HeightNoticeAnimatesOnlyVisibleMenuPanelByMoreThanHalfAPoint) {
    trusted = true;
    auto d = launch();
    env.notifications.post(shell::kPanelHeightDidChange, {{"height", 600.0}}); // no panel
    d->togglePanel();
    const double top = surface.frame.maxY();
    env.notifications.post(shell::kPanelHeightDidChange, {{"height", 500.4}});
    env.notifications.post(shell::kPanelHeightDidChange, {{"height", QString("600")}});
    env.notifications.post(shell::kPanelHeightDidChange, {});
    EXPECT_FALSE(surface.calls.join(",").contains("animate"));
    env.notifications.post(shell::kPanelHeightDidChange, {{"height", 620.0}});
    EXPECT_TRUE(surface.calls.contains("animate:0.28"));
    EXPECT_EQ(surface.frame.height, 620);
    EXPECT_EQ(surface.frame.maxY(), top);
    d->togglePanel(); // hidden: ignored
    env.notifications.post(shell::kPanelHeightDidChange, {{"height", 500.0}});
    EXPECT_EQ(surface.frame.height, 620);
}

TEST_F(AppDelegateTest, IconFollowsSessionSymbolAndPauseNotices) {
    auto d = launch();
    env.notifications.post(shell::kSessionMenuBarIconDidChange, {{"symbolName", "moon.fill"}});
    EXPECT_EQ(surface.icon->name, "moon.fill");
    EXPECT_EQ(d->currentMenuBarIconName(), "moon.fill");
    env.notifications.post(shell::kSessionMenuBarIconDidChange, {{"symbolName", 7}});
    env.notifications.post(shell::kSessionMenuBarIconDidChange, {});
    EXPECT_EQ(surface.icon->name, "moon.fill");

    env.defaults.setDouble(pausekeys::kPauseUntilTimestamp, env.scheduler.now().unixSeconds() + 300);
    env.notifications.post(shell::kPauseStateDidChange);
    EXPECT_EQ(surface.icon->name, "NIMBREL_MENU_BAR_ORANGE");
    EXPECT_EQ(d->currentMenuBarIconName(), "moon.fill");
    env.scheduler.advance(301);
    env.notifications.post(shell::kPauseStateDidChange);
    EXPECT_EQ(surface.icon->name, "moon.fill");
    env.notifications.post(shell::kSessionMenuBarIconDidChange, {{"symbolName", "  "}});
    EXPECT_EQ(surface.icon->name, "NIMBREL_MENU_BAR");
}

TEST_F(AppDelegateTest, QuitRemovesPanelAndItemThenTerminatesAndExitsZeroAfterQuarterSecond) {
    trusted = true;
    auto d = launch();
    d->togglePanel();
    env.notifications.post(shell::kQuitRequested);
    const int out = surface.calls.indexOf("out");
    const int close = surface.calls.indexOf("close");
    const int removed = surface.calls.indexOf("removeStatusItem");
    const int terminate = surface.calls.indexOf("terminate");
    EXPECT_TRUE(out >= 0 && out < close && close < removed && removed < terminate);
    EXPECT_FALSE(d->hasPanel());
    EXPECT_FALSE(d->hasStatusItem());
    env.scheduler.advance(0.24);
    EXPECT_FALSE(surface.exitStatus);
    env.scheduler.advance(0.01);
    EXPECT_EQ(surface.exitStatus, 0);
    EXPECT_FALSE(d->applicationShouldTerminateAfterLastWindowClosed());
}

TEST_F(AppDelegateTest, TerminationRemovesObserversAndStopsTimer) {
    auto d = launch();
    d->applicationWillTerminate();
    EXPECT_FALSE(d->isPermissionTimerRunning());
    env.notifications.post(shell::kSessionMenuBarIconDidChange, {{"symbolName", "moon.fill"}});
    EXPECT_EQ(surface.icon->name, "NIMBREL_MENU_BAR");
    env.notifications.post(shell::kQuitRequested);
    EXPECT_FALSE(surface.calls.contains("terminate"));
}

TEST_F(AppDelegateTest, DelayedStepsDoNothingOnceDelegateIsGone) {
    grantEntitlements();
    auto d = launch();
    d.reset();
    env.scheduler.advance(2);
    EXPECT_FALSE(surface.panelCreated);
    EXPECT_FALSE(trace.events.contains("rules.obtained"));
    env.notifications.post(shell::kQuitRequested);
    EXPECT_FALSE(surface.calls.contains("terminate"));

    // Gone between the quit and its delayed exit: the exit does not come either.
    auto quitting = launch();
    env.notifications.post(shell::kQuitRequested);
    quitting.reset();
    env.scheduler.advance(1);
    EXPECT_FALSE(surface.exitStatus);
}

} // namespace
} // namespace nimbrel
