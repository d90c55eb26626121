#include "WindowManagerFixture.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {
using P = NimbrelWindowPlacement;
using L = NimbrelWindowLayout;

NimbrelLayoutSlot appSlot(const QString& name, std::optional<QString> bundleId, std::optional<QString> path = {}) {
    NimbrelLayoutSlot slot;
    slot.target = NimbrelLayoutTarget::app({name, std::move(bundleId), std::move(path)});
    return slot;
}
NimbrelLayoutSlot folderSlot(const QString& name, const QString& path) {
    NimbrelLayoutSlot slot;
    slot.target = NimbrelLayoutTarget::folder({name, path});
    return slot;
}
NimbrelRuleAction arrange(L layout, std::vector<NimbrelLayoutSlot> layoutSlots) {
    ArrangeWindowsRuleAction a;
    a.layout = layout;
    a.layoutSlots = std::move(layoutSlots);
    return NimbrelRuleAction::arrangeWindows(a);
}
const QString kNotes = QStringLiteral("com.apple.Notes");
const QString kTerminal = QStringLiteral("com.apple.Terminal");
const QString kTextEdit = QStringLiteral("com.apple.TextEdit");
const QString kChrome = QStringLiteral("com.google.Chrome");
} // namespace

class WindowLayoutsTest : public WindowManagerFixture {
  protected:
    Rect slotFrame(L layout, size_t index) {
        return placement::layoutFrames(layout, screenInfo(mac.mainScreenId()).visibleFrame).at(index);
    }
    Rect frameOf(const QString& bundleId) {
        sim::App& a = app(bundleId);
        return appKitFrame(*mac.window(a.pid, *mac.focusedWindowId(a)));
    }
};

TEST_F(WindowLayoutsTest, SideBySideOpensEverySlotAndPlacesTheFirstTwo) {
    wm->executeRuleActions({arrange(
        L::sideBySide, {appSlot("Notes", kNotes), appSlot("Terminal", kTerminal), appSlot("TextEdit", kTextEdit)})});
    EXPECT_TRUE(log.contains("NimbrelWindowManager: arranging windows sideBySide"));
    ASSERT_NE(activity("Windows Arranged"), nullptr);
    EXPECT_EQ(activity("Windows Arranged")->message, "Applied sideBySide layout to 3 targets.");
    EXPECT_EQ(countActivities("App Opened"), 3);

    scheduler.advance(0.54);
    EXPECT_NE(frameOf(kNotes), slotFrame(L::sideBySide, 0));
    scheduler.advance(0.01);
    EXPECT_EQ(frameOf(kNotes), slotFrame(L::sideBySide, 0));
    EXPECT_EQ(frameOf(kTerminal), slotFrame(L::sideBySide, 1));
    ASSERT_NE(mac.appWithBundleId(kTextEdit), nullptr);
    EXPECT_NE(frameOf(kTextEdit), slotFrame(L::sideBySide, 0));
    EXPECT_NE(frameOf(kTextEdit), slotFrame(L::sideBySide, 1));
}

TEST_F(WindowLayoutsTest, FullSizePlacesOnlyTheFirstSlotOnTheMainVisibleFrame) {
    const Rect terminalBefore = frameOf(kTerminal);
    wm->executeRuleActions({arrange(L::fullSize, {appSlot("Notes", kNotes), appSlot("Terminal", kTerminal)})});
    scheduler.advance(0.45);
    EXPECT_EQ(frameOf(kNotes), screenInfo(1).visibleFrame);
    EXPECT_EQ(frameOf(kTerminal), terminalBefore);
}

TEST_F(WindowLayoutsTest, DividedInFourPlacesFourQuartersAndOpensTheFifth) {
    wm->executeRuleActions(
        {arrange(L::dividedInFour,
                 {appSlot("Notes", kNotes), appSlot("Terminal", kTerminal), appSlot("Safari", sim::kSafariBundleId),
                  appSlot("Google Chrome", kChrome), appSlot("TextEdit", kTextEdit)})});
    EXPECT_EQ(activity("Windows Arranged")->message, "Applied dividedInFour layout to 5 targets.");
    scheduler.advance(0.55);
    EXPECT_EQ(frameOf(kNotes), slotFrame(L::dividedInFour, 0));               // top left
    EXPECT_EQ(frameOf(kTerminal), slotFrame(L::dividedInFour, 1));            // top right
    EXPECT_EQ(frameOf(sim::kSafariBundleId), slotFrame(L::dividedInFour, 2)); // bottom left
    EXPECT_EQ(frameOf(kChrome), slotFrame(L::dividedInFour, 3));              // bottom right
    EXPECT_NE(mac.appWithBundleId(kTextEdit), nullptr);
    EXPECT_EQ(slotFrame(L::dividedInFour, 0), Rect(0, 75 + 502.5, 864, 502.5));
}

TEST_F(WindowLayoutsTest, DividedInThreeUsesTheFirstThreeQuarters) {
    wm->executeRuleActions({arrange(L::dividedInThree, {appSlot("Notes", kNotes), appSlot("Terminal", kTerminal),
                                                        appSlot("Google Chrome", kChrome)})});
    scheduler.advance(0.55);
    EXPECT_EQ(frameOf(kNotes), slotFrame(L::dividedInThree, 0));
    EXPECT_EQ(frameOf(kTerminal), slotFrame(L::dividedInThree, 1));
    EXPECT_EQ(frameOf(kChrome), slotFrame(L::dividedInThree, 2));
}

TEST_F(WindowLayoutsTest, FolderSlotPlacesFinderFocusedWindowAndAppWithoutBundleIsOpenedNotPlaced) {
    const QString path = QStringLiteral("/Applications/Sketchpad.app");
    ASSERT_TRUE(mac.installApplication(path, QStringLiteral("org.example.sketchpad"), QStringLiteral("Sketchpad")));
    wm->executeRuleActions(
        {arrange(L::sideBySide, {appSlot("Sketchpad", std::nullopt, path), folderSlot("Documents", "~/Documents")})});
    EXPECT_EQ(countActivities("Folder Focused"), 1);
    scheduler.advance(0.55);
    sim::App* sketchpad = mac.appWithPath(path);
    ASSERT_NE(sketchpad, nullptr);
    EXPECT_NE(appKitFrame(sketchpad->windows.front()), slotFrame(L::sideBySide, 0));
    EXPECT_EQ(appKitFrame(*finderWindow("Documents")), slotFrame(L::sideBySide, 1));
    // A layout slot leaves the other Finder windows open.
    EXPECT_NE(finderWindow("Downloads"), nullptr);
}

TEST_F(WindowLayoutsTest, EmptyLayoutOnlyRecordsAndNoMainScreenOpensNothing) {
    wm->executeRuleActions({arrange(L::sideBySide, {})});
    EXPECT_EQ(activityTitles(), QStringList{"Windows Arranged"});
    EXPECT_EQ(activities[0].message, "Applied sideBySide layout to 0 targets.");

    activities.clear();
    mac.screens().clear();
    wm->executeRuleActions({arrange(L::fullSize, {appSlot("TextEdit", kTextEdit)})});
    EXPECT_EQ(activityTitles(), QStringList{"Windows Arranged"});
    EXPECT_EQ(activities[0].message, "Applied fullSize layout to 1 target.");
    scheduler.advance(1);
    EXPECT_EQ(mac.appWithBundleId(kTextEdit), nullptr);
}
