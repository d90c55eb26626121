#include "SimFixture.h"

namespace nimbrel::sim::testing {
namespace {

using AccessibilityWindows = SimTest;

TEST_F(AccessibilityWindows, MinimizeHidesTheWindowAndIsReadBack) {
    App& safari = appNamed(QStringLiteral("Safari"));
    const auto windows = windowsOf(safari.pid);
    ASSERT_EQ(windows.size(), 2u);
    const AXElement front = windows[0];
    EXPECT_EQ(ax().attribute(front, QStringLiteral("AXMinimized")).toBool(), false);

    EXPECT_EQ(ax().setAttributeValue(front, QStringLiteral("AXMinimized"), true), AXError::success);

    EXPECT_EQ(ax().attribute(front, QStringLiteral("AXMinimized")).toBool(), true);
    // A minimized window leaves the stack: the other window is now first and focused.
    const auto after = windowsOf(safari.pid);
    EXPECT_EQ(after.back(), front);
    EXPECT_EQ(ax().attribute(after.front(), QStringLiteral("AXFocused")).toBool(), true);
    EXPECT_EQ(ax().attribute(front, QStringLiteral("AXFocused")).toBool(), false);
    EXPECT_EQ(ax().attribute(ax().applicationElement(safari.pid), QStringLiteral("AXFocusedWindow")).toElement(),
              after.front());

    EXPECT_EQ(ax().setAttributeValue(front, QStringLiteral("AXMinimized"), false), AXError::success);
    EXPECT_EQ(windowsOf(safari.pid).front(), front);
    EXPECT_EQ(ax().attribute(front, QStringLiteral("AXMinimized")).toBool(), false);
}

TEST_F(AccessibilityWindows, RaiseReordersTheWindowList) {
    App& safari = appNamed(QStringLiteral("Safari"));
    const auto before = windowsOf(safari.pid);
    ASSERT_EQ(before.size(), 2u);
    EXPECT_EQ(ax().performAction(before[1], QStringLiteral("AXRaise")), AXError::success);
    const auto after = windowsOf(safari.pid);
    EXPECT_EQ(after[0], before[1]);
    EXPECT_EQ(after[1], before[0]);
    EXPECT_EQ(ax().attribute(after[0], QStringLiteral("AXFocused")).toBool(), true);
    // Raising a minimized window does nothing until it is restored.
    ax().setAttributeValue(after[1], QStringLiteral("AXMinimized"), true);
    ax().performAction(after[1], QStringLiteral("AXRaise"));
    EXPECT_EQ(windowsOf(safari.pid).front(), after[0]);
}

TEST_F(AccessibilityWindows, ClosedWindowAnswersInvalidElement) {
    App& finder = appNamed(QStringLiteral("Finder"));
    const auto windows = windowsOf(finder.pid);
    ASSERT_EQ(windows.size(), 2u);
    const AXElement close =
        ax().attribute(windows[0], QStringLiteral("AXCloseButton")).toElement().value_or(AXElement{});
    ASSERT_FALSE(close.isNull());
    EXPECT_EQ(ax().performAction(close, QStringLiteral("AXPress")), AXError::success);

    EXPECT_EQ(windowsOf(finder.pid).size(), 1u);
    AXValue value;
    EXPECT_EQ(ax().copyAttributeValue(windows[0], QStringLiteral("AXTitle"), &value), AXError::invalidUIElement);
    EXPECT_EQ(ax().setAttributeValue(windows[0], QStringLiteral("AXMinimized"), true), AXError::invalidUIElement);
    EXPECT_EQ(ax().performAction(close, QStringLiteral("AXPress")), AXError::invalidUIElement);
    EXPECT_EQ(code(AXError::invalidUIElement), -25202);
}

TEST_F(AccessibilityWindows, RefusedWriteAnswersItsErrorAndChangesNothing) {
    App& chrome = appNamed(QStringLiteral("Google Chrome"));
    Window& w = chrome.windows.front();
    w.refusedWriteError = code(AXError::cannotComplete);
    const Rect before = w.frame;
    const AXElement element = ax().windowElement(chrome.pid, w.id);

    EXPECT_EQ(code(ax().setAttributeValue(element, QStringLiteral("AXSize"), Size{800, 600})), -25204);
    EXPECT_EQ(code(ax().setAttributeValue(element, QStringLiteral("AXPosition"), Point{0, 40})), -25204);
    EXPECT_EQ(chrome.windows.front().frame, before);
    // Other windows are not affected, and the refusal is recorded with its code.
    const auto writes = mac().recorder().texts(EventKind::accessibilityWrite);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_TRUE(writes[0].startsWith(QStringLiteral("set AXSize={800, 600} on Google Chrome window")));
    EXPECT_TRUE(writes[0].endsWith(QStringLiteral("-> -25204")));
}

TEST_F(AccessibilityWindows, PositionAndSizeWritesAreExactAndWrongTypesAreRefused) {
    App& terminal = appNamed(QStringLiteral("Terminal"));
    const AXElement w = windowsOf(terminal.pid).front();
    EXPECT_EQ(ax().setAttributeValue(w, QStringLiteral("AXPosition"), Point{-1920.5, 12}), AXError::success);
    EXPECT_EQ(ax().setAttributeValue(w, QStringLiteral("AXSize"), Size{864, 1005}), AXError::success);
    EXPECT_EQ(ax().attribute(w, QStringLiteral("AXPosition")).toPoint(), (Point{-1920.5, 12}));
    EXPECT_EQ(ax().attribute(w, QStringLiteral("AXSize")).toSize(), (Size{864, 1005}));
    EXPECT_EQ(ax().setAttributeValue(w, QStringLiteral("AXPosition"), Size{1, 2}), AXError::illegalArgument);
    EXPECT_EQ(ax().setAttributeValue(w, QStringLiteral("AXTitle"), QStringLiteral("x")), AXError::attributeUnsupported);
    EXPECT_EQ(ax().performAction(w, QStringLiteral("AXPress")), AXError::actionUnsupported);
}

TEST_F(AccessibilityWindows, FullScreenButtonTogglesAndBlocksPlacementWhileOn) {
    App& chrome = appNamed(QStringLiteral("Google Chrome"));
    const AXElement w = windowsOf(chrome.pid).front();
    const Size before = *ax().attribute(w, QStringLiteral("AXSize")).toSize();
    const AXElement button = *ax().attribute(w, QStringLiteral("AXFullScreenButton")).toElement();
    ax().performAction(button, QStringLiteral("AXPress"));
    EXPECT_EQ(ax().attribute(w, QStringLiteral("AXFullScreen")).toBool(), true);
    EXPECT_EQ(ax().attribute(w, QStringLiteral("AXSize")).toSize(), (Size{1728, 1117}));
    EXPECT_EQ(ax().setAttributeValue(w, QStringLiteral("AXSize"), Size{10, 10}), AXError::cannotComplete);
    ax().performAction(button, QStringLiteral("AXPress"));
    EXPECT_EQ(ax().attribute(w, QStringLiteral("AXFullScreen")).toBool(), false);
    EXPECT_EQ(ax().attribute(w, QStringLiteral("AXSize")).toSize(), before);
}

TEST_F(AccessibilityWindows, FinderWindowsCarryTheirFolderAsDocument) {
    App& finder = appNamed(QStringLiteral("Finder"));
    const auto windows = windowsOf(finder.pid);
    EXPECT_EQ(title(windows[0]), QStringLiteral("Documents"));
    EXPECT_EQ(ax().attribute(windows[0], QStringLiteral("AXDocument")).toString(),
              QStringLiteral("file:///Users/anna/Documents/"));
    // Other apps' windows have no document.
    AXValue v;
    EXPECT_EQ(
        ax().copyAttributeValue(windowsOf(appNamed(QStringLiteral("Notes")).pid)[0], QStringLiteral("AXDocument"), &v),
        AXError::noValue);
}

TEST_F(AccessibilityWindows, WithoutTrustEveryCallIsRefusedAndThePromptIsCounted) {
    mac().setTrusted(false);
    App& safari = appNamed(QStringLiteral("Safari"));
    AXValue v;
    EXPECT_EQ(ax().copyAttributeValue(ax().applicationElement(safari.pid), QStringLiteral("AXWindows"), &v),
              AXError::apiDisabled);
    EXPECT_FALSE(ax().isProcessTrustedWithOptions(false));
    EXPECT_EQ(mac().permissionPromptCount(), 0);
    EXPECT_FALSE(ax().isProcessTrustedWithOptions(true));
    EXPECT_EQ(mac().permissionPromptCount(), 1);
    EXPECT_EQ(sim.input().addGlobalMouseMonitor([](const MouseEvent&) {}), nullptr);
    mac().setTrusted(true);
    EXPECT_TRUE(ax().isProcessTrusted());
    EXPECT_NE(sim.input().addGlobalMouseMonitor([](const MouseEvent&) {}), nullptr);
}

} // namespace
} // namespace nimbrel::sim::testing
