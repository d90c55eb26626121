#include "WindowManagerFixture.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {
const QString kTextEdit = QStringLiteral("com.apple.TextEdit");
const QString kNotes = QStringLiteral("com.apple.Notes");
using P = NimbrelWindowPlacement;
} // namespace

using WindowPlacementTest = WindowManagerFixture;

TEST_F(WindowPlacementTest, LaunchedAppEndsExactlyOnTheLeftHalfOfTheExternalScreen) {
    // The external screen is 1080 pt high beside a 1117 pt primary: a turn of y through the
    // wrong screen would put the window 37 pt off.
    ASSERT_NE(mac.screen(1)->frame.height(), mac.screen(2)->frame.height());
    wm->apps().openApp(appTarget(QStringLiteral("TextEdit"), kTextEdit), P::leftHalf, externalScreen());
    EXPECT_TRUE(log.contains(QStringLiteral("NimbrelWindowManager: opening app com.apple.TextEdit")));
    scheduler.advance(2.0);

    sim::App* textEdit = mac.appWithBundleId(kTextEdit);
    ASSERT_NE(textEdit, nullptr);
    ASSERT_FALSE(textEdit->windows.empty());
    EXPECT_EQ(appKitFrame(textEdit->windows.front()), expectedFrame(P::leftHalf, 2));
    ASSERT_NE(activity(QStringLiteral("App Opened")), nullptr);
    EXPECT_EQ(activity(QStringLiteral("App Opened"))->message, QStringLiteral("Opened TextEdit."));
    // Three attempts, each writing size, position, size, position.
    EXPECT_EQ(log.startingWith(QStringLiteral("NimbrelWindowManager: applying placement leftHalf")).size(), 3);
    EXPECT_EQ(countEvents(sim::EventKind::accessibilityWrite, QStringLiteral("AXSize")), 6);
}

TEST_F(WindowPlacementTest, FullScreenStaysFullScreenAfterEveryAttempt) {
    wm->apps().openApp(appTarget(QStringLiteral("TextEdit"), kTextEdit), P::fullScreen, std::nullopt);
    scheduler.advance(0.4);
    sim::App* textEdit = mac.appWithBundleId(kTextEdit);
    ASSERT_NE(textEdit, nullptr);
    EXPECT_TRUE(textEdit->windows.front().fullScreen);
    scheduler.advance(2.0);
    EXPECT_TRUE(textEdit->windows.front().fullScreen);
    EXPECT_EQ(countEvents(sim::EventKind::accessibilityAction, QStringLiteral("AXPress")), 1);
}

TEST_F(WindowPlacementTest, RefusedWritesAreRecordedWithTheirCode) {
    sim::App& notes = app(kNotes);
    sim::Window& window = notes.windows.front();
    window.refusedWriteError = code(AXError::cannotComplete);
    const Rect before = window.frame;
    wm->placement().applyPlacement(P::rightHalf, element(notes, window), std::nullopt, false);

    EXPECT_EQ(window.frame, before);
    EXPECT_EQ(countActivities(QStringLiteral("Window Resize Failed")), 2);
    EXPECT_EQ(countActivities(QStringLiteral("Window Position Failed")), 2);
    EXPECT_EQ(activity(QStringLiteral("Window Resize Failed"))->message,
              QStringLiteral("Accessibility returned result -25204."));
    EXPECT_EQ(activity(QStringLiteral("Window Resize Failed"))->type, QStringLiteral("error"));
    EXPECT_EQ(
        log.startingWith(QStringLiteral("NimbrelWindowManager: failed to set window size result=-25204 requested="))
            .size(),
        2);
    EXPECT_TRUE(log.contains(QStringLiteral("NimbrelWindowManager: failed to set window position result=-25204")));
}

TEST_F(WindowPlacementTest, MainAndAutomaticPlaceOnTheMainScreenWhenItIsNotTheFirst) {
    mac.setMainScreenId(2); // the screen with focus is the external one
    sim::App& notes = app(kNotes);
    const struct {
        std::optional<NimbrelDisplayTarget> target;
        int screen;
    } cases[] = {
        {NimbrelDisplayTarget{NimbrelDisplayTarget::Kind::main, std::nullopt}, 2},
        {NimbrelDisplayTarget{}, 2}, // automatic
        {std::nullopt, 2},
        {externalScreen(0), 1}, // "external" now means the primary
    };
    for (const auto& c : cases) {
        wm->placement().applyPlacement(P::leftHalf, element(notes, notes.windows.front()), c.target, false);
        EXPECT_EQ(appKitFrame(notes.windows.front()), expectedFrame(P::leftHalf, c.screen)) << c.screen;
    }
}

TEST_F(WindowPlacementTest, LaunchedWindowInFullScreenLeavesItBeforeItIsPlaced) {
    sim::App& notes = app(kNotes);
    mac.setFullScreen(notes, notes.windows.front().id, true);
    mac.activate(notes.pid);
    wm->placement().placeLaunchedAppWindow(appTarget(QStringLiteral("Notes"), kNotes), P::leftHalf, std::nullopt);
    EXPECT_FALSE(notes.windows.front().fullScreen);
    EXPECT_TRUE(log.startingWith(QStringLiteral("NimbrelWindowManager: applying placement")).isEmpty());
    scheduler.advance(0.12);
    EXPECT_EQ(appKitFrame(notes.windows.front()), expectedFrame(P::leftHalf, 1));
}

TEST_F(WindowPlacementTest, FrontWithoutRaiseAndMissingScreensChangeNothing) {
    sim::App& notes = app(kNotes);
    const AXElement window = element(notes, notes.windows.front());
    wm->placement().applyPlacement(P::front, window, std::nullopt, false);
    EXPECT_TRUE(mac.recorder().events().empty());

    wm->placement().applyPlacement(P::front, window, std::nullopt, true);
    EXPECT_EQ(countEvents(sim::EventKind::accessibilityAction, QStringLiteral("AXRaise")), 1);

    mac.recorder().clear();
    mac.screens().clear();
    wm->placement().applyPlacement(P::leftHalf, window, std::nullopt, true);
    EXPECT_TRUE(mac.recorder().events().empty());
}

TEST_F(WindowPlacementTest, FrontPlacementOpensTheAppAndNeverTouchesItsWindows) {
    wm->apps().openApp(appTarget(QStringLiteral("TextEdit"), kTextEdit), P::front, externalScreen());
    scheduler.advance(3.0);
    ASSERT_NE(mac.appWithBundleId(kTextEdit), nullptr);
    EXPECT_EQ(countEvents(sim::EventKind::accessibilityWrite, QString()), 0);
}

TEST_F(WindowPlacementTest, AppPathWithTildeOpensAndIsFoundRunning) {
    const QString path = QStringLiteral("/Users/anna/Applications/Sketchpad.app");
    ASSERT_TRUE(mac.installApplication(path, QStringLiteral("org.example.sketchpad"), QStringLiteral("Sketchpad")));
    const NimbrelRuleAppTarget target =
        appTarget(QStringLiteral("Sketchpad"), std::nullopt, QStringLiteral("~/Applications/Sketchpad.app"));
    wm->apps().openApp(target, P::rightHalf, std::nullopt);
    EXPECT_TRUE(log.contains(QStringLiteral("NimbrelWindowManager: opening app path ") + path));
    scheduler.advance(2.0);

    const auto running = wm->apps().runningApplication(std::nullopt, QStringLiteral("~/Applications/Sketchpad.app"));
    ASSERT_TRUE(running);
    EXPECT_EQ(running->bundlePath, path);
    const sim::App* sketchpad = mac.app(running->pid);
    ASSERT_FALSE(sketchpad->windows.empty());
    EXPECT_EQ(appKitFrame(sketchpad->windows.front()), expectedFrame(P::rightHalf, 1));
    EXPECT_EQ(countActivities(QStringLiteral("App Open Failed")), 0);
}

TEST_F(WindowPlacementTest, AppThatCannotBeOpenedIsRecordedAsAnError) {
    wm->apps().openApp(
        appTarget(QStringLiteral("Gone"), QStringLiteral("org.example.gone"), QStringLiteral("/Applications/Gone.app")),
        P::leftHalf, std::nullopt);
    EXPECT_EQ(activityTitles(), (QStringList{QStringLiteral("App Opened"), QStringLiteral("App Open Failed")}));
    EXPECT_EQ(activities.back().type, QStringLiteral("error"));
    scheduler.advance(2.0);
    EXPECT_EQ(countEvents(sim::EventKind::accessibilityWrite, QString()), 0);

    // Neither a known bundle nor a path: nothing at all.
    activities.clear();
    wm->apps().openApp(appTarget(QStringLiteral("Nothing"), QStringLiteral("org.example.none")), P::leftHalf,
                       std::nullopt);
    scheduler.advance(2.0);
    EXPECT_TRUE(activities.empty());
}

TEST_F(WindowPlacementTest, RunningApplicationByBundleIdentifierIgnoresThePath) {
    EXPECT_FALSE(
        wm->apps().runningApplication(QStringLiteral("org.example.none"), QStringLiteral("/Applications/Safari.app")));
    EXPECT_EQ(wm->apps().runningApplication(std::nullopt, QStringLiteral("/Applications/Safari.app"))->bundleIdentifier,
              sim::kSafariBundleId);
    EXPECT_FALSE(wm->apps().runningApplication(std::nullopt, std::nullopt));
}

TEST_F(WindowPlacementTest, EditorOffersMainAndTheExternalScreen) {
    const auto targets = wm->externalScreens();
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_EQ(targets[0].kind, NimbrelDisplayTarget::Kind::main);
    EXPECT_EQ(targets[1], externalScreen(0));
    mac.screens().pop_back();
    EXPECT_TRUE(wm->externalScreens().empty());
}

TEST_F(WindowPlacementTest, FinderPlacementIsReappliedAfterUnminimizing) {
    sim::Window* documents = finderWindow(QStringLiteral("Documents"));
    ASSERT_NE(documents, nullptr);
    mac.setMinimized(finder(), documents->id, true);
    documents = finderWindow(QStringLiteral("Documents"));
    wm->placement().reapplyFinderPlacement(element(finder(), *documents), P::bottomRight, externalScreen(), true,
                                           false);
    documents = finderWindow(QStringLiteral("Documents"));
    EXPECT_FALSE(documents->minimized);
    EXPECT_EQ(appKitFrame(*documents), expectedFrame(P::bottomRight, 2));
}

namespace {
// The simulated workspace, except that every application launch is refused afterwards.
class RefusingLaunches final : public Workspace {
  public:
    RefusingLaunches(Workspace& inner, Scheduler& scheduler) : inner_(inner), scheduler_(scheduler) {}
    std::vector<RunningApplication> runningApplications() const override { return inner_.runningApplications(); }
    std::optional<RunningApplication> frontmostApplication() const override { return inner_.frontmostApplication(); }
    std::optional<RunningApplication> runningApplication(int pid) const override {
        return inner_.runningApplication(pid);
    }
    std::optional<int> currentApplicationPid() const override { return inner_.currentApplicationPid(); }
    bool activate(int pid, ActivationOptions options) override { return inner_.activate(pid, options); }
    bool hide(int pid) override { return inner_.hide(pid); }
    bool unhide(int pid) override { return inner_.unhide(pid); }
    bool terminate(int pid) override { return inner_.terminate(pid); }
    void openApplication(const QString&, const OpenConfiguration&, OpenCompletion completion) override {
        scheduler_.post([completion] {
            completion(std::nullopt, WorkspaceError{"NSCocoaErrorDomain", 4, "The application is damaged."});
        });
    }
    bool open(const QString& urlOrPath) override { return inner_.open(urlOrPath); }
    void openURLs(const QStringList& urls, const QString& path, const OpenConfiguration& c,
                  OpenCompletion done) override {
        inner_.openURLs(urls, path, c, std::move(done));
    }
    std::optional<QString> urlForApplication(const QString& id) const override { return inner_.urlForApplication(id); }
    QVariant infoPlistValue(const QString& path, const QString& key) const override {
        return inner_.infoPlistValue(path, key);
    }
    QString iconPath(const QString& path) const override { return inner_.iconPath(path); }
    std::optional<QString> desktopImageURL(int id) const override { return inner_.desktopImageURL(id); }
    bool setDesktopImageURL(const QString& url, int id, WorkspaceError* error) override {
        return inner_.setDesktopImageURL(url, id, error);
    }
    ObserverToken observeDidLaunch(std::function<void(const RunningApplication&)> o) override {
        return inner_.observeDidLaunch(std::move(o));
    }
    ObserverToken observeDidTerminate(std::function<void(const RunningApplication&)> o) override {
        return inner_.observeDidTerminate(std::move(o));
    }
    ObserverToken observeDidActivate(std::function<void(const RunningApplication&)> o) override {
        return inner_.observeDidActivate(std::move(o));
    }
    ObserverToken observeDidWake(std::function<void()> o) override { return inner_.observeDidWake(std::move(o)); }

  private:
    Workspace& inner_;
    Scheduler& scheduler_;
};
} // namespace

TEST_F(WindowPlacementTest, RefusedLaunchIsRecordedWhenTheWorkspaceReportsIt) {
    Workspace* simulatedWorkspace = platform.workspace;
    RefusingLaunches refusing(*simulatedWorkspace, scheduler);
    platform.workspace = &refusing;
    wm->apps().openApp(appTarget(QStringLiteral("TextEdit"), kTextEdit), P::front, std::nullopt);
    EXPECT_EQ(activityTitles(), QStringList{"App Opened"});
    scheduler.advance(0);
    EXPECT_EQ(activityTitles(), (QStringList{"App Opened", "App Open Failed"}));
    EXPECT_EQ(activities.back().message, "Could not open TextEdit: The application is damaged.");

    // A report that arrives after the window manager is gone is dropped.
    activities.clear();
    wm->apps().openApp(appTarget(QStringLiteral("TextEdit"), kTextEdit), P::front, std::nullopt);
    wm.reset();
    scheduler.advance(0);
    EXPECT_EQ(activityTitles(), QStringList{"App Opened"});
    platform.workspace = simulatedWorkspace;
}
