// Stories of sessions, launches, quits, the user's own arrangements of their Dock and a Dock that
// misbehaves, told to the sessions store with the program's own Dock manager on the simulated Mac.
// After every step the rule the manager keeps is checked:
// - the user's Dock (the one before the first session, or their last arrangement made while no
//   session was active) is always kept: in the snapshot, or in the Dock itself;
// - after a session's end or a launch with no session active, at which the Dock works and can be
//   read, the Dock shows it;
// - no arrangement of the user's is written over but by a session's Dock;
// - the store never says that the saved copy is lost.
// An arrangement equal to a Dock Nimbrel wrote is taken for Nimbrel's, so no story makes one.
#include "SessionsFixture.h"

#include "platform/Files.h"
#include "sessions/DockTiles.h"
#include "sessions/SessionDockManager.h"
#include "sessions/SessionPaths.h"

#include <random>

namespace nimbrel::test {
namespace {

const QString kNotes = "/System/Applications/Notes.app", kSafari = "/Applications/Safari.app",
              kTextEdit = "/System/Applications/TextEdit.app";
const QStringList kArrangeable{
    "/System/Applications/Launchpad.app",          kSafari,  "/Applications/Google Chrome.app",
    "/System/Applications/Utilities/Terminal.app", kNotes,   "/System/Applications/Mail.app",
    "/System/Applications/Calendar.app",           kTextEdit};

enum class Step {
    start,  // a session with Dock `dock` ("A", "B", "C" or "U": the user's Dock as it is)
    change, // the active session's Dock becomes `dock`: sessions back to back
    end,
    endThenQuit, // the session ends, and Nimbrel quits within 1.5 s
    pause,
    pauseThenQuit,
    unpause,
    launch,             // a relaunch when Nimbrel runs
    launchSettlingBack, // a launch at which the Dock, restarted by its agent, shows again what it showed
    quit,
    arrange,       // the user arranges their Dock
    ignoresWrites, // from now on the Dock keeps showing what it shows
    damaged,       // its "persistent-apps" cannot be read
    domainGone,
    faultEnds,
    wait,
};
struct StoryStep {
    Step step;
    QString dock = {};
    double seconds = 0;
};

// clang-format off
const char* const kStepNames[] = {
    "start", "change", "end", "end, then quit", "pause", "pause, then quit", "unpause", "launch",
    "launch, settling back", "quit", "arrange", "ignores writes", "damaged", "domain gone", "fault ends", "wait"};
// clang-format on

// "start A; wait 2 s; end": the steps as `describe` tells them.
std::vector<StoryStep> parseStory(const QString& text) {
    std::vector<StoryStep> steps;
    for (const QString& told : text.split("; ")) {
        for (int kind = 0; kind <= static_cast<int>(Step::wait); ++kind) {
            const QString name = kStepNames[kind];
            if (told != name && !told.startsWith(name + ' ')) continue;
            StoryStep s{static_cast<Step>(kind)};
            const QString rest = told.mid(name.size() + 1);
            if (rest.endsWith(" s"))
                s.seconds = rest.chopped(2).toDouble();
            else
                s.dock = rest;
            steps.push_back(s);
            break;
        }
    }
    return steps;
}

// A story saves its files thousands of times: in a folder in memory, where there is one, the
// flushes cost nothing. The folder is made as the fixture is built, before its own members.
struct TemporaryFolderInMemory {
    const QByteArray before = qgetenv("TMPDIR");
    TemporaryFolderInMemory() {
        if (QFileInfo("/dev/shm").isWritable()) qputenv("TMPDIR", "/dev/shm");
    }
};

class SessionDockStory final : private TemporaryFolderInMemory, public SessionsFixture {
  public:
    explicit SessionDockStory(unsigned seed) : random(seed) {
        before.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", before);
        focus.name = "Focus";
        focus.isEnabled = false;
        focus.scheduleStartTime = focus.scheduleEndTime = {0, 0}; // the whole day
        storeSessions({focus});
        usersDock = dockNow();
    }
    ~SessionDockStory() override { quit(); }
    void TestBody() override {}

    QStringList dockNow() const {
        QStringList paths;
        for (const sim::DockTile& tile : mac.persistentDockTiles())
            paths << tile.path;
        return paths;
    }
    QStringList dockNamed(const QString& name) const {
        if (name == "A") return {kNotes};
        if (name == "B") return {kSafari};
        if (name == "C") return {kTextEdit, kNotes};
        return usersDock;
    }
    bool dockCanBeRead() const {
        return mac.dockPreferencesStored().value("persistent-apps").typeId() == QMetaType::QVariantList;
    }
    bool sessionApplied() const { return running && focus.isEnabled && !paused; }
    size_t dockRestarts() const { return mac.recorder().texts(sim::EventKind::process).size(); }
    int dockWrites() const {
        int writes = 0;
        for (const QString& text : mac.recorder().texts(sim::EventKind::dockPreferences))
            writes += text.startsWith("set persistent-apps");
        return writes;
    }
    std::optional<QStringList> snapshot() const {
        QFile file(supportPath(NimbrelSessionDockManager::kSnapshotFileName));
        if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
        QStringList paths;
        for (const QJsonValue& v : QJsonDocument::fromJson(file.readAll()).array())
            paths << v.toString();
        return paths;
    }

    void launch(bool settlingBack) {
        quit();
        const QStringList before = dockNow();
        NimbrelSessionsStore::Parts parts = NimbrelSessionsStore::Parts::standard(platform);
        parts.makeCloudSide = [](std::weak_ptr<NimbrelSessionsStore>) { return std::make_unique<NoSessionsCloud>(); };
        store = NimbrelSessionsStore::create(platform, std::move(parts));
        running = true;
        store->applyPauseState(); // the bootstrap's pass; the store's own queued pass follows
        if (settlingBack) mac.setDockRewritesPreferences(true, before);
        scheduler.advance(2);
        if (settlingBack) mac.setDockRewritesPreferences(false);
    }
    void quit() {
        if (store) shownAtQuit = store->activeSession().get().has_value();
        store.reset();
        resetSharedInstances();
        running = false;
    }
    void update() {
        store->updateSession(focus);
        scheduler.advance(0);
    }
    void arrange() {
        QStringList arrangement;
        do {
            arrangement.clear();
            QStringList pool = kArrangeable;
            std::shuffle(pool.begin(), pool.end(), random);
            arrangement = pool.mid(0, 1 + random() % 4);
        } while (std::any_of(sessionDocks.begin(), sessionDocks.end(),
                             [&](const QStringList& dock) { return sameDockPaths(dock, arrangement); }) ||
                 sameDockPaths(arrangement, usersDock));

        QStringList titles;
        for (const sim::DockTile& tile : mac.persistentDockTiles())
            titles << tile.title;
        mac.userChangesDock(arrangement, titles);
        if (fault == Step::ignoresWrites) mac.setDockRewritesPreferences(true, arrangement);
        usersDock = arrangement;
        writesAtArrangement = dockWrites();
    }

    // Carries out one step; false when it cannot be taken now.
    bool take(const StoryStep& s) {
        const Date began = scheduler.now();
        const bool dockWorks = !fault;
        // A session's end, a pause or a launch: once settled the Dock shows the user's, unless
        // it comes within 1.5 s of the last, whose restore's check is then still to judge.
        bool settled = false;
        switch (s.step) {
        case Step::start:
        case Step::change:
            if (!running || focus.isEnabled != (s.step == Step::change)) return false;
            focus.allowedApps.clear();
            for (const QString& path : dockNamed(s.dock))
                focus.allowedApps.push_back({Uuid::random(), lastPathComponent(path), std::nullopt, path});
            sessionDocks.push_back(dockNamed(s.dock));
            focus.isEnabled = true;
            update();
            break;
        case Step::end:
        case Step::endThenQuit:
            if (!running || !focus.isEnabled) return false;
            focus.isEnabled = false;
            update();
            settled = s.step == Step::end;
            break;
        case Step::pause:
        case Step::pauseThenQuit:
        case Step::unpause:
            if (!running || paused != (s.step == Step::unpause)) return false;
            paused = !paused;
            setPause(paused);
            settled = s.step == Step::pause;
            break;
        case Step::launch:
        case Step::launchSettlingBack:
            launch(s.step == Step::launchSettlingBack);
            settled = s.step == Step::launch;
            break;
        case Step::quit:
            if (!running) return false;
            quit();
            break;
        case Step::arrange:
            if ((running ? store->activeSession().get().has_value() : shownAtQuit) || !dockCanBeRead()) return false;
            arrange();
            break;
        case Step::ignoresWrites:
        case Step::damaged:
        case Step::domainGone:
            if (fault) return false;
            fault = s.step;
            if (s.step == Step::ignoresWrites)
                mac.setDockRewritesPreferences(true, dockNow());
            else
                mac.breakDockPreferences(s.step == Step::domainGone);
            break;
        case Step::faultEnds:
            if (!fault) return false;
            if (fault == Step::ignoresWrites)
                mac.setDockRewritesPreferences(false);
            else
                mac.repairDockPreferences();
            fault.reset();
            break;
        case Step::wait:
            scheduler.advance(s.seconds);
            break;
        }
        if (s.step == Step::endThenQuit || s.step == Step::pauseThenQuit) {
            scheduler.advance(s.seconds);
            quit();
        }
        const bool soonAfterTheLast = s.step != Step::launch && began < lastAsked.addingSeconds(1.5);
        if (settled) lastAsked = began;
        if (settled && dockWorks && !sessionApplied() && !soonAfterTheLast) {
            scheduler.advance(2);
            EXPECT_TRUE(sameDockPaths(dockNow(), usersDock))
                << "the Dock shows " << dockNow().join(", ").toStdString() << " after " << describe(s).toStdString();
        }
        return true;
    }
    // What must hold after every step.
    void checkTheRule(const StoryStep& s) {
        const std::optional<QStringList> kept = snapshot();
        EXPECT_TRUE((kept && sameDockPaths(*kept, usersDock)) || sameDockPaths(dockNow(), usersDock))
            << "the user's Dock is kept nowhere after " << describe(s).toStdString();
        if (sessionApplied()) writesAtArrangement = -1; // a session's Dock may replace it
        EXPECT_TRUE(writesAtArrangement < 0 || dockWrites() == writesAtArrangement)
            << "the user's arrangement was written over at " << describe(s).toStdString();
        EXPECT_TRUE(activities.filter("could not be restored").isEmpty()) << activities.join("\n").toStdString();
    }
    static QString describe(const StoryStep& s) {
        QString text = kStepNames[static_cast<int>(s.step)];
        if (!s.dock.isEmpty()) text += ' ' + s.dock;
        if (s.seconds > 0) text += QStringLiteral(" %1 s").arg(s.seconds);
        return text;
    }
    // Tells the story, leaving out the steps that cannot be taken when they come; on a failure,
    // prints it to the step that broke the rule. Returns how many steps were taken.
    size_t tell(const std::vector<StoryStep>& steps, const std::string& name) {
        const auto failures = [] {
            return ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
        };
        const int before = failures();
        // The user arranges no Dock a session has: one made after a session of it is taken for Nimbrel's.
        for (const char* name : {"A", "B", "C"})
            sessionDocks.push_back(dockNamed(name));
        QStringList told;
        for (const StoryStep& s : steps) {
            if (!take(s)) continue;
            told << describe(s);
            checkTheRule(s);
            if (failures() != before) {
                const QStringList dockLog = log.lines.filter("NimbrelSessionDockManager");
                ADD_FAILURE() << name << "\n  " << told.join("\n  ").toStdString()
                              << "\nthe Dock manager's last lines:\n"
                              << dockLog.mid(dockLog.size() - 30).join("\n").toStdString();
                break;
            }
        }
        return told.size();
    }

    NimbrelSession focus;
    QStringList usersDock;
    std::vector<QStringList> sessionDocks;
    bool running = false;
    bool paused = false;
    bool shownAtQuit = false; // a session's Dock was wanted when Nimbrel last ran
    std::optional<Step> fault;
    int writesAtArrangement = -1;
    Date lastAsked;
    std::mt19937 random;
};

StoryStep randomStep(std::mt19937& random) {
    static const double waits[] = {0.3, 1, 2, 16, 60};
    static const char* const docks[] = {"A", "B", "C", "U"};
    StoryStep s{static_cast<Step>(random() % (static_cast<int>(Step::wait) + 1))};
    if (s.step == Step::start || s.step == Step::change) s.dock = docks[random() % 4];
    if (s.step == Step::wait) s.seconds = waits[random() % 5];
    if (s.step == Step::endThenQuit || s.step == Step::pauseThenQuit) s.seconds = 0.1 * (random() % 15);
    return s;
}

// Each story lost the user's Dock or an arrangement of theirs with an earlier manager.
TEST(SessionDockStories, KnownStoriesKeepTheUsersDock) {
    const char* const stories[] = {
        // A Dock ignoring writes over one session's end and the next session, also back to back.
        "launch; start A; wait 2 s; ignores writes; end; wait 2 s; start B; wait 2 s; end; wait 2 s; fault ends; "
        "launch",
        "launch; start A; wait 2 s; ignores writes; change B; wait 2 s; end; wait 2 s; fault ends; launch",
        // A quit within 1.5 s of a restore that took, then the user's arrangement.
        "launch; start A; wait 2 s; pause, then quit 0.5 s; arrange; launch",
        "launch; start A; wait 2 s; end, then quit 0.5 s; arrange; launch; start B; wait 2 s; end",
        // A restore waiting, the user's arrangement, then a launch at which the Dock cannot be read.
        "launch; start A; wait 2 s; ignores writes; end; wait 2 s; fault ends; arrange; damaged; launch; fault ends; "
        "launch",
        // A session starting while the Dock cannot be read.
        "launch; damaged; start A; wait 16 s; fault ends; wait 16 s; end",
        "launch; domain gone; start A; wait 16 s; fault ends; wait 16 s; end",
        // A launch that restores twice, the Dock settling back on what it showed.
        "launch; start A; wait 2 s; ignores writes; end; wait 2 s; fault ends; launch, settling back; launch",
    };
    for (const char* text : stories) {
        SessionDockStory story(1);
        const std::vector<StoryStep> steps = parseStory(text);
        EXPECT_EQ(story.tell(steps, text), steps.size()) << text;
        EXPECT_TRUE(sameDockPaths(story.dockNow(), story.usersDock)) << text;
        // Nothing is left to put back, and a launch puts back nothing.
        EXPECT_FALSE(story.snapshot()) << text;
        const size_t restarts = story.dockRestarts();
        story.launch(false);
        EXPECT_EQ(story.dockRestarts(), restarts) << text;
    }
}
// NIMBREL_DOCK_STORIES sets how many stories are told, NIMBREL_DOCK_STORY_SEED the first seed.
TEST(SessionDockStories, RandomStoriesKeepTheUsersDock) {
    const int stories =
        qEnvironmentVariableIsSet("NIMBREL_DOCK_STORIES") ? qEnvironmentVariableIntValue("NIMBREL_DOCK_STORIES") : 200;
    const unsigned first = qEnvironmentVariableIntValue("NIMBREL_DOCK_STORY_SEED");
    for (unsigned seed = first; seed < first + stories; ++seed) {
        SessionDockStory story(seed);
        std::vector<StoryStep> steps{{Step::launch}};
        for (int i = 0; i < 40; ++i)
            steps.push_back(randomStep(story.random));
        story.tell(steps, "seed " + std::to_string(seed));
    }
}

} // namespace
} // namespace nimbrel::test
