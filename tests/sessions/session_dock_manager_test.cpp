#include "SessionsFixture.h"

#include "platform/Files.h"
#include "sessions/DockTiles.h"
#include "sessions/SessionDockManager.h"
#include "sessions/SessionPaths.h"

namespace nimbrel::test {
namespace {

const QStringList kOriginalDock{
    "/System/Applications/Launchpad.app",          "/Applications/Safari.app",       "/Applications/Google Chrome.app",
    "/System/Applications/Utilities/Terminal.app", "/System/Applications/Notes.app", "/System/Applications/Mail.app",
    "/System/Applications/System Settings.app"};

NimbrelSessionApp sessionApp(const QString& name, std::optional<QString> bundle, std::optional<QString> path = {}) {
    return {Uuid::random(), name, std::move(bundle), std::move(path)};
}

class SessionDockManagerTest : public SessionsFixture {
  protected:
    SessionDockManagerTest() : manager(std::make_shared<NimbrelSessionDockManager>(platform)) {}

    static NimbrelSession focus(std::vector<NimbrelSessionApp> apps) {
        NimbrelSession s;
        s.name = QStringLiteral("Focus");
        s.allowedApps = std::move(apps);
        return s;
    }
    QStringList dockTitles() const {
        QStringList titles;
        for (const sim::DockTile& t : mac.dockTiles())
            if (t.persistent && t.kind == sim::DockTileKind::application) titles << t.title;
        return titles;
    }
    static QStringList pathsIn(const QByteArray& json) {
        QStringList paths;
        for (const QJsonValue& v : QJsonDocument::fromJson(json).array())
            paths << v.toString();
        return paths;
    }
    std::optional<QStringList> snapshot() const {
        QFile file(manager->snapshotPath());
        if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
        return pathsIn(file.readAll());
    }
    // The one snapshot (or `file`) kept aside as `reason` ("unreadable"); none unless exactly one.
    std::optional<QByteArray> keptAside(const QString& reason,
                                        const QString& file = "OriginalDockSnapshot.json") const {
        const QStringList aside =
            QDir(platform.locations.nimbrelSupportFolder()).entryList({file + "." + reason + "-*"}, QDir::Files);
        if (aside.size() != 1) return std::nullopt;
        QFile kept(supportPath(aside.front()));
        if (!kept.open(QIODevice::ReadOnly)) return std::nullopt;
        return kept.readAll();
    }
    void setDock(const QStringList& paths) {
        QVariantList tiles;
        for (const QString& path : paths)
            tiles << makeFileTile(path, *platform.files);
        mac.dockPreferencesStored().insert("persistent-apps", tiles);
        mac.restartDock();
    }
    // The Dock as read holds `paths`, compared as the manager compares Docks.
    void expectDock(const QStringList& paths) const {
        EXPECT_TRUE(sameDockPaths(manager->currentDockPaths(), paths))
            << manager->currentDockPaths().join(", ").toStdString();
    }
    // As a launch finds no state beside the snapshot.
    void forgetState() { QFile::remove(supportPath(DockSnapshotStateFile::kFileName)); }
    QStringList processes() const {
        const auto texts = mac.recorder().texts(sim::EventKind::process);
        return QStringList(texts.begin(), texts.end());
    }

    std::shared_ptr<NimbrelSessionDockManager> manager;
    const NimbrelSession writing = focus({sessionApp("Finder", {}), sessionApp("TextEdit", "com.apple.TextEdit"),
                                          sessionApp("Notes", {}, "/System/Applications/Notes.app")});
};

TEST_F(SessionDockManagerTest, ApplyKeepsTheDockFromBeforeWritesTheSessionsAndChecksItLater) {
    const QString cutShort = ".OriginalDockSnapshot.json.tmp-Ab12Cd"; // by a kill, at an earlier start
    writeSupportFile(cutShort, "[\"/Appl");
    manager = std::make_shared<NimbrelSessionDockManager>(platform);
    EXPECT_FALSE(QFile::exists(supportPath(cutShort)));
    manager->applySessionDock(writing);
    EXPECT_EQ(snapshot(), kOriginalDock);
    EXPECT_EQ(dockTitles(), (QStringList{"Finder", "TextEdit", "Notes"}));
    EXPECT_EQ(takeActivities(), QStringList{"Dock Replaced: Session Dock was applied with 3 selected apps."});
    EXPECT_EQ(log.lines.mid(0, 5),
              (QStringList{"NimbrelSessionDockManager: Finder selected=true. Finder is handled by macOS built-in Dock "
                           "tile, not persistent-apps.",
                           "NimbrelSessionDockManager: captured original Dock snapshot paths=[\"" +
                               kOriginalDock.join("\", \"") + "\"]",
                           "NimbrelSessionDockManager: applying Dock paths=[\"/System/Applications/TextEdit.app\", "
                           "\"/System/Applications/Notes.app\"]",
                           "NimbrelSessionDockManager: wrote Dock persistent-apps count=2 finderVisible=true "
                           "synchronized=true",
                           "NimbrelSessionDockManager: killall Dock status=0"}));
    EXPECT_EQ(processes(), QStringList{"/usr/bin/killall Dock -> status 0"});
    scheduler.advance(0.34);
    EXPECT_EQ(processes().size(), 1);
    scheduler.advance(0.01);
    EXPECT_EQ(processes().last(), "/bin/launchctl kickstart -k gui/501/com.apple.Dock.agent -> status 0");
    scheduler.advance(1.14);
    EXPECT_FALSE(log.contains("NimbrelSessionDockManager: verified session Dock apply"));
    scheduler.advance(0.01);
    EXPECT_TRUE(log.contains("NimbrelSessionDockManager: verified session Dock apply"));
}

TEST_F(SessionDockManagerTest, RestorePutsTheDockBackAndDropsTheSnapshotOnceItIsSeen) {
    manager->applySessionDock(writing);
    scheduler.advance(2);
    takeActivities();
    manager->restoreOriginalDock();
    EXPECT_EQ(takeActivities(), QStringList{"Dock Restored: Default Dock was restored with 7 apps."});
    EXPECT_EQ(dockTitles(), (QStringList{"Finder", "Launchpad", "Safari", "Google Chrome", "Terminal", "Notes", "Mail",
                                         "System Settings"}));
    EXPECT_TRUE(snapshot().has_value());
    scheduler.advance(1.5);
    EXPECT_TRUE(log.contains("NimbrelSessionDockManager: verified original Dock restore"));
    EXPECT_FALSE(snapshot().has_value());

    // Nothing to restore now: nothing is written, restarted or recorded.
    const int restarts = processes().size();
    manager->restoreOriginalDock();
    EXPECT_EQ(processes().size(), restarts);
    EXPECT_TRUE(activities.isEmpty());
}

TEST_F(SessionDockManagerTest, ASecondSessionKeepsTheFirstSnapshotAndASnapshotOfADockItWroteIsDropped) {
    manager->applySessionDock(writing);
    manager->applySessionDock(focus({sessionApp("Safari", "com.apple.Safari")}));
    EXPECT_EQ(snapshot(), kOriginalDock);
    EXPECT_EQ(dockTitles(), (QStringList{"Finder", "Safari"}));

    // A snapshot that holds the Dock the manager wrote is no Dock from before, and the Dock
    // showing is not the user's either.
    writeSupportFile(NimbrelSessionDockManager::kSnapshotFileName, R"(["/Applications/Safari.app"])");
    manager->applySessionDock(focus({sessionApp("Notes", "com.apple.Notes")}));
    EXPECT_TRUE(log.contains("NimbrelSessionDockManager: existing Dock snapshot matches session Dock; deleting unsafe "
                             "snapshot"));
    EXPECT_TRUE(log.contains("NimbrelSessionDockManager: skipped original Dock snapshot because current Dock is a "
                             "session Dock"));
    EXPECT_FALSE(snapshot().has_value());
    EXPECT_EQ(dockTitles(), (QStringList{"Finder", "Notes"}));
}

// What the user had comes back at the end whatever the sessions before showed. Each case is
// steps (a session's Dock paths, "restart", "forget": an older version kept no state beside the
// snapshot, only the session in the sessions file, "damage": the snapshot is set aside, "end": a restore, "stuck": two
// restores at two launches that the Dock does not take, "user" and paths: the user's own Dock becomes those,
// "undeletable": the state cannot be deleted from then on), then a restore and the Dock expected after it, and the
// Dock that was set aside before it was replaced, if any.
TEST_F(SessionDockManagerTest, TheUsersDockIsNeverTakenForASessionsAndComesBackAtTheEnd) {
    const QStringList notes{"/System/Applications/Notes.app"}, restart{"restart"}, forget{"forget"}, damage{"damage"},
        end{"end"}, stuck{"stuck"}, undeletable{"undeletable"};
    const QStringList safariAndNotes{"/Applications/Safari.app", "/System/Applications/Notes.app"};
    const struct {
        const char* name;
        QStringList usersDock;
        std::vector<QStringList> steps;
        QStringList dockAtTheEnd;
        std::optional<QStringList> setAside = {};
    } cases[] = {
        // Sessions A (Notes), then B; "the user's": a session whose Dock is the user's.
        {"A, then the user's (or A edited to it)", kOriginalDock, {notes, kOriginalDock}, kOriginalDock},
        {"the user's, then A", safariAndNotes, {safariAndNotes, notes}, safariAndNotes},
        {"a crash in A, a start into the user's", kOriginalDock, {notes, restart, kOriginalDock}, kOriginalDock},
        // Only the sessions tell A's from an arrangement of the user's: it is set aside.
        {"the same, left by an older version",
         kOriginalDock,
         {notes, restart, forget, kOriginalDock},
         kOriginalDock,
         notes},
        {"a crash in A, a start into B", kOriginalDock, {notes, restart, safariAndNotes}, kOriginalDock},
        {"an empty Dock", {}, {notes}, {}},
        {"an empty Dock, then Finder alone", {}, {notes, {}}, {}},
        {"no snapshot left: A is not the user's",
         kOriginalDock,
         {notes, damage, restart, safariAndNotes},
         safariAndNotes},
        // Once A has ended, A's Dock is no session's any more: made the user's, it is theirs.
        {"A ended, the user's made A's, then B",
         kOriginalDock,
         {notes, end, QStringList{"user"} + notes, safariAndNotes},
         notes},
        {"the same across a restart",
         kOriginalDock,
         {notes, end, restart, QStringList{"user"} + notes, safariAndNotes},
         notes},
        // Restores that did not take while A's Dock shows: still A's, until the user makes it theirs.
        {"A's restore failed twice, a restart, then B",
         kOriginalDock,
         {notes, stuck, restart, safariAndNotes},
         kOriginalDock},
        {"A's restore failed twice, the user's made Safari, then B",
         kOriginalDock,
         {notes, stuck, QStringList{"user", "/Applications/Safari.app"}, restart, safariAndNotes},
         {"/Applications/Safari.app"}},
        // The user's made A's while the state is lost: only the sessions tell it for A's, so it is
        // set aside before the Dock from before is written over it. Named by the state, it is A's.
        {"A's restore failed twice, the state lost, the user's made A's",
         kOriginalDock,
         {notes, stuck, forget, QStringList{"user"} + notes},
         kOriginalDock,
         notes},
        {"A's restore failed twice, the user's made A's",
         kOriginalDock,
         {notes, stuck, QStringList{"user"} + notes},
         kOriginalDock},
        // A state that outlives its snapshot names no Dock of A's to take the user's for.
        {"A ended, its state undeletable, the user's made A's, then B",
         kOriginalDock,
         {undeletable, notes, end, QStringList{"user"} + notes, safariAndNotes},
         notes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        forgetState();
        defaults.remove(NimbrelSessionDockManager::kStoppedSnapshotKey);
        for (const QString& name : QDir(platform.locations.nimbrelSupportFolder()).entryList({"ReplacedDock.json*"}))
            QFile::remove(supportPath(name));
        setDock(c.usersDock);
        NimbrelSession applied;
        for (const QStringList& step : c.steps) {
            if (step == restart) manager = std::make_shared<NimbrelSessionDockManager>(platform);
            if (step == undeletable)
                setSupportFileRemoveFaultForTesting(
                    [](const QString& path) { return path.endsWith("/" + DockSnapshotStateFile::kFileName); });
            if (step == stuck) {
                mac.setDockRewritesPreferences(true, manager->currentDockPaths());
                for (int launch = 0; launch < 2; ++launch) {
                    manager = std::make_shared<NimbrelSessionDockManager>(platform);
                    manager->restoreOriginalDock();
                    scheduler.advance(2);
                }
                mac.setDockRewritesPreferences(false);
            }
            if (step == forget) {
                forgetState();
                storeSessions({applied});
            }
            if (step == damage) writeSupportFile(NimbrelSessionDockManager::kSnapshotFileName, "damaged");
            if (step == end) manager->restoreOriginalDock();
            const bool usersOwn = !step.isEmpty() && step.front() == "user";
            if (usersOwn) setDock(step.mid(1));
            if (step == restart || step == forget || step == damage || step == end || step == stuck || usersOwn ||
                step == undeletable) {
                scheduler.advance(2);
                continue;
            }
            std::vector<NimbrelSessionApp> apps{sessionApp("Finder", {})};
            for (const QString& path : step)
                apps.push_back(sessionApp(lastPathComponent(path), {}, path));
            applied = focus(apps);
            manager->applySessionDock(applied);
            scheduler.advance(2);
        }
        manager->restoreOriginalDock();
        scheduler.advance(2);
        setSupportFileRemoveFaultForTesting({});
        expectDock(c.dockAtTheEnd);
        EXPECT_FALSE(snapshot().has_value());
        const std::optional<QByteArray> aside = keptAside("kept", "ReplacedDock.json");
        EXPECT_EQ(aside ? std::optional(pathsIn(*aside)) : std::nullopt, c.setAside);
    }
}

// The user changes the Dock after a restore: 1 s later, before its check, or after a check that
// found the restore had not taken (the Dock showed the session's again). What they made is theirs: a
// restore leaves it, and the next session keeps it as the Dock from before and puts it back.
TEST_F(SessionDockManagerTest, ADockTheUserChangedAfterARestoreIsTheirsAndComesBackLater) {
    const struct {
        const char* name;
        bool restoreTakes;
        bool thenASession; // else a restore, as at the next launch
    } cases[] = {
        {"changed 1 s after the restore, then a session", true, true},
        {"changed 1 s after the restore, then a launch", true, false},
        {"changed after a restore that did not take, then a session", false, true},
        {"changed after a restore that did not take, then a launch", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        forgetState();
        setDock(kOriginalDock);
        manager->applySessionDock(writing);
        scheduler.advance(2);
        if (!c.restoreTakes)
            mac.setDockRewritesPreferences(true,
                                           {"/System/Applications/TextEdit.app", "/System/Applications/Notes.app"});
        manager->restoreOriginalDock();
        scheduler.advance(c.restoreTakes ? 1 : 2);
        mac.setDockRewritesPreferences(false);
        EXPECT_EQ(snapshot(), kOriginalDock);
        mac.userChangesDock({"/System/Applications/Calendar.app"}, {});
        const QStringList usersDock = manager->currentDockPaths();
        scheduler.advance(1);
        // A check that finds it changes its mind: the restore took. One that ran before waits.
        EXPECT_EQ(snapshot().has_value(), !c.restoreTakes);
        if (c.thenASession) {
            manager->applySessionDock(focus({sessionApp("Safari", "com.apple.Safari")}));
            EXPECT_EQ(snapshot(), usersDock);
            scheduler.advance(2);
        }
        manager->restoreOriginalDock();
        scheduler.advance(2);
        EXPECT_EQ(manager->currentDockPaths(), usersDock);
        EXPECT_FALSE(snapshot().has_value());
    }
}

// A restore that the Dock did not take leaves the snapshot for the next restore, whatever comes
// between; a snapshot an older version set aside when it stopped restoring is taken back, and a
// damaged note of it is ignored. Each case: what follows session A's Dock written over the user's;
// then a restore at a new launch, then session B and its end. The user's Dock shows after both.
TEST_F(SessionDockManagerTest, ARestoreThatDidNotTakeIsTriedAgainByTheNextOne) {
    const QStringList sessionDock{"/System/Applications/TextEdit.app", "/System/Applications/Notes.app"};
    const QString keptName = "OriginalDockSnapshot.json.unrestored-20261207T090100Z";
    const NimbrelSession b = focus({sessionApp("Safari", "com.apple.Safari")});
    const auto launch = [&] { manager = std::make_shared<NimbrelSessionDockManager>(platform); };
    const auto restoreAtALaunch = [&] {
        launch();
        manager->restoreOriginalDock();
        scheduler.advance(2);
    };
    // Whenever the Dock starts it shows A's apps.
    const auto failingRestore = [&] {
        mac.setDockRewritesPreferences(true, sessionDock);
        restoreAtALaunch();
        mac.setDockRewritesPreferences(false);
        EXPECT_EQ(activities.last(),
                  "Dock Restore Verification Failed: The current Dock did not match the saved original Dock.");
        EXPECT_EQ(snapshot(), kOriginalDock) << "kept for the next try";
    };
    // Its "persistent-apps" is no list, and writes do not reach it, until it shows `paths`.
    const auto unreadableUntil = [&](const QStringList& paths, const std::function<void()>& meanwhile) {
        mac.dockPreferencesStored().insert("persistent-apps", 42);
        mac.setDockSynchronizeFails(true);
        meanwhile();
        mac.setDockSynchronizeFails(false);
        EXPECT_EQ(snapshot(), kOriginalDock) << "nothing dropped";
        setDock(paths);
    };
    // As an older version left A's Dock after two failed checks: the snapshot set aside under `name`.
    const auto setAside = [&](const QVariant& name) {
        QFile::rename(manager->snapshotPath(), supportPath(keptName));
        defaults.set(NimbrelSessionDockManager::kStoppedSnapshotKey, name);
    };
    // A restore at a launch that takes, killed inside its drop: at the snapshot's removal, or
    // after it, before its state's (the state then stays as it was).
    struct Killed {};
    const auto restoreKilledInItsDrop = [&](bool atTheSnapshotsRemoval) {
        launch();
        setSupportFileRemoveFaultForTesting([&](const QString& path) -> bool {
            if (atTheSnapshotsRemoval && path == manager->snapshotPath()) throw Killed{};
            return false;
        });
        QFile state(supportPath(DockSnapshotStateFile::kFileName));
        try {
            manager->restoreOriginalDock();
            ASSERT_TRUE(state.open(QIODevice::ReadOnly));
            scheduler.advance(2);
        } catch (const Killed&) {
        }
        setSupportFileRemoveFaultForTesting({});
        if (!atTheSnapshotsRemoval) writeSupportFile(DockSnapshotStateFile::kFileName, state.readAll());
    };
    // As the previous version kept a failed restore: the Dock it wrote, and the Dock its check found.
    const auto keptByThePreviousVersion = [&] {
        failingRestore();
        forgetState();
        defaults.setStringArray(DockSnapshotState::kWrittenSessionDockKey, sessionDock);
        defaults.setStringArray(DockSnapshotState::kUnrestoredDockKey, sessionDock);
    };
    // As the previous build kept it: the state in the preferences, no file.
    const auto keptInThePreferences = [&] {
        failingRestore();
        QFile state(supportPath(DockSnapshotStateFile::kFileName));
        ASSERT_TRUE(state.open(QIODevice::ReadOnly));
        defaults.set(DockSnapshotState::kKey, QJsonDocument::fromJson(state.readAll()).object().toVariantMap());
        forgetState();
    };
    const struct {
        const char* name;
        std::function<void()> between;
        QStringList usersDock;
        bool lost;               // a session's end would say that the user's Dock cannot come back
        bool asideStays = false; // a snapshot set aside is left where it is: it was not taken back
    } cases[] = {
        {"a fault that clears before a relaunch",
         [&] {
             failingRestore();
             failingRestore();
         },
         kOriginalDock, false},
        {"an unreadable Dock at a launch",
         [&] {
             failingRestore();
             unreadableUntil(sessionDock, restoreAtALaunch);
         },
         kOriginalDock, false},
        {"an unreadable Dock as B starts",
         [&] {
             failingRestore();
             // B waits: the Dock showing may be an arrangement of the user's, never to be written over.
             unreadableUntil(sessionDock, [&] {
                 launch();
                 EXPECT_FALSE(manager->applySessionDock(b));
             });
             EXPECT_TRUE(manager->applySessionDock(b));
             scheduler.advance(2);
         },
         kOriginalDock, false},
        {"B's Dock changed by the user",
         [&] {
             failingRestore();
             launch();
             manager->applySessionDock(b);
             scheduler.advance(2);
             mac.userChangesDock({"/System/Applications/Calendar.app"}, {});
         },
         kOriginalDock, false},
        {"kept by the previous version", keptByThePreviousVersion, kOriginalDock, false},
        {"kept in the preferences by the previous build", keptInThePreferences, kOriginalDock, false},
        // Taken over only once its file is written: until then the preferences keep it.
        {"kept in the preferences by the previous build, its file unwritable at a launch",
         [&] {
             keptInThePreferences();
             const AtomicWriteFault earlier = setAtomicWriteFaultForTesting([](const QString& path) {
                 return path.endsWith(DockSnapshotStateFile::kFileName) ? std::optional<QString>("The disk is full.")
                                                                        : std::nullopt;
             });
             launch();
             EXPECT_EQ(manager->prepareRestore(), SessionDockControl::Restore::leftAlone);
             setAtomicWriteFaultForTesting(earlier);
             EXPECT_TRUE(defaults.contains(DockSnapshotState::kKey));
         },
         kOriginalDock, false},
        {"kept by the previous version, then the user's Dock made",
         [&] {
             keptByThePreviousVersion();
             mac.userChangesDock({"/System/Applications/Calendar.app"}, {});
         },
         sessionDock + QStringList{"/System/Applications/Calendar.app"}, false},
        {"set aside by an older version", [&] { setAside(keptName); }, kOriginalDock, false},
        {"set aside, then written back by a session",
         [&] {
             setAside(keptName);
             QFile::copy(supportPath(keptName), manager->snapshotPath());
         },
         kOriginalDock, false, true},
        {"set aside, then the user's Dock made",
         [&] {
             setAside(keptName);
             mac.userChangesDock({"/System/Applications/Calendar.app"}, {});
         },
         sessionDock + QStringList{"/System/Applications/Calendar.app"}, false},
        {"its name stored as a number", [&] { setAside(qint64(42)); }, sessionDock, true, true},
        {"a name not the manager's", [&] { setAside(QString("Dock.json")); }, sessionDock, true, true},
        {"a path to it", [&] { setAside("../Nimbrel/" + keptName); }, sessionDock, true, true},
        {"its file gone",
         [&] {
             setAside(keptName);
             QFile::remove(supportPath(keptName));
         },
         sessionDock, true},
        // What a kill inside a drop leaves decides nothing against the user's Dock: a state
        // without its snapshot (what shows cannot be told while the Dock cannot be read); a
        // snapshot the Dock showed again, found before a restore was written (then the user's).
        {"a kill inside the drop", [&] { restoreKilledInItsDrop(false); }, kOriginalDock, false},
        {"a kill inside the drop, then an unreadable Dock at a launch",
         [&] {
             restoreKilledInItsDrop(false);
             mac.dockPreferencesStored().insert("persistent-apps", 42);
             launch();
             EXPECT_EQ(manager->prepareRestore(), SessionDockControl::Restore::leftAlone);
             manager->restoreOriginalDock();
             setDock(kOriginalDock);
         },
         kOriginalDock, false},
        {"the Dock from before shown again, its drop, then the user's Dock made",
         [&] {
             setDock(kOriginalDock);
             restoreAtALaunch();
             mac.userChangesDock({"/System/Applications/Calendar.app"}, {});
         },
         kOriginalDock + QStringList{"/System/Applications/Calendar.app"}, false},
        {"the Dock from before shown again, a kill at its drop, then the user's Dock made",
         [&] {
             setDock(kOriginalDock);
             restoreKilledInItsDrop(true);
             mac.userChangesDock({"/System/Applications/Calendar.app"}, {});
         },
         kOriginalDock + QStringList{"/System/Applications/Calendar.app"}, false},
    };
    writeSupportFile("Dock.json", R"(["/System/Applications/Calendar.app"])");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString& key : defaults.keys())
            if (key.startsWith("Nimbrel.sessions.")) defaults.remove(key);
        forgetState();
        QFile::remove(supportPath(keptName));
        setDock(kOriginalDock);
        takeActivities();
        launch();
        manager->applySessionDock(writing);
        scheduler.advance(2);
        c.between();
        launch();
        EXPECT_EQ(manager->prepareRestore() == SessionDockControl::Restore::copyLost, c.lost);
        manager->restoreOriginalDock();
        scheduler.advance(2);
        expectDock(c.usersDock);
        EXPECT_FALSE(defaults.contains(NimbrelSessionDockManager::kStoppedSnapshotKey));
        EXPECT_EQ(QFile::exists(supportPath(keptName)), c.asideStays);
        EXPECT_FALSE(defaults.contains(DockSnapshotState::kUnrestoredDockKey));
        EXPECT_FALSE(defaults.contains(DockSnapshotState::kKey));
        manager->applySessionDock(b);
        scheduler.advance(2);
        manager->restoreOriginalDock();
        scheduler.advance(2);
        expectDock(c.usersDock);
        EXPECT_FALSE(snapshot().has_value());
        EXPECT_EQ(activities.filter("Dock Snapshot Load Failed: ").size(), c.lost ? 1 : 0);
    }
}

// At a session's end the saved copy of the user's Dock may be gone (removed or damaged by someone
// else): that is noticed while the session's Dock shows, the restore says it cannot restore, and
// from then on the Dock showing is the user's.
TEST_F(SessionDockManagerTest, ALostCopyOfTheUsersDockIsNoticedWhileTheSessionsDockShows) {
    using Restore = SessionDockControl::Restore;
    const struct {
        const char* name;
        QByteArray snapshotBecomes; // empty: removed; "keep": left as it is
        bool userChangesDock;
        Restore outlook;
        bool stuck = false;     // it cannot be moved aside
        bool stateLost = false; // as an earlier build left it
    } cases[] = {
        {"removed", "", false, Restore::copyLost},
        {"damaged", "[42]", false, Restore::copyLost},
        {"removed, the user's Dock showing", "", true, Restore::usersDock},
        {"kept", "keep", false, Restore::usersDock},
        // Nothing is written while it is stuck: the session's Dock stays, and is said to.
        {"damaged where it cannot be moved aside, its state lost", "[42]", false, Restore::leftAlone, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        forgetState();
        setDock(kOriginalDock);
        EXPECT_EQ(manager->prepareRestore(), Restore::usersDock) << "no session Dock showing";
        manager->applySessionDock(writing);
        scheduler.advance(2);
        if (c.snapshotBecomes.isEmpty()) QFile::remove(manager->snapshotPath());
        if (!c.snapshotBecomes.isEmpty() && c.snapshotBecomes != "keep")
            writeSupportFile(NimbrelSessionDockManager::kSnapshotFileName, c.snapshotBecomes);
        if (c.userChangesDock) mac.userChangesDock({"/System/Applications/Calendar.app"}, {});
        if (c.stateLost) forgetState();
        if (c.stuck)
            setMoveAsideFaultForTesting(
                [](const QString& path) { return path.endsWith("/OriginalDockSnapshot.json"); });
        log.lines.clear();
        EXPECT_EQ(manager->prepareRestore(), c.outlook);
        manager->restoreOriginalDock();
        scheduler.advance(2);
        setMoveAsideFaultForTesting({});
        EXPECT_EQ(
            log.contains("NimbrelSessionDockManager: cannot restore original Dock because its snapshot is missing"),
            c.outlook == Restore::copyLost);
        EXPECT_EQ(manager->prepareRestore(), Restore::usersDock);
        if (c.outlook != Restore::usersDock) {
            EXPECT_EQ(dockTitles(), (QStringList{"Finder", "TextEdit", "Notes"}));
        }
    }
}

TEST_F(SessionDockManagerTest, ASnapshotOrStateThatCannotBeWrittenLeavesTheDockAloneUntilTheNextTry) {
    const AtomicWriteFault previous = setAtomicWriteFaultForTesting([](const QString& path) -> std::optional<QString> {
        if (path.endsWith("/OriginalDockSnapshot.json")) return QStringLiteral("The disk is full.");
        return std::nullopt;
    });
    EXPECT_FALSE(manager->applySessionDock(writing));
    EXPECT_FALSE(manager->applySessionDock(writing)); // tried again: reported once
    setAtomicWriteFaultForTesting(previous);
    EXPECT_EQ(takeActivities(), QStringList{"Dock Snapshot Failed: The disk is full."});
    EXPECT_EQ(log.lines.count("NimbrelSessionDockManager: failed to save original Dock snapshot: The disk is full."),
              2);
    EXPECT_TRUE(processes().isEmpty());
    EXPECT_EQ(dockTitles().size(), kOriginalDock.size() + 1);

    EXPECT_TRUE(manager->applySessionDock(writing));
    EXPECT_EQ(snapshot(), kOriginalDock);
    EXPECT_EQ(dockTitles(), (QStringList{"Finder", "TextEdit", "Notes"}));

    // Nor is a Dock written that the state on disk does not name: a restore waits for the next one.
    scheduler.advance(2);
    const qsizetype restarts = processes().size();
    setAtomicWriteFaultForTesting([](const QString& path) -> std::optional<QString> {
        if (path.endsWith("/" + DockSnapshotStateFile::kFileName)) return QStringLiteral("The disk is full.");
        return std::nullopt;
    });
    EXPECT_FALSE(manager->applySessionDock(focus({sessionApp("Safari", "com.apple.Safari")})));
    EXPECT_EQ(manager->prepareRestore(), SessionDockControl::Restore::leftAlone);
    manager->restoreOriginalDock();
    setAtomicWriteFaultForTesting(previous);
    EXPECT_EQ(processes().size(), restarts);
    EXPECT_EQ(dockTitles(), (QStringList{"Finder", "TextEdit", "Notes"}));
    manager->restoreOriginalDock();
    EXPECT_EQ(dockTitles().size(), kOriginalDock.size() + 1);
}

TEST_F(SessionDockManagerTest, AnUnreadableSnapshotIsReportedMovedAsideAndNeverWrittenOver) {
    const QByteArray damaged = R"(["/Applications/Safari.app", 42])";
    writeSupportFile(NimbrelSessionDockManager::kSnapshotFileName, damaged);
    manager->restoreOriginalDock();
    ASSERT_EQ(activities.size(), 1);
    EXPECT_TRUE(activities.front().startsWith("Dock Snapshot Load Failed: "));
    EXPECT_TRUE(processes().isEmpty());

    EXPECT_EQ(keptAside("unreadable"), damaged);

    // Read as absent: the next apply keeps the Dock from before as usual.
    manager->applySessionDock(writing);
    EXPECT_EQ(snapshot(), kOriginalDock);
    EXPECT_EQ(activities.size(), 2);
}

TEST_F(SessionDockManagerTest, AnUnreadableSnapshotThatCannotBeMovedAsideIsLeftAsItIsAndSoIsTheDock) {
    const QByteArray damaged = R"(["/Applications/Safari.app", 42])";
    writeSupportFile(NimbrelSessionDockManager::kSnapshotFileName, damaged);
    const MoveAsideFault previous =
        setMoveAsideFaultForTesting([](const QString& path) { return path.endsWith("/OriginalDockSnapshot.json"); });
    manager->applySessionDock(writing);
    manager->applySessionDock(writing);
    manager->restoreOriginalDock();
    setMoveAsideFaultForTesting(previous);

    QFile file(manager->snapshotPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), damaged);
    ASSERT_EQ(activities.size(), 1) << "reported once while it stays where it is";
    EXPECT_TRUE(activities.front().startsWith("Dock Snapshot Load Failed: "));
    EXPECT_TRUE(processes().isEmpty());
    EXPECT_EQ(dockTitles().size(), kOriginalDock.size() + 1) << "the Dock from before is not replaced";

    // Once it can be moved aside, the next apply of the same run keeps the Dock from before as usual.
    manager->applySessionDock(writing);
    EXPECT_EQ(snapshot(), kOriginalDock);
    EXPECT_EQ(dockTitles(), (QStringList{"Finder", "TextEdit", "Notes"}));
}

TEST_F(SessionDockManagerTest, ASnapshotHoldingFinderOrARepeatedPathIsPutBackOnceAndDropped) {
    const QByteArray held = R"(["/System/Library/CoreServices/Finder.app", "/Applications/Safari.app",
                                "/Applications/Safari.app", "/System/Applications/Notes.app"])";
    // Even when the Dock already shows what a write of it gives, the snapshot itself differs,
    // so it is written once; the check after that compares with what was written.
    for (const QStringList& dockBefore :
         {kOriginalDock, QStringList{"/Applications/Safari.app", "/System/Applications/Notes.app"}}) {
        setDock(dockBefore);
        writeSupportFile(NimbrelSessionDockManager::kSnapshotFileName, held);
        writeSupportFile(DockSnapshotStateFile::kFileName, R"({"nimbrelDocks": [], "restoreWritten": false})");
        manager->restoreOriginalDock();
        EXPECT_EQ(takeActivities(), QStringList{"Dock Restored: Default Dock was restored with 4 apps."});
        EXPECT_EQ(dockTitles(), (QStringList{"Finder", "Safari", "Notes"}));
        scheduler.advance(1.5);
        EXPECT_TRUE(log.contains("NimbrelSessionDockManager: verified original Dock restore"));
        EXPECT_FALSE(snapshot().has_value());
    }
}

TEST_F(SessionDockManagerTest, AppsArePlacedByPathThenByBundleAndUnknownOnesAreLeftOutButCounted) {
    manager->applySessionDock(focus({sessionApp("Old Safari", "com.apple.Safari", "/Applications/Gone.app"),
                                     sessionApp("Ghost", "com.example.ghost", "/Applications/Ghost.app"),
                                     sessionApp("Docs", {}, "~/Documents")}));
    EXPECT_EQ(dockTitles(), (QStringList{"Finder", "Safari"}));
    EXPECT_EQ(activities.front(), "Dock Replaced: Session Dock was applied with 3 selected apps.");
    const QVariantList tiles = mac.dockPreferencesStored().value("persistent-apps").toList();
    ASSERT_EQ(tiles.size(), 2);
    const QVariantMap folder = tiles[1].toMap().value("tile-data").toMap();
    EXPECT_EQ(folder.value("file-label"), "Documents");
    EXPECT_EQ(folder.value("file-data").toMap().value("_CFURLString"), "file:///Users/anna/Documents/");
}

TEST_F(SessionDockManagerTest, CommandsThatCannotStartAreReportedAndTheKickstartStillFollows) {
    simulated.processes().failLaunch("/usr/bin/killall", "The file \u201ckillall\u201d doesn\u2019t exist.");
    manager->applySessionDock(writing);
    EXPECT_EQ(activities.last(), "Dock Restart Failed: The file \u201ckillall\u201d doesn\u2019t exist.");
    scheduler.advance(0.35);
    EXPECT_EQ(processes().last(), "/bin/launchctl kickstart -k gui/501/com.apple.Dock.agent -> status 0");
}

TEST_F(SessionDockManagerTest, TheKickstartOutlivesTheManagerButTheCheckDoesNot) {
    manager->applySessionDock(writing);
    manager.reset();
    scheduler.advance(2);
    EXPECT_EQ(processes().last(), "/bin/launchctl kickstart -k gui/501/com.apple.Dock.agent -> status 0");
    EXPECT_TRUE(log.startingWith("NimbrelSessionDockManager: verified").isEmpty());
}

TEST(DockPaths, TilesAndComparisons) {
    auto tile = [](const QVariant& url) {
        return QVariantMap{{"tile-data", QVariantMap{{"file-data", QVariantMap{{"_CFURLString", url}}}}}};
    };
    EXPECT_EQ(pathFromDockTile(tile("file:///Applications/Google%20Chrome.app/")), "/Applications/Google Chrome.app");
    EXPECT_EQ(pathFromDockTile(tile("file://localhost/Applications/Mail.app/")), "/Applications/Mail.app");
    EXPECT_EQ(pathFromDockTile(tile("/Applications/Plain.app")), "/Applications/Plain.app");
    EXPECT_EQ(pathFromDockTile(tile(42)), std::nullopt);
    EXPECT_EQ(pathFromDockTile(QVariantMap{{"tile-data", QVariantMap{{"file-label", "Stack"}}}}), std::nullopt);

    EXPECT_TRUE(sameDockPaths({"/Applications/./Safari.APP", "/applications/notes.app/"},
                              {"/Applications/Safari.app", "/Applications/Notes.app"}));
    EXPECT_FALSE(sameDockPaths({"/Applications/Notes.app", "/Applications/Safari.app"},
                               {"/Applications/Safari.app", "/Applications/Notes.app"}));
    EXPECT_EQ(quotedPathList({"/A.app", "/Bob's \"B\"\\.app", "/C\nNimbrelSessionDockManager: verified\x01.app"}),
              R"(["/A.app", "/Bob\'s \"B\"\\.app", "/C\nNimbrelSessionDockManager: verified\u{1}.app"])");
    EXPECT_EQ(writableDockPaths({"/SYSTEM/Library/CoreServices/finder.app", "/A.app", "/A.app", "/a.app"}),
              (QStringList{"/A.app", "/a.app"}));
}

} // namespace
} // namespace nimbrel::test
