#include "SimFixture.h"

#include <atomic>
#include <thread>

namespace nimbrel::sim::testing {
namespace {

using WorkspaceRequests = SimTest;

TEST_F(WorkspaceRequests, HideUnhideActivateAndTerminateAreRecorded) {
    App& notes = appNamed(QStringLiteral("Notes"));
    const int pid = notes.pid;
    EXPECT_TRUE(sim.workspace().activate(pid, ActivationOptions{true, false}));
    EXPECT_TRUE(sim.workspace().hide(pid));
    EXPECT_TRUE(sim.workspace().runningApplication(pid)->isHidden);
    EXPECT_FALSE(sim.workspace().runningApplication(pid)->isActive);
    EXPECT_TRUE(sim.workspace().unhide(pid));
    EXPECT_FALSE(sim.workspace().hide(mac().dockPid())); // the Dock cannot be hidden
    EXPECT_FALSE(sim.workspace().terminate(mac().dockPid()));
    EXPECT_TRUE(sim.workspace().terminate(pid));
    EXPECT_FALSE(sim.workspace().activate(pid));
    EXPECT_EQ(sim.workspace().runningApplication(pid), std::nullopt);
    const auto lines = mac().recorder().texts(EventKind::workspace);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], QStringLiteral("activate Notes (all windows) -> ok"));
    EXPECT_EQ(lines[4], QStringLiteral("terminate Dock -> refused"));
    EXPECT_EQ(lines[5], QStringLiteral("terminate Notes -> ok"));
    EXPECT_EQ(lines[6], QStringLiteral("activate pid %1 -> refused").arg(pid));
}

TEST_F(WorkspaceRequests, OpenURLsWithABrowserAddsTabsWithoutActivating) {
    const int front = mac().frontmostPid();
    bool done = false;
    OpenConfiguration quiet;
    quiet.activates = false;
    sim.workspace().openURLs({QStringLiteral("https://a.example/"), QStringLiteral("https://b.example/")},
                             QStringLiteral("/Applications/Google Chrome.app"), quiet,
                             [&](std::optional<RunningApplication> app, std::optional<WorkspaceError> error) {
                                 done = app.has_value() && !error;
                             });
    scheduler.runUntilIdle();
    EXPECT_TRUE(done);
    const Window& w = appNamed(QStringLiteral("Google Chrome")).windows.front();
    ASSERT_EQ(w.tabs.size(), 4u);
    EXPECT_EQ(w.tabs[3].url, QStringLiteral("https://b.example/"));
    EXPECT_EQ(mac().frontmostPid(), front);
}

TEST_F(WorkspaceRequests, MailLinksFilesAndIcons) {
    EXPECT_TRUE(sim.workspace().open(QStringLiteral("mailto:someone@example.com")));
    EXPECT_EQ(appNamed(QStringLiteral("Mail")).windows.front().title, QStringLiteral("New Message"));
    QDir().mkpath(mac().realPath(QStringLiteral("/Users/anna/Documents")));
    QFile note(mac().realPath(QStringLiteral("/Users/anna/Documents/note.txt")));
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.close();
    EXPECT_TRUE(sim.workspace().open(QStringLiteral("/Users/anna/Documents/note.txt")));
    EXPECT_FALSE(sim.workspace().open(QStringLiteral("relative/path")));
    EXPECT_EQ(sim.workspace().iconPath(QStringLiteral("/Applications/Safari.app")),
              QStringLiteral("/Applications/Safari.app/Contents/Resources/AppIcon.icns"));
    EXPECT_TRUE(sim.workspace().iconPath(QStringLiteral("/Users/anna/Documents")).contains(QStringLiteral("Folder")));
}

TEST_F(WorkspaceRequests, AlertsAndOpenPanelsAnswerAsScripted) {
    SimAlerts& alerts = sim.alerts();
    AlertRequest request{QStringLiteral("Browser Automation Permission Needed"),
                         QStringLiteral("..."),
                         AlertStyle::informational,
                         {QStringLiteral("Open Automation Settings"), QStringLiteral("Not Now")}};
    EXPECT_EQ(alerts.runModal(request), kAlertFirstButtonReturn);
    alerts.answerNextAlert(1);
    EXPECT_EQ(alerts.runModal(request), kAlertSecondButtonReturn);
    alerts.answerNextAlert(7); // no such button: the first
    EXPECT_EQ(alerts.runModal(request), kAlertFirstButtonReturn);
    ASSERT_EQ(alerts.alertsShown().size(), 3u);
    EXPECT_EQ(alerts.alertsShown()[1].buttons[1], QStringLiteral("Not Now"));
    // An alert that stays open: the world goes on in the loop until it answers; a scripted
    // answer still comes first.
    int looped = 0;
    alerts.setModalLoop([&](const AlertRequest& open) {
        ++looped;
        scheduler.advance(30);
        return int(open.buttons.size()) - 1;
    });
    const Date before = scheduler.now();
    EXPECT_EQ(alerts.runModal(request), kAlertSecondButtonReturn);
    EXPECT_EQ(scheduler.now(), before.addingSeconds(30));
    alerts.answerNextAlert(0);
    EXPECT_EQ(alerts.runModal(request), kAlertFirstButtonReturn);
    EXPECT_EQ(looped, 1);
    const std::vector<QString> lines = mac().recorder().texts(EventKind::alert);
    EXPECT_EQ(lines[lines.size() - 3],
              QStringLiteral("alert \"Browser Automation Permission Needed\" open: ... buttons=[Open Automation "
                             "Settings, Not Now]"));
    alerts.setModalLoop({});

    OpenPanelRequest panel;
    panel.canChooseDirectories = true;
    EXPECT_EQ(alerts.runOpenPanel(panel), std::nullopt);
    alerts.answerNextOpenPanel(QStringList{QStringLiteral("/Users/anna/Pictures/Wallpapers/Lake.jpg")});
    EXPECT_EQ(alerts.runOpenPanel(panel), QStringList{QStringLiteral("/Users/anna/Pictures/Wallpapers/Lake.jpg")});
    EXPECT_EQ(mac().recorder().texts(EventKind::alert).back(),
              QStringLiteral("open panel files=true folders=true -> [/Users/anna/Pictures/Wallpapers/Lake.jpg]"));
}

TEST_F(WorkspaceRequests, LoginItemsRegisterAndFail) {
    SimLoginItems& items = sim.loginItems();
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    items.setStatusAfterRegistering(LoginItemStatus::requiresApproval);
    EXPECT_TRUE(items.registerMainApp());
    EXPECT_EQ(items.status(), LoginItemStatus::requiresApproval);
    items.failNext(QStringLiteral("Operation not permitted"));
    QString error;
    EXPECT_FALSE(items.unregisterMainApp(&error));
    EXPECT_EQ(error, QStringLiteral("Operation not permitted"));
    EXPECT_EQ(items.status(), LoginItemStatus::requiresApproval);
    EXPECT_TRUE(items.unregisterMainApp(&error));
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
}

TEST_F(WorkspaceRequests, AScriptFromAnotherThreadWaitsForTheMainThread) {
    std::atomic<bool> finished = false;
    AppleScriptResult result;
    std::thread worker([&] {
        result = sim.appleScript().execute(QStringLiteral("tell application id \"com.apple.Terminal\" to activate"));
        finished = true;
    });
    // The main thread keeps turning its loop until the worker's script has been carried out.
    for (int turns = 0; !finished && turns < 2000000; ++turns) {
        scheduler.runUntilIdle();
        std::this_thread::yield();
    }
    worker.join();
    EXPECT_TRUE(finished);
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(mac().frontmostPid(), appNamed(QStringLiteral("Terminal")).pid);
}

} // namespace
} // namespace nimbrel::sim::testing
