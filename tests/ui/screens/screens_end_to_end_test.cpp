#include "activity/ActivityRecorder.h"
#include "model/BlacklistStore.h"
#include "platform/Calendar.h"
#include "sync/CloudKitStatusProvider.h"
#include "ui/screens/ActivityDayModel.h"
#include "ui/screens/ScreensHarness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace nimbrel {
namespace {

using testing::ScreensHarness;

// Drags a flickable's content up until `target` lies inside the window.
void scrollInto(ScreensHarness& h, QQuickItem* flickable, QQuickItem* target) {
    const QPointF middle = flickable->mapToScene(QPointF(flickable->width() / 2, flickable->height() / 2));
    for (int i = 0; i < 5 && target->mapToScene(QPointF(0, target->height())).y() > h.window.height(); ++i)
        h.drag(middle + QPointF(0, 120), middle - QPointF(0, 120));
}

// The mode chosen on the settings screen decides the next Dock tap: on the frontmost app's
// one window, automatic minimizes it and cycling keeps it in front.
TEST(ScreensEndToEnd, BehaviorModeChosenOnTheSettingsScreenDecidesTheNextDockTap) {
    const struct {
        const char* mode;
        int visibleAfterSecondTap;
    } cases[] = {{"Cycling", 1}, {"Automatic", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        ScreensHarness h;
        h.defaults.setString("Nimbrel.settings.behaviorMode", c.mode == QString("Cycling") ? "automatic" : "cycling");
        h.open("Nimbrel.showSettings");
        QQuickItem* cell = h.item(QStringLiteral("behaviorMode-") + c.mode);
        ASSERT_TRUE(cell);
        scrollInto(h, h.item("settingsScroll"), cell);
        h.click(cell);
        EXPECT_EQ(h.defaults.stringValue("Nimbrel.settings.behaviorMode"), QString(c.mode).toLower());

        const sim::App* app = h.singleWindowApp();
        ASSERT_TRUE(app);
        const int pid = app->pid;
        const QVariantMap tile = h.tileNamed(app->name);
        h.tapTile(tile); // brings it forward
        ASSERT_EQ(h.mac.frontmostPid(), pid);
        h.tapTile(tile);
        EXPECT_EQ(h.visibleWindows(pid), c.visibleAfterSecondTap);
    }
}

// An app blacklisted on the screen (found by typing its name) is left to the Dock: the tap
// that would have minimized its one window changes nothing.
TEST(ScreensEndToEnd, BlacklistingAnAppMakesTheNextTapOnItsTileDoNothing) {
    ScreensHarness h;
    const sim::App* app = h.singleWindowApp();
    ASSERT_TRUE(app);
    const int pid = app->pid;
    const QString bundleId = app->bundleIdentifier;
    const QVariantMap tile = h.tileNamed(app->name);
    h.tapTile(tile);
    ASSERT_EQ(h.mac.frontmostPid(), pid);

    h.open("Nimbrel.showBlacklist");
    h.click(h.item("blacklistSearch"));
    h.type(app->name);
    QQuickItem* row = h.item("available-" + bundleId);

    ASSERT_TRUE(row) << "the search shows the app";
    EXPECT_EQ(row->property("name").toString(), app->name);
    h.click(row);
    EXPECT_TRUE(h.item("blacklisted-" + bundleId)) << "the app moved to the Blacklist section";
    EXPECT_TRUE(h.defaults.stringArrayValue(BlacklistStore::defaultsKey).value_or(QStringList()).contains(bundleId));

    h.tapTile(tile);
    EXPECT_EQ(h.visibleWindows(pid), 1) << "the tap was left to the Dock";
    EXPECT_EQ(h.mac.frontmostPid(), pid);
}

// A toggle far down the list leaves the list where the user scrolled it.
TEST(ScreensEndToEnd, TogglingAnAppKeepsTheListWhereItWas) {
    ScreensHarness h;
    h.open("Nimbrel.showBlacklist");
    QQuickItem* list = h.item("blacklistList");
    const QPointF middle = list->mapToScene(QPointF(list->width() / 2, list->height() / 2));
    h.drag(middle + QPointF(0, 100), middle - QPointF(0, 100));
    const double scrolled = list->property("contentY").toDouble();
    ASSERT_GT(scrolled, 50);
    // The app rows wholly in sight, top to bottom: the last is clicked, the first is watched.
    const QRectF shown = list->mapRectToScene(list->boundingRect());
    std::map<double, QQuickItem*> rows;
    for (QQuickItem* item : list->property("contentItem").value<QQuickItem*>()->childItems())
        for (QQuickItem* loaded : item->childItems())
            if (loaded->objectName().startsWith("available-") && loaded->isVisible() &&
                shown.contains(loaded->mapRectToScene(loaded->boundingRect())))
                rows[loaded->mapToScene(QPointF(0, 0)).y()] = loaded;
    ASSERT_GE(rows.size(), 2u);
    QQuickItem* row = rows.rbegin()->second;
    const QString watched = rows.begin()->second->objectName();
    const double watchedY = rows.begin()->first;
    const QString appId = row->objectName().mid(int(strlen("available-")));
    h.click(row);
    ASSERT_TRUE(h.defaults.stringArrayValue(BlacklistStore::defaultsKey).value_or(QStringList()).contains(appId));
    EXPECT_NEAR(list->property("contentY").toDouble(), scrolled, 1.0);
    ASSERT_TRUE(h.item(watched));
    EXPECT_NEAR(h.item(watched)->mapToScene(QPointF(0, 0)).y(), watchedY, 1.0) << "the rows around it stay in place";
}

// The row under the pointer shows the click hint; after the click the app's new row, made
// under the resting pointer, shows its resting look until the pointer moves again.
TEST(ScreensEndToEnd, AToggledRowRestsUntilThePointerMoves) {
    ScreensHarness h;
    h.open("Nimbrel.showBlacklist");
    QQuickItem* row = h.item("available-com.apple.iCal");
    ASSERT_TRUE(row);
    const QPoint centre = row->mapToScene(QPointF(row->width() / 2, row->height() / 2)).toPoint();
    QTest::mouseMove(&h.window, centre);
    h.settle();
    EXPECT_EQ(row->property("secondLine").toString(), "Click to blacklist");
    EXPECT_EQ(row->property("helpText").toString(), "Click to blacklist");

    h.click(row);
    QQuickItem* moved = h.item("blacklisted-com.apple.iCal");
    ASSERT_TRUE(moved);
    ASSERT_TRUE(QRectF(moved->mapToScene(QPointF(0, 0)), moved->size()).contains(centre))
        << "it lies under the pointer";
    EXPECT_EQ(moved->property("secondLine").toString(), "Blacklisted");
    EXPECT_EQ(moved->property("helpText").toString(), "Click to remove from blacklist");
    QTest::mouseMove(&h.window, centre + QPoint(3, 0));
    h.settle();
    EXPECT_EQ(moved->property("secondLine").toString(), "Click to remove from blacklist");
}

// The title of the entry card of a list that lies under a point of the window.
QString entryTitleAt(QQuickItem* list, QPointF point) {
    for (QQuickItem* card : list->property("contentItem").value<QQuickItem*>()->childItems())
        if (card->objectName().startsWith("entry-") && card->mapRectToScene(card->boundingRect()).contains(point))
            return card->property("title").toString();
    return {};
}

// What was recorded a moment ago is the newest card of today. A new entry leaves the list
// where it was scrolled, and comes into view when the list showed its start.
TEST(ScreensEndToEnd, ActivityScreenShowsAnEntryRecordedAMomentBefore) {
    ScreensHarness h;
    for (int i = 1; i <= 12; ++i)
        recordNimbrelActivity(h.platform, NimbrelActivityType::info, QString("Earlier %1").arg(i), "Done.");
    recordNimbrelActivity(h.platform, NimbrelActivityType::rule, "Rule Matched", "Safari opened three websites.");
    h.settle(0.1);
    h.open("Nimbrel.showActivity");
    QQuickItem* card = h.item("entry-0");
    ASSERT_TRUE(card);
    EXPECT_EQ(card->property("title").toString(), "Rule Matched");
    EXPECT_EQ(card->property("message").toString(), "Safari opened three websites.");
    EXPECT_EQ(h.item("activitySectionTitle")->property("text").toString(), "Today");
    EXPECT_FALSE(h.item("activityEmpty")->isVisible());

    // Today, the rightmost cell, stands in the middle of the strip as the screen opens.
    QQuickItem* strip = h.item("activityStrip");
    QQuickItem* today = h.item("day-" + activityDayIdentifier(calendarDay(h.scheduler.now(), currentTimeZone())));
    ASSERT_TRUE(strip && today);
    EXPECT_NEAR(today->mapToScene(QPointF(today->width() / 2, 0)).x(),
                strip->mapToScene(QPointF(strip->width() / 2, 0)).x(), 1.0);

    QQuickItem* list = h.item("activityEntries");
    h.wheel(list, 2);
    const double scrolled = list->property("contentY").toDouble();
    const QPointF pointer = list->mapToScene(QPointF(list->width() / 2, list->height() / 2));
    const QString read = entryTitleAt(list, pointer);
    ASSERT_TRUE(scrolled > 50 && !read.isEmpty());
    recordNimbrelActivity(h.platform, NimbrelActivityType::session, "Session Started", "Focus began.");
    h.settle(0.1);
    ASSERT_EQ(list->property("count").toInt(), 14);
    EXPECT_NEAR(list->property("contentY").toDouble(), scrolled, 1.0);
    EXPECT_EQ(entryTitleAt(list, pointer), read) << "the card read stays under the pointer";

    h.wheel(list, -20);
    ASSERT_TRUE(list->property("atYBeginning").toBool());
    recordNimbrelActivity(h.platform, NimbrelActivityType::blacklist, "App Blacklisted", "Notes was added.");
    h.settle(0.1);
    EXPECT_EQ(entryTitleAt(list, list->mapToScene(QPointF(list->width() / 2, 10))), "App Blacklisted");
}

// The sync button over the real sync manager and the Mac's cloud: "Syncing…" while sync now
// runs, then what it came to (never "All Synced" for a sync that did not happen), ignoring
// taps while that shows, and "Sync" again 2 s later.
TEST(ScreensEndToEnd, SyncButtonShowsWhatTheSyncCameTo) {
    const struct {
        CloudAccountState account;
        bool offline;
        const char* shown;
    } cases[] = {{CloudAccountState::available, false, "All Synced"},
                 {CloudAccountState::available, true, "Sync Failed"},
                 {CloudAccountState::noAccount, false, "Account Unavailable"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        ScreensHarness h;
        h.simulated.cloud().conditions().account = c.account;
        h.simulated.cloud().conditions().offline = c.offline;
        h.simulated.cloud().conditions().latency = 0.2;
        h.open("Nimbrel.showActivity");
        QQuickItem* button = h.item("activitySync");
        QQuickItem* title = h.item("activitySyncTitle");
        ASSERT_TRUE(button && title);
        // The account is still being checked: the sync waits for it.
        QTest::mouseClick(&h.window, Qt::LeftButton, Qt::NoModifier,
                          button->mapToScene(QPointF(button->width() / 2, button->height() / 2)).toPoint());
        QCoreApplication::processEvents();
        EXPECT_EQ(title->property("text").toString(), QString::fromUtf8("Syncing\u2026"));
        NimbrelCloudKitStatusProvider::shared().refresh();
        for (int i = 0; i < 60 && title->property("text").toString() == QString::fromUtf8("Syncing\u2026"); ++i)
            h.settle(0.05);
        EXPECT_EQ(title->property("text").toString(), c.shown);
        h.click(button);
        EXPECT_EQ(title->property("text").toString(), c.shown) << "a tap while the result shows does nothing";
        h.settle(2.0);
        EXPECT_EQ(title->property("text").toString(), "Sync");
    }
}

} // namespace
} // namespace nimbrel
