#include "SessionsFixture.h"

#include "platform/Files.h"
#include "sessions/SessionWallpaperManager.h"

#include <limits>

namespace nimbrel::test {
namespace {

const QString kBlue = "file:///System/Library/Desktop%20Pictures/Hello%20Blue.heic";
const QString kOrange = "file:///System/Library/Desktop%20Pictures/Hello%20Orange.heic";
const QString kLake = "file:///Users/anna/Pictures/Wallpapers/Lake.jpg";
const QString kMountains = "file:///Users/anna/Pictures/Wallpapers/Mountains.jpg";

class SessionWallpaperManagerTest : public SessionsFixture {
  protected:
    using Snapshot = NimbrelSessionWallpaperManager::WallpaperSnapshot;

    static NimbrelSession withWallpapers(std::vector<std::pair<QString, NimbrelSessionDisplayTarget>> pictures) {
        NimbrelSession s;
        for (const auto& [path, target] : pictures)
            s.wallpaperSelections.push_back({Uuid::random(), lastName(path), path, target});
        return s;
    }
    static QString lastName(const QString& path) { return path.mid(path.lastIndexOf('/') + 1); }
    QStringList pictures() const {
        QStringList out;
        for (const sim::Screen& s : mac.screens())
            out << s.desktopImageURL;
        return out;
    }
    std::optional<std::vector<Snapshot>> snapshot() { return manager.loadOriginalSnapshot(); }

    NimbrelSessionWallpaperManager manager{platform};
    const std::vector<Snapshot> original{{0, "/System/Library/Desktop Pictures/Hello Blue.heic"},
                                         {1, "/System/Library/Desktop Pictures/Hello Orange.heic"}};
};

TEST_F(SessionWallpaperManagerTest, SelectionsApplyInOrderAndTheLastForAScreenWins) {
    manager.applySessionWallpapers(
        withWallpapers({{"~/Pictures/Wallpapers/Lake.jpg", NimbrelSessionDisplayTarget::automatic()},
                        {"~/Pictures/Wallpapers/Mountains.jpg", NimbrelSessionDisplayTarget::screen(0)},
                        {"~/Pictures/Wallpapers/Lake.jpg", NimbrelSessionDisplayTarget::screen(-1)},
                        {"~/Pictures/Wallpapers/Lake.jpg", NimbrelSessionDisplayTarget::screen(2)}}));
    EXPECT_EQ(pictures(), (QStringList{kMountains, kLake}));
    EXPECT_EQ(activities, QStringList{"Wallpaper Applied: Session wallpaper was applied to 2 display targets."});
    EXPECT_EQ(snapshot(), original);
    QFile file(manager.snapshotPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll(); // pretty printed, keys sorted
    EXPECT_GT(bytes.count('\n'), 4);
    EXPECT_LT(bytes.indexOf("screenIndex"), bytes.indexOf("wallpaperPath"));
}

// "Wallpaper Applied" counts only the targets that got a picture: one for a screen that is not
// there (any 64-bit index) sets nothing and is not counted, nor is one whose only screen fails.
TEST_F(SessionWallpaperManagerTest, OnlyTargetsThatGotAPictureAreCountedAsApplied) {
    mac.screens().pop_back();
    const QString lake = "~/Pictures/Wallpapers/Lake.jpg";
    const struct {
        const char* name;
        std::vector<std::pair<QString, NimbrelSessionDisplayTarget>> pictures;
        bool screenFails;
        QStringList activities;
        QString picture;
    } cases[] = {
        {"past the last screen, or any 64-bit index",
         {{lake, NimbrelSessionDisplayTarget::screen(1)},
          {lake, NimbrelSessionDisplayTarget::screen(std::numeric_limits<qint64>::max())},
          {lake, NimbrelSessionDisplayTarget::screen(std::numeric_limits<qint64>::min())}},
         false,
         {},
         kBlue},
        {"the screen fails",
         {{lake, NimbrelSessionDisplayTarget::screen(0)}},
         true,
         {"Wallpaper Failed: asleep"},
         kBlue},
        {"one of two set",
         {{lake, NimbrelSessionDisplayTarget::screen(3)}, {lake, NimbrelSessionDisplayTarget::automatic()}},
         false,
         {"Wallpaper Applied: Session wallpaper was applied to 1 display target."},
         kLake},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mac.screens()[0].desktopImageURL = kBlue;
        QFile::remove(manager.snapshotPath());
        if (c.screenFails) simulated.workspace().failDesktopPicture(1, "asleep");
        manager.applySessionWallpapers(withWallpapers(c.pictures));
        EXPECT_EQ(takeActivities(), c.activities);
        EXPECT_EQ(pictures(), QStringList{c.picture});
        EXPECT_EQ(snapshot(), (std::vector<Snapshot>{original[0]}));
    }
}

// The saved pictures from before may be gone at a session's end (removed by someone else): that
// is noticed, the restore says it cannot restore, and pictures a session set are never kept
// as the pictures from before when the session is applied again.
TEST_F(SessionWallpaperManagerTest, ALostCopyOfThePicturesFromBeforeIsNoticedAndNeverReplacedByTheSessions) {
    const NimbrelSession lake =
        withWallpapers({{"~/Pictures/Wallpapers/Lake.jpg", NimbrelSessionDisplayTarget::automatic()}});
    EXPECT_FALSE(manager.usersCopyIsLost());
    manager.applySessionWallpapers(lake);
    EXPECT_FALSE(manager.usersCopyIsLost());
    QFile::remove(manager.snapshotPath());
    EXPECT_TRUE(manager.usersCopyIsLost());
    manager.applySessionWallpapers(lake); // applied again, as after a restart: nothing kept
    EXPECT_TRUE(manager.usersCopyIsLost());

    takeActivities();
    manager.restoreOriginalWallpapers();
    EXPECT_TRUE(activities.isEmpty());
    EXPECT_TRUE(log.contains("NimbrelSessionWallpaperManager: cannot restore original wallpapers because their "
                             "snapshot is missing"));
    EXPECT_EQ(pictures(), (QStringList{kLake, kLake}));
    EXPECT_FALSE(manager.usersCopyIsLost());
    // From here on the pictures showing are the user's, kept by the next session.
    manager.applySessionWallpapers(
        withWallpapers({{"~/Pictures/Wallpapers/Mountains.jpg", NimbrelSessionDisplayTarget::automatic()}}));
    EXPECT_EQ(snapshot(), (std::vector<Snapshot>{{0, "/Users/anna/Pictures/Wallpapers/Lake.jpg"},
                                                 {1, "/Users/anna/Pictures/Wallpapers/Lake.jpg"}}));
}

TEST_F(SessionWallpaperManagerTest, SessionsFollowingEachOtherKeepTheFirstSnapshotAndRestoreAtTheEnd) {
    manager.applySessionWallpapers(
        withWallpapers({{"~/Pictures/Wallpapers/Lake.jpg", NimbrelSessionDisplayTarget::automatic()}}));
    manager.applySessionWallpapers(
        withWallpapers({{"~/Pictures/Wallpapers/Mountains.jpg", NimbrelSessionDisplayTarget::automatic()}}));
    EXPECT_EQ(snapshot(), original);
    EXPECT_EQ(pictures(), (QStringList{kMountains, kMountains}));

    // A session whose only picture is gone shows the pictures from before.
    manager.applySessionWallpapers(withWallpapers({{"~/Pictures/Gone.jpg", NimbrelSessionDisplayTarget::automatic()}}));
    EXPECT_EQ(pictures(), (QStringList{kBlue, kOrange}));
    EXPECT_EQ(activities.last(), "Wallpaper Restored: Default wallpapers were restored.");
    EXPECT_FALSE(QFile::exists(manager.snapshotPath()));
}

TEST_F(SessionWallpaperManagerTest, RestoreSkipsGoneScreensAndPicturesAndKeepsTheSnapshotWhenASetFails) {
    writeSupportFile(NimbrelSessionWallpaperManager::kSnapshotFileName,
                     R"([{"screenIndex": 0, "wallpaperPath": "/Users/anna/Pictures/Wallpapers/Lake.jpg"},
                         {"screenIndex": 1, "wallpaperPath": "/Users/anna/Pictures/Deleted.jpg"},
                         {"screenIndex": 5, "wallpaperPath": "/Users/anna/Pictures/Wallpapers/Mountains.jpg"},
                         {"screenIndex": 1, "wallpaperPath": "~/Pictures/Wallpapers/Mountains.jpg"}])");
    simulated.workspace().failDesktopPicture(1, "unused"); // screen id 1 is position 0
    manager.restoreOriginalWallpapers();
    EXPECT_EQ(activities, QStringList{"Wallpaper Failed: unused"});
    EXPECT_TRUE(QFile::exists(manager.snapshotPath()));

    manager.restoreOriginalWallpapers();
    EXPECT_EQ(pictures(), (QStringList{kLake, kOrange}));
    EXPECT_EQ(activities.last(), "Wallpaper Restored: Default wallpapers were restored.");
    EXPECT_FALSE(QFile::exists(manager.snapshotPath()));
}

// Screen 0 (id 1) cannot take its picture back at the session's end; then the user picks their
// own picture on one screen, and the pictures are restored again (at a launch or a save) or a
// session comes and goes. What the user picked is never replaced by the pictures from before.
TEST_F(SessionWallpaperManagerTest, APictureTheUserPicksAfterARestoreFailedIsNeverReplaced) {
    struct Case {
        const char* name;
        int usersScreen;
        bool sessionBetween;
        QStringList pictures;
        const char* lastActivity;
    };
    const QList<Case> cases = {
        {"restored screen, restored again", 1, false, {kBlue, kLake}, "Wallpaper Restored: Default wallpapers were restored."},
        {"failed screen, restored again", 0, false, {kLake, kOrange}, "Wallpaper Failed: busy"},
        {"restored screen, a session between", 1, true, {kBlue, kLake}, "Wallpaper Restored: Default wallpapers were restored."},
        {"failed screen, a session between", 0, true, {kLake, kOrange}, "Wallpaper Restored: Default wallpapers were restored."},
    };
    const NimbrelSession mountains =
        withWallpapers({{"~/Pictures/Wallpapers/Mountains.jpg", NimbrelSessionDisplayTarget::automatic()}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (sim::Screen& screen : mac.screens())
            screen.desktopImageURL = screen.id == 1 ? kBlue : kOrange;
        manager.applySessionWallpapers(mountains);
        simulated.workspace().failDesktopPicture(1, "busy");
        manager.restoreOriginalWallpapers();
        ASSERT_EQ(pictures(), (QStringList{kMountains, kOrange}));

        mac.screens()[size_t(c.usersScreen)].desktopImageURL = kLake;
        if (c.sessionBetween) manager.applySessionWallpapers(mountains);
        manager.restoreOriginalWallpapers();
        EXPECT_EQ(pictures(), c.pictures);
        EXPECT_EQ(activities.last(), c.lastActivity);
        EXPECT_FALSE(QFile::exists(manager.snapshotPath()));
    }
}

TEST_F(SessionWallpaperManagerTest, ASnapshotThatCannotBeWrittenChangesNoPicture) {
    const AtomicWriteFault previous = setAtomicWriteFaultForTesting([](const QString& path) -> std::optional<QString> {
        if (path.endsWith("/OriginalWallpaperSnapshot.json")) return QStringLiteral("The disk is full.");
        return std::nullopt;
    });
    manager.applySessionWallpapers(
        withWallpapers({{"~/Pictures/Wallpapers/Lake.jpg", NimbrelSessionDisplayTarget::automatic()}}));
    setAtomicWriteFaultForTesting(previous);
    EXPECT_EQ(activities, QStringList{"Wallpaper Snapshot Failed: The disk is full."});
    EXPECT_EQ(pictures(), (QStringList{kBlue, kOrange}));
}

TEST_F(SessionWallpaperManagerTest, CaptureListsOnlyScreensWithAPictureAtTheirRealPositions) {
    mac.screens()[0].desktopImageURL.clear();
    manager.applySessionWallpapers(
        withWallpapers({{"~/Pictures/Wallpapers/Lake.jpg", NimbrelSessionDisplayTarget::screen(0)}}));
    EXPECT_EQ(snapshot(), (std::vector<Snapshot>{original[1]}));
}

} // namespace
} // namespace nimbrel::test
