#include "SimFixture.h"

namespace nimbrel::sim::testing {
namespace {

using AccessibilityApps = SimTest;

TEST_F(AccessibilityApps, FrontmostHiddenAndFocusedWindowAreSettableOnTheApplication) {
    App& notes = appNamed(QStringLiteral("Notes"));
    const AXElement app = ax().applicationElement(notes.pid);
    EXPECT_EQ(ax().attribute(app, QStringLiteral("AXFrontmost")).toBool(), false);
    EXPECT_EQ(ax().setAttributeValue(app, QStringLiteral("AXFrontmost"), true), AXError::success);
    EXPECT_EQ(mac().frontmostPid(), notes.pid);
    EXPECT_EQ(ax().setAttributeValue(app, QStringLiteral("AXHidden"), true), AXError::success);
    EXPECT_NE(mac().frontmostPid(), notes.pid);
    AXValue v;
    EXPECT_EQ(ax().copyAttributeValue(app, QStringLiteral("AXFocusedWindow"), &v), AXError::noValue); // hidden
    EXPECT_EQ(ax().setAttributeValue(app, QStringLiteral("AXHidden"), false), AXError::success);

    App& safari = appNamed(QStringLiteral("Safari"));
    const auto windows = windowsOf(safari.pid);
    const AXElement safariApp = ax().applicationElement(safari.pid);
    EXPECT_EQ(ax().setAttributeValue(safariApp, QStringLiteral("AXFocusedWindow"), windows[1]), AXError::success);
    EXPECT_EQ(windowsOf(safari.pid).front(), windows[1]);
    // Another application's window cannot be Safari's focused window.
    EXPECT_EQ(ax().setAttributeValue(safariApp, QStringLiteral("AXFocusedWindow"), windowsOf(notes.pid)[0]),
              AXError::illegalArgument);
    EXPECT_EQ(ax().setAttributeValue(safariApp, QStringLiteral("AXFrontmost"), QStringLiteral("yes")),
              AXError::illegalArgument);
}

TEST_F(AccessibilityApps, AnAppCanShowWindowsWithNoneFocusedUntilOneIsRaisedRestoredOrOpened) {
    App& finder = appNamed(QStringLiteral("Finder"));
    const AXElement app = ax().applicationElement(finder.pid);
    const std::vector<AXElement> windows = windowsOf(finder.pid);
    ASSERT_GE(windows.size(), 2u);
    const std::vector<std::function<void()>> regainFocus = {
        [&] { ax().performAction(windows[1], QStringLiteral("AXRaise")); },
        [&] { ax().setAttributeValue(windows[0], QStringLiteral("AXFocused"), true); },
        [&] { mac().setMinimized(finder, finder.windows.back().id, false); },
        [&] { mac().addWindow(finder, Window{}); },
    };
    for (size_t i = 0; i < regainFocus.size(); ++i) {
        finder.noFocusedWindow = true;
        if (i == 2) mac().setMinimized(finder, finder.windows.front().id, true);
        AXValue v;
        EXPECT_EQ(ax().copyAttributeValue(app, QStringLiteral("AXFocusedWindow"), &v), AXError::noValue) << i;
        EXPECT_EQ(ax().attribute(windowsOf(finder.pid)[0], QStringLiteral("AXFocused")).toBool(), false) << i;
        regainFocus[i]();
        EXPECT_FALSE(finder.noFocusedWindow) << i;
        EXPECT_EQ(ax().attribute(windowsOf(finder.pid)[0], QStringLiteral("AXFocused")).toBool(), true) << i;
    }
    // The state outlives a restart of the simulated Mac.
    finder.noFocusedWindow = true;
    SimulatedMac copy(scheduler, scheduler, dir.path() + QStringLiteral("/copy"));
    ASSERT_TRUE(copy.loadJson(mac().toJson()));
    EXPECT_TRUE(copy.appWithBundleId(kFinderBundleId)->noFocusedWindow);
}

TEST_F(AccessibilityApps, AttributeNamesAndSettability) {
    App& finder = appNamed(QStringLiteral("Finder"));
    const AXElement w = windowsOf(finder.pid)[0];
    QStringList names;
    ASSERT_EQ(ax().copyAttributeNames(w, &names), AXError::success);
    for (const char* expected : {"AXRole", "AXSubrole", "AXTitle", "AXDocument", "AXPosition", "AXSize", "AXMinimized",
                                 "AXFocused", "AXFullScreen", "AXCloseButton", "AXZoomButton", "AXFullScreenButton"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(expected))) << expected;
    bool settable = false;
    EXPECT_EQ(ax().isAttributeSettable(w, QStringLiteral("AXPosition"), &settable), AXError::success);
    EXPECT_TRUE(settable);
    EXPECT_EQ(ax().isAttributeSettable(w, QStringLiteral("AXTitle"), &settable), AXError::success);
    EXPECT_FALSE(settable);
    EXPECT_EQ(ax().isAttributeSettable(w, QStringLiteral("AXNothing"), &settable), AXError::attributeUnsupported);
    EXPECT_EQ(ax().isAttributeSettable(AXElement{}, QStringLiteral("AXTitle"), &settable), AXError::illegalArgument);
}

TEST_F(AccessibilityApps, DialogsHaveACloseButtonOnlyAndCancelClosesThem) {
    App& mail = appNamed(QStringLiteral("Mail"));
    Window dialog;
    dialog.title = QStringLiteral("Send anyway?");
    dialog.subrole = QStringLiteral("AXDialog");
    dialog.frame = Rect(400, 300, 400, 180);
    const auto id = mac().addWindow(mail, dialog).id;
    const AXElement element = ax().windowElement(mail.pid, id);
    AXValue v;
    EXPECT_EQ(ax().copyAttributeValue(element, QStringLiteral("AXZoomButton"), &v), AXError::noValue);
    EXPECT_EQ(ax().copyAttributeValue(element, QStringLiteral("AXCloseButton"), &v), AXError::success);
    EXPECT_EQ(ax().setAttributeValue(element, QStringLiteral("AXFullScreen"), true), AXError::cannotComplete);
    EXPECT_EQ(ax().performAction(element, QStringLiteral("AXCancel")), AXError::success);
    EXPECT_EQ(ax().copyAttributeValue(element, QStringLiteral("AXTitle"), &v), AXError::invalidUIElement);
    // A standard window does not cancel.
    EXPECT_EQ(ax().performAction(windowsOf(mail.pid)[0], QStringLiteral("AXCancel")), AXError::actionUnsupported);
}

TEST_F(AccessibilityApps, ZoomFillsTheVisibleFrameAndGoesBack) {
    App& terminal = appNamed(QStringLiteral("Terminal"));
    const AXElement w = windowsOf(terminal.pid)[0];
    const Rect before = terminal.windows[0].frame;
    const AXElement zoom = *ax().attribute(w, QStringLiteral("AXZoomButton")).toElement();
    ax().performAction(zoom, QStringLiteral("AXPress"));
    EXPECT_EQ(ax().attribute(w, QStringLiteral("AXPosition")).toPoint(), (Point{0, 37}));
    EXPECT_EQ(ax().attribute(w, QStringLiteral("AXSize")).toSize(), (Size{1728, 1005}));
    ax().performAction(zoom, QStringLiteral("AXPress"));
    EXPECT_EQ(appNamed(QStringLiteral("Terminal")).windows[0].frame, before);
}

TEST_F(AccessibilityApps, HiddenAppsAndMinimizedWindowsAreNotHit) {
    App& terminal = appNamed(QStringLiteral("Terminal"));
    mac().activate(terminal.pid);
    const Rect f = terminal.windows[0].frame;
    AXElement hit;
    ax().elementAtPosition(ax().systemWideElement(), float(f.midX()), float(f.midY()), &hit);
    EXPECT_EQ(hit, ax().windowElement(terminal.pid, terminal.windows[0].id));
    mac().setHidden(terminal.pid, true);
    ax().elementAtPosition(ax().systemWideElement(), float(f.midX()), float(f.midY()), &hit);
    EXPECT_NE(hit, ax().windowElement(terminal.pid, terminal.windows[0].id));
    // Asking an application for the element at a point only finds its own.
    App& notes = appNamed(QStringLiteral("Notes"));
    EXPECT_EQ(ax().elementAtPosition(ax().applicationElement(notes.pid), float(f.midX()), float(f.midY()), &hit),
              AXError::noValue);
    EXPECT_EQ(ax().elementAtPosition(windowsOf(notes.pid)[0], 1, 1, &hit), AXError::illegalArgument);
}

TEST_F(AccessibilityApps, DockElementsGoStaleWhenTheDockRestarts) {
    const auto safari = tileTitled(QStringLiteral("Safari"));
    const AXElement tile = ax().dockItemElement(*safari);
    EXPECT_EQ(title(tile), QStringLiteral("Safari"));
    EXPECT_EQ(ax().attribute(tile, QStringLiteral("AXIsApplicationRunning")).toBool(), true);
    EXPECT_EQ(ax().attribute(tile, QStringLiteral("AXURL")).as<AXUrl>()->text,
              QStringLiteral("file:///Applications/Safari.app/"));
    mac().restartDock();
    AXValue v;
    EXPECT_EQ(ax().copyAttributeValue(tile, QStringLiteral("AXTitle"), &v), AXError::invalidUIElement);
    EXPECT_EQ(title(ax().dockItemElement(*tileTitled(QStringLiteral("Safari")))), QStringLiteral("Safari"));
    // Pressing a tile through Accessibility is the Dock's own click.
    const AXElement mail = ax().dockItemElement(*tileTitled(QStringLiteral("Mail")));
    EXPECT_EQ(ax().performAction(mail, QStringLiteral("AXPress")), AXError::success);
    EXPECT_EQ(mac().frontmostPid(), appNamed(QStringLiteral("Mail")).pid);
}

} // namespace
} // namespace nimbrel::sim::testing
