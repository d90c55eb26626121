#include "SessionsFixture.h"

namespace nimbrel::test {
namespace {

class SessionsActivation : public SessionsFixture {
  protected:
    SessionsActivation() { scheduler.advanceTo(monday(16, 59)); }
    static NimbrelSession allowing(NimbrelSession s) {
        s.whitelistAllApps = true;
        return s;
    }
};

TEST_F(SessionsActivation, TheTickAppliesOnlyChangesAndEndsTheSessionWithItsWindow) {
    storeSessions({allowing(workSession())});
    makeStore();
    outside.take();
    takeActivities();

    scheduler.advance(NimbrelSessionsStore::kActivationInterval); // 16:59:15, nothing changed
    EXPECT_TRUE(outside.calls.isEmpty());
    EXPECT_TRUE(activities.isEmpty());

    scheduler.advance(3 * NimbrelSessionsStore::kActivationInterval); // 17:00:00
    EXPECT_EQ(takeActivities(),
              QStringList{"Session Ended: Default Dock, wallpapers and menu bar icon were restored."});
    EXPECT_EQ(outside.take(), (QStringList{"dock restore", "wallpapers restore"}));
    EXPECT_EQ(menuBarSymbols().last(), "NIMBREL_MENU_BAR");
    EXPECT_FALSE(store->activeSession().get());

    clock.offset = -86400; // set back to Sunday: the reminders made on Monday start too late
    scheduler.advance(NimbrelSessionsStore::kActivationInterval);
    EXPECT_EQ(outside.take(), QStringList{"reminders 1"});
}

// The end of a session (or a pause) says the Dock and pictures came back only when they can:
// a saved copy that has gone is an error the user reads, naming what stays the session's.
TEST_F(SessionsActivation, AnEndWhoseSavedCopiesAreGoneSaysSoInsteadOfRestored) {
    const struct {
        bool dock, pictures, pause;
        QString activity;
    } cases[] = {
        {false, false, false, "Session Ended: Default Dock, wallpapers and menu bar icon were restored."},
        {true, false, false,
         "Session Ended: The session ended, but the Dock could not be restored because its saved copy is missing."},
        {false, true, false,
         "Session Ended: The session ended, but the wallpapers could not be restored because their saved copy is "
         "missing."},
        {true, true, false,
         "Session Ended: The session ended, but the Dock and wallpapers could not be restored because their saved "
         "copies are missing."},
        {true, false, true,
         "Session Paused: Nimbrel was paused, but the Dock could not be restored because its saved copy is missing."},
    };
    NimbrelSession work = allowing(workSession());
    storeSessions({work});
    makeStore();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.activity.toStdString());
        store->updateSession(work);
        takeActivities();
        outside.take();
        outside.dockCopyLost = c.dock;
        outside.picturesCopyLost = c.pictures;
        const NimbrelSessionWeekdays days = work.scheduleWeekdays;
        if (c.pause) {
            setPause(true);
        } else {
            work.scheduleWeekdays = {};
            store->updateSession(work);
            work.scheduleWeekdays = days;
        }
        EXPECT_EQ(takeActivities(), QStringList{c.activity});
        EXPECT_TRUE(outside.take().contains("dock restore"));
        outside.dockCopyLost = outside.picturesCopyLost = false;
        if (c.pause) setPause(false);
    }
}

TEST_F(SessionsActivation, ASessionsNameIsWrittenAsItStands) {
    storeSessions({allowing(workSession(QStringLiteral("Focus %1 %2 at 100%")))});
    makeStore();
    EXPECT_TRUE(log.contains("NimbrelSessions: applying active session Focus %1 %2 at 100% apps=2 wallpapers=0 "
                             "menuBarIcon=briefcase.fill"));
    EXPECT_EQ(takeActivities(),
              QStringList{"Session Started: Focus %1 %2 at 100% launched with 2 Dock apps and 0 whitelisted apps."});
}

TEST_F(SessionsActivation, OfTwoActiveSessionsThePinnedOneThenTheFirstByNameWins) {
    NimbrelSession zeta = allowing(workSession(QStringLiteral("zeta")));
    NimbrelSession alpha = allowing(workSession(QStringLiteral("Alpha")));
    storeSessions({zeta, alpha});
    makeStore();
    EXPECT_EQ(store->activeSession().get()->name, "Alpha");

    zeta.isPinned = true;
    store->updateSession(zeta);
    EXPECT_EQ(store->activeSession().get()->name, "zeta");
    EXPECT_EQ(store->sessions().get().front().name, "zeta");
}

TEST_F(SessionsActivation, EditsAddsAndDeletesAreSavedPushedAndAppliedInOrder) {
    makeStore();
    outside.take();
    takeActivities();

    NimbrelSession work = allowing(workSession());
    store->addSession(work);
    EXPECT_EQ(outside.take(), (QStringList{"push Work", "reminders 1", "dock apply Work", "wallpapers apply Work"}));
    EXPECT_EQ(store->sessions().get().front().updatedAt, monday(16, 59));

    // An edit of the active session is applied again.
    work.allowedApps.pop_back();
    scheduler.advance(5);
    store->updateSession(work);
    EXPECT_EQ(outside.take(), (QStringList{"push Work", "reminders 1", "dock apply Work", "wallpapers apply Work"}));
    EXPECT_EQ(store->activeSession().get()->allowedApps.size(), 1u);
    EXPECT_EQ(store->activeSession().get()->updatedAt, monday(16, 59).addingSeconds(5));
    EXPECT_EQ(takeActivities().count("Session Started: Work launched with 1 Dock apps and 0 whitelisted apps."), 1);

    // An unknown id changes nothing at all.
    NimbrelSession stranger = allowing(workSession(QStringLiteral("Stranger")));
    store->updateSession(stranger);
    EXPECT_TRUE(outside.calls.isEmpty());

    // Deleting an unknown id still saves, sends a tombstone and re-evaluates.
    QFile::remove(store->storagePath());
    store->deleteSession(stranger.id);
    scheduler.runUntilIdle(); // a worker writes the file
    EXPECT_TRUE(QFile::exists(store->storagePath()));
    EXPECT_EQ(outside.take(), (QStringList{"tombstone " + stranger.id.toString(), "reminders 1", "dock apply Work",
                                           "wallpapers apply Work"}));

    store->deleteSession(work.id);
    EXPECT_EQ(outside.take(),
              (QStringList{"tombstone " + work.id.toString(), "reminders 0", "dock restore", "wallpapers restore"}));
}

TEST_F(SessionsActivation, ThePauseEndsTheSessionAtOnceAndResumingBringsItBack) {
    storeSessions({allowing(workSession())});
    makeStore();
    outside.take();
    takeActivities();

    setPause(true);
    EXPECT_FALSE(store->activeSession().get());
    EXPECT_EQ(menuBarSymbols().last(), "NIMBREL_MENU_BAR");
    EXPECT_EQ(outside.take(), (QStringList{"dock restore", "wallpapers restore"}));
    EXPECT_TRUE(activities.isEmpty());

    scheduler.advance(NimbrelSessionsStore::kActivationInterval);
    EXPECT_TRUE(outside.calls.isEmpty());

    setPause(false);
    EXPECT_EQ(store->activeSession().get()->name, "Work");
    EXPECT_EQ(menuBarSymbols().last(), "briefcase.fill");
    EXPECT_EQ(outside.take(), (QStringList{"dock apply Work", "wallpapers apply Work"}));
}

TEST_F(SessionsActivation, ACloudMergeIsStoredWithoutPushingAndRefreshesTheReminders) {
    makeStore();
    outside.take();
    store->replaceSessionsFromCloud({allowing(workSession(QStringLiteral("b"))), allowing(workSession("A"))});
    EXPECT_EQ(store->sessions().get().front().name, "A");
    EXPECT_FALSE(store->isApplyingCloudSessionsPayload());
    EXPECT_EQ(outside.take(), (QStringList{"dock apply A", "wallpapers apply A", "reminders 2"}));
    scheduler.runUntilIdle(); // a worker writes the file
    QFile file(store->storagePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(decodeSessionList(file.readAll(), Date{}).value->size(), 2u);
}

} // namespace
} // namespace nimbrel::test
