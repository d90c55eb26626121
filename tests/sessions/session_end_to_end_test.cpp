#include "SessionsFixture.h"

#include "platform/Files.h"
#include "sessions/SessionDockManager.h"
#include "sessions/SessionWallpaperManager.h"

namespace nimbrel::test {
namespace {

// The store with the program's own Dock, wallpaper and reminder parts on the simulated Mac.
class SessionEndToEnd : public SessionsFixture {
  protected:
    SessionEndToEnd() {
        scheduler.advanceTo(monday(16, 50));
        session = workSession();
        session.whitelistAllApps = true;
        session.allowedApps = {{Uuid::random(), "TextEdit", QStringLiteral("com.apple.TextEdit"), std::nullopt}};
        session.wallpaperSelections = {
            {Uuid::random(), "Lake.jpg", "~/Pictures/Wallpapers/Lake.jpg", NimbrelSessionDisplayTarget::automatic()}};
        storeSessions({session});
    }
    void start() {
        store = NimbrelSessionsStore::create(platform, NimbrelSessionsStore::Parts::standard(platform));
        scheduler.advance(2);
    }
    QStringList dockTitles() const {
        QStringList titles;
        for (const sim::DockTile& t : mac.dockTiles())
            if (t.persistent && t.kind == sim::DockTileKind::application) titles << t.title;
        return titles;
    }
    QStringList pictures() const {
        QStringList out;
        for (const sim::Screen& s : mac.screens())
            out << s.desktopImageURL.mid(s.desktopImageURL.lastIndexOf('/') + 1);
        return out;
    }
    bool snapshotsExist() const {
        return QFile::exists(supportPath(NimbrelSessionDockManager::kSnapshotFileName)) ||
               QFile::exists(supportPath(NimbrelSessionWallpaperManager::kSnapshotFileName));
    }

    NimbrelSession session;
    const QStringList originalDock{"Finder",   "Launchpad", "Safari", "Google Chrome",
                                   "Terminal", "Notes",     "Mail",   "System Settings"};
};

TEST_F(SessionEndToEnd, ASessionReplacesTheDockAndPicturesAndItsEndPutsThemBack) {
    start();
    EXPECT_EQ(dockTitles(), (QStringList{"Finder", "TextEdit"}));
    EXPECT_EQ(pictures(), (QStringList{"Lake.jpg", "Lake.jpg"}));
    EXPECT_TRUE(snapshotsExist());
    EXPECT_FALSE(userNotifications.pendingNow().empty());

    scheduler.advanceTo(monday(17, 0).addingSeconds(5));
    EXPECT_EQ(dockTitles(), originalDock);
    EXPECT_EQ(pictures(), (QStringList{"Hello%20Blue.heic", "Hello%20Orange.heic"}));
    EXPECT_TRUE(log.contains("NimbrelSessionDockManager: verified original Dock restore"));
    EXPECT_FALSE(snapshotsExist());
}

TEST_F(SessionEndToEnd, ARestartDuringASessionKeepsTheSnapshotsAndRestoresAfterIt) {
    start();
    store.reset();
    resetSharedInstances();
    EXPECT_TRUE(snapshotsExist());

    start(); // the session is still on: its Dock and pictures are applied again, over the snapshots
    EXPECT_EQ(dockTitles(), (QStringList{"Finder", "TextEdit"}));
    scheduler.advanceTo(monday(17, 0).addingSeconds(5));
    EXPECT_EQ(dockTitles(), originalDock);
    EXPECT_EQ(pictures(), (QStringList{"Hello%20Blue.heic", "Hello%20Orange.heic"}));
    EXPECT_FALSE(snapshotsExist());
}

TEST_F(SessionEndToEnd, SnapshotsThatCouldNotBeWrittenAreTriedAgainAtTheNextTick) {
    const AtomicWriteFault previous = setAtomicWriteFaultForTesting([](const QString& path) -> std::optional<QString> {
        if (path.contains("Snapshot.json")) return QStringLiteral("The disk is full.");
        return std::nullopt;
    });
    start();
    scheduler.advance(NimbrelSessionsStore::kActivationInterval);
    EXPECT_EQ(dockTitles(), originalDock); // left alone, the user's Dock and pictures being kept nowhere
    EXPECT_EQ(pictures(), (QStringList{"Hello%20Blue.heic", "Hello%20Orange.heic"}));
    EXPECT_EQ(activities.filter("Snapshot Failed").size(), 2); // each reported once, not at every try
    setAtomicWriteFaultForTesting(previous);

    scheduler.advance(NimbrelSessionsStore::kActivationInterval);
    EXPECT_EQ(dockTitles(), (QStringList{"Finder", "TextEdit"}));
    EXPECT_EQ(pictures(), (QStringList{"Lake.jpg", "Lake.jpg"}));
    EXPECT_EQ(activities.filter("Session Started").size(), 1);
}

} // namespace
} // namespace nimbrel::test
