#include "SessionsFixture.h"

#include "platform/Alerts.h"

#include <unistd.h>

namespace nimbrel::test {
namespace {

class SessionsAppBlocking : public SessionsFixture {
  protected:
    sim::App& startApp(const QString& path, const QString& id, const QString& name,
                       ActivationPolicy policy = ActivationPolicy::regular) {
        mac.installApplication(path, id, name);
        sim::App& app = mac.startApplication(*mac.installedApplication(id), false, false);
        app.policy = policy;
        return app;
    }
    QStringList runningNames() {
        QStringList names;
        for (const sim::App& a : mac.apps())
            names << a.name;
        return names;
    }
    QStringList blocked() const {
        QStringList out;
        for (const QString& a : activities)
            if (a.startsWith("App Blocked by Session: ")) out << a.mid(24);
        return out;
    }
    size_t alertCount() { return simulated.alerts().alertsShown().size(); }
};

TEST_F(SessionsAppBlocking, OnePassClosesEveryDisallowedAppAndShowsOneAlertAfterIt) {
    startApp("/Applications/Helper.app", "com.example.helper", "Helper", ActivationPolicy::accessory);
    startApp("/Applications/Nimbrel.app", "com.nimbrel.app", "Nimbrel");
    storeSessions({workSession()});
    store = NimbrelSessionsStore::create(platform, outside.parts());
    store->applyPauseState(); // the bootstrap's pass, before the queued one

    EXPECT_EQ(blocked(), (QStringList{"Finder was blocked because it is not allowed in Work.",
                                      "Google Chrome was blocked because it is not allowed in Work.",
                                      "Terminal was blocked because it is not allowed in Work.",
                                      "Mail was blocked because it is not allowed in Work."}));
    EXPECT_EQ(alertCount(), 0u); // the pass did not wait for the alert
    EXPECT_TRUE(store->isBlockedAlertShowing());

    scheduler.advance(0);
    ASSERT_EQ(alertCount(), 1u);
    const AlertRequest& alert = simulated.alerts().alertsShown().front();
    EXPECT_EQ(alert.messageText, "App Blocked by Session");
    EXPECT_EQ(alert.informativeText, "Finder is not allowed while the Work session is active. Only apps added to "
                                     "this session can open until the session ends or is disabled.");
    EXPECT_EQ(alert.buttons, (QStringList{"I Understand", "Cancel"}));
    EXPECT_EQ(alert.style, AlertStyle::warning);
    EXPECT_FALSE(store->isBlockedAlertShowing());
    for (const char* running : {"Safari", "Notes", "Helper", "Nimbrel", "Dock"})
        EXPECT_TRUE(runningNames().contains(running)) << running;
    for (const char* closed : {"Finder", "Google Chrome", "Terminal", "Mail"})
        EXPECT_FALSE(runningNames().contains(closed)) << closed;
}

TEST_F(SessionsAppBlocking, LaunchesWhileActiveAreClosedUnlessAllowed) {
    storeSessions({workSession()});
    makeStore();
    takeActivities();
    const size_t alertsBefore = alertCount();

    mac.launch(*mac.installedApplication("com.apple.TextEdit"), true, {});
    mac.launch(*mac.installedApplication("com.apple.iCal"), true, {});
    mac.launch(*mac.installedApplication("com.apple.Safari"), true, {});
    scheduler.advance(0.5);
    EXPECT_EQ(blocked(), (QStringList{"TextEdit was blocked because it is not allowed in Work.",
                                      "Calendar was blocked because it is not allowed in Work."}));
    EXPECT_EQ(alertCount(), alertsBefore + 1);
    EXPECT_FALSE(runningNames().contains("TextEdit"));
}

TEST_F(SessionsAppBlocking, NothingIsClosedWhenEverythingIsAllowedOrWhilePaused) {
    NimbrelSession open = workSession();
    open.whitelistAllApps = true;
    storeSessions({open});
    makeStore();
    EXPECT_TRUE(blocked().isEmpty());

    NimbrelSession strict = workSession();
    strict.id = open.id;
    setPause(true);
    store->updateSession(strict);
    mac.launch(*mac.installedApplication("com.apple.TextEdit"), true, {});
    scheduler.advance(NimbrelSessionsStore::kActivationInterval);
    EXPECT_TRUE(blocked().isEmpty());
    EXPECT_TRUE(runningNames().contains("TextEdit"));
}

TEST_F(SessionsAppBlocking, AnAppThatIgnoresTheRequestIsAskedAgainAtTheNextTick) {
    mac.appWithBundleId("com.apple.mail")->ignoresTerminate = true;
    NimbrelSession s = workSession();
    s.allowedApps.push_back({Uuid::random(), "Finder", QStringLiteral("com.apple.finder"), std::nullopt});
    s.whitelistedApps = {{Uuid::random(), "Chrome", QStringLiteral("com.google.Chrome"), std::nullopt},
                         {Uuid::random(), "Terminal", QStringLiteral("com.apple.Terminal"), std::nullopt}};
    storeSessions({s});
    makeStore();
    EXPECT_EQ(blocked().size(), 1);
    EXPECT_EQ(alertCount(), 1u);

    scheduler.advance(NimbrelSessionsStore::kActivationInterval);
    EXPECT_EQ(blocked().size(), 2);
    EXPECT_EQ(alertCount(), 2u);
    EXPECT_TRUE(runningNames().contains("Mail"));
}

TEST_F(SessionsAppBlocking, AnAppWithoutANameIsUnknownInTheLogAndNamedByItsBundleInTheAlert) {
    storeSessions({workSession()});
    makeStore();
    takeActivities();
    RunningApplication nameless;
    nameless.pid = 4242;
    nameless.bundleIdentifier = QStringLiteral("com.example.tool");
    nameless.bundlePath = QStringLiteral("/Applications/My.Tool.app");
    EXPECT_TRUE(store->blockIfNotAllowed(nameless));
    EXPECT_EQ(blocked(), QStringList{"Unknown App was blocked because it is not allowed in Work."});
    scheduler.advance(0);
    EXPECT_TRUE(simulated.alerts().alertsShown().back().informativeText.startsWith("My.Tool is not allowed"));

    nameless.bundlePath = QStringLiteral("/Applications/Tool.app/");
    EXPECT_TRUE(store->blockIfNotAllowed(nameless));
    scheduler.advance(0);
    EXPECT_TRUE(simulated.alerts().alertsShown().back().informativeText.startsWith("Tool is not allowed"));

    nameless.bundlePath.reset();
    EXPECT_TRUE(store->blockIfNotAllowed(nameless));
    scheduler.advance(0);
    EXPECT_TRUE(simulated.alerts().alertsShown().back().informativeText.startsWith("This app is not allowed"));
}

TEST_F(SessionsAppBlocking, AnEditOfTheActiveSessionCountsAtTheNextCheck) {
    storeSessions({workSession()});
    makeStore();
    RunningApplication tool;
    tool.pid = 4242;
    tool.localizedName = QStringLiteral("Tool");
    tool.bundleIdentifier = QStringLiteral("com.example.tool");
    tool.bundlePath = QStringLiteral("/Applications/Tool.app");
    EXPECT_TRUE(store->blockIfNotAllowed(tool));

    // Whitelisted by identifier, then by path, then taken off again.
    const std::optional<QString> none;
    const NimbrelSessionApp byIdentifier{Uuid::random(), "Tool", QStringLiteral("COM.example.Tool"), none};
    const NimbrelSessionApp byPath{Uuid::random(), "Tool", none, QStringLiteral("/Applications/Tool.app/")};
    const struct {
        std::vector<NimbrelSessionApp> whitelist;
        bool blocked;
    } edits[] = {{{byIdentifier}, false}, {{}, true}, {{byPath}, false}, {{}, true}};
    for (const auto& edit : edits) {
        NimbrelSession edited = store->activeSession().get().value();
        edited.whitelistedApps = edit.whitelist;
        store->updateSession(edited);
        EXPECT_EQ(store->blockIfNotAllowed(tool), edit.blocked) << edit.whitelist.size();
    }
}

// Which app is the program is the workspace's word: the simulated Mac's apps are never this process.
TEST_F(SessionsAppBlocking, AnAppWithThisProcesssIdIsBlockedLikeAnyOther) {
    storeSessions({workSession()});
    makeStore();
    takeActivities();
    mac.setLaunchPid("com.apple.TextEdit", int(::getpid()));
    mac.launch(*mac.installedApplication("com.apple.TextEdit"), true, {});
    scheduler.advance(0.5);
    EXPECT_EQ(blocked(), QStringList{"TextEdit was blocked because it is not allowed in Work."});
}

} // namespace
} // namespace nimbrel::test
