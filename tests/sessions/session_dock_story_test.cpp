// Stories of sessions, launches, quits and kills, the user's own arrangements of their Dock, and a
// Dock, files and preferences that misbehave, told to the sessions store with the program's own
// Dock manager on the simulated Mac. After every step the rule the manager keeps is checked:
// - the user's Dock (the one before the first session, or their last arrangement made while no
//   session's Dock was written, or during a session that kept no snapshot) is always kept: in the
//   snapshot, or in the Dock itself. Where the manager cannot tell an arrangement from a Dock of
//   its own (the story left the state unknown) it keeps one of the two and sets the other aside
//   in a file, which holds a Dock kept nowhere else: the one it kept is the user's from then on;
// - after a session's end or a launch with no session active, at which the Dock works and can be
//   read, the Dock shows it;
// - no arrangement of the user's is written over but by a session's Dock, or once it is set aside;
// - the kept state names the session Dock showing, stays marked as written back while a snapshot
//   older than the user's Dock is kept, and names no Dock once the snapshot has gone (but where a
//   kill inside the drop, or a disk refusing both its removal and its rewrite, left it);
// - "restored" is said only when the user's Dock shows or was just written back, "Dock Kept" only
//   when the Dock kept is the user's, and the store never says that the saved copy is lost.
// An arrangement equal to a Dock Nimbrel wrote is taken for Nimbrel's, so no story makes one, but
// where only the session tells it for Nimbrel's: the state is missing or unreadable.
#include "SessionsFixture.h"

#include "platform/DockPreferences.h"
#include "platform/Files.h"
#include "sessions/DockSnapshotStateFile.h"
#include "sessions/DockTiles.h"
#include "sessions/SessionDockManager.h"
#include "sessions/SessionPaths.h"
#include "sessions/SupportFiles.h"

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
    damaged,       // its "persistent-apps" cannot be read (also while it ignores writes)
    domainGone,
    undeletable,      // the snapshot cannot be deleted
    stateUndeletable, // nor its state
    asidesFail,       // no Dock file can be set aside: moved, or written to be
    snapshotBlocked,  // the snapshot can be neither read nor moved aside
    stateUnwritable,
    faultEnds,          // all of them
    killAt,             // Nimbrel is killed at its `write`th durable step from now: a support file's write,
                        // removal or set-aside, the Dock's before or after its synchronize, its preferences' flush
    killAtRemoval,      // at its `write`th removal of a support file from now
    killAtSetAside,     // at its `write`th set-aside of one
    preferencesLost,    // Nimbrel's preferences are found unreadable: they start empty
    stateDamaged,       // an entry of another shape in the kept state
    stateIncomplete,    // as a kill while the Dock was being written leaves it
    previousBuild,      // the snapshot a restore left, without the state the previous build never kept
    stateInPreferences, // the state where the previous build kept it, its file unwritable until a fault ends
    respelled,          // the Dock gives its paths back in other letter case, with a trailing slash
    wait,
};
struct StoryStep {
    Step step;
    QString dock = {};
    double seconds = 0;
    int write = 0;
};

// clang-format off
const char* const kStepNames[] = {
    "start", "change", "end", "end, then quit", "pause", "pause, then quit", "unpause", "launch",
    "launch, settling back", "quit", "arrange", "ignores writes", "damaged", "domain gone", "snapshot undeletable",
    "state undeletable", "set-asides fail", "snapshot blocked", "state unwritable", "fault ends", "kill at write",
    "kill at removal", "kill at set-aside", "preferences lost", "state damaged", "state left incomplete",
    "left by the previous build", "state in the preferences", "paths respelled", "wait"};
// clang-format on
const QString kRestored = "Session Ended: Default Dock, wallpapers and menu bar icon were restored.";
const QString kAlreadyShown = "NimbrelSessionDockManager: Dock already matches original snapshot, skipping restart";

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
            else if (rest.toInt() > 0)
                s.write = rest.toInt();
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

struct Killed {};

// Nimbrel's preferences as they are kept on disk: a change is flushed at the next synchronize or
// 0.1 s after it, and a kill loses what was not.
class PreferencesFlushedLater final : public InMemoryUserDefaults {
  public:
    PreferencesFlushedLater(Scheduler& scheduler, std::function<void()> beforeFlush)
        : scheduler_(scheduler), beforeFlush_(std::move(beforeFlush)) {}
    void set(const QString& key, const QVariant& value) override {
        InMemoryUserDefaults::set(key, value);
        flushSoon();
    }
    void remove(const QString& key) override {
        InMemoryUserDefaults::remove(key);
        flushSoon();
    }
    bool synchronize() override {
        beforeFlush_();
        flushed_ = values_;
        return true;
    }
    void kill() {
        if (flush_) flush_->cancel();
        values_ = flushed_;
    }
    void loseAll() { values_ = flushed_ = {}; }

  private:
    void flushSoon() {
        if (!flush_ || flush_->isCancelled()) flush_ = scheduler_.after(0.1, [this] { flushed_ = values_; });
    }
    Scheduler& scheduler_;
    std::function<void()> beforeFlush_;
    QVariantMap flushed_;
    WorkHandle flush_;
};

// The Dock's preferences, telling of each write of its apps and of its synchronize, before the
// preferences are written and after.
class DockPreferencesTold final : public DockPreferences {
  public:
    DockPreferencesTold(DockPreferences& dock, std::function<void()> synchronizing,
                        std::function<void(const QStringList&)> wrote)
        : dock_(dock), synchronizing_(std::move(synchronizing)), wrote_(std::move(wrote)) {}
    QVariant copyValue(const QString& key) const override { return dock_.copyValue(key); }
    void setValue(const QString& key, const QVariant& value) override {
        dock_.setValue(key, value);
        if (key != kDockPersistentAppsKey) return;
        written_.clear();
        for (const QVariant& tile : value.toList())
            if (auto path = pathFromDockTile(tile.toMap())) written_ << *path;
    }
    bool synchronize() override {
        synchronizing_();
        const bool stored = dock_.synchronize();
        if (stored) wrote_(written_);
        synchronizing_();
        return stored;
    }
    std::optional<QVariantMap> persistentDomain() const override { return dock_.persistentDomain(); }

  private:
    DockPreferences& dock_;
    std::function<void()> synchronizing_;
    std::function<void(const QStringList&)> wrote_;
    QStringList written_;
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
        platform.defaults = &preferences;
        platform.dockPreferences = &dockPreferences;
        keptToken = notifications.addObserver(kRecordActivityNotification, [this](const Notification& n) {
            const QString title = n.userInfo.value("title").toString();
            EXPECT_TRUE(title != "Dock Kept" || sameDockPaths(dockNow(), usersDock))
                << "said kept of " << dockNow().join(", ").toStdString();
            if (title == "Dock Snapshot Set Aside" || title == "Dock Set Aside")
                setAside(title == "Dock Set Aside", n.userInfo.value("message").toString());
        });
        earlierHook = setAtomicWriteHookForTesting([this](const QString& temporary) {
            if (ofTheDock(QFileInfo(temporary).fileName().mid(1))) durableStep(Step::killAt);
        });
        earlierWriteFault = setAtomicWriteFaultForTesting([this](const QString& path) -> std::optional<QString> {
            const QString name = QFileInfo(path).fileName();
            if ((stateUnwritable && name == DockSnapshotStateFile::kFileName) ||
                (asidesFail && name == DockSnapshotFile::kReplacedDockFileName))
                return QStringLiteral("The disk is full.");
            return std::nullopt;
        });
        setSupportFileRemoveFaultForTesting([this](const QString& path) {
            const QString name = QFileInfo(path).fileName();
            if (!ofTheDock(name) || !QFile::exists(path)) return false;
            durableStep(Step::killAtRemoval);
            return ((undeletable && name == NimbrelSessionDockManager::kSnapshotFileName) ||
                    (stateUndeletable && name == DockSnapshotStateFile::kFileName));
        });
        earlierAsideFault = setMoveAsideFaultForTesting([this](const QString& path) {
            const QString name = QFileInfo(path).fileName();
            if (!ofTheDock(name)) return false;
            durableStep(Step::killAtSetAside);
            return asidesFail || (isBlocked() && name == NimbrelSessionDockManager::kSnapshotFileName);
        });
    }
    ~SessionDockStory() override {
        killAt = 0;
        quit();
        setAtomicWriteHookForTesting(earlierHook);
        setAtomicWriteFaultForTesting(earlierWriteFault);
        setMoveAsideFaultForTesting(earlierAsideFault);
        setSupportFileRemoveFaultForTesting({});
        platform.defaults = &defaults;
        platform.dockPreferences = &simulated.dockPreferences();
    }
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
    int dockWrites() const { return static_cast<int>(writes.size()); }
    static std::optional<QStringList> pathsIn(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
        QStringList paths;
        for (const QJsonValue& v : QJsonDocument::fromJson(file.readAll()).array())
            paths << v.toString();
        return paths;
    }
    bool faulty() const {
        return ignoresWrites || preferencesBroken || undeletable || stateUndeletable || asidesFail || stateUnwritable ||
               isBlocked();
    }
    static bool ofTheDock(const QString& fileName) {
        return fileName.startsWith("OriginalDockSnapshot") ||
               fileName.startsWith(DockSnapshotFile::kReplacedDockFileName);
    }
    // Where a blocked snapshot's path holds a folder, the story keeps the snapshot meanwhile.
    QString blockedStash() const { return supportPath("blocked snapshot"); }
    bool isBlocked() const { return QFileInfo(supportPath(NimbrelSessionDockManager::kSnapshotFileName)).isDir(); }
    std::optional<QStringList> snapshot() const {
        return pathsIn(isBlocked() ? blockedStash() : supportPath(NimbrelSessionDockManager::kSnapshotFileName));
    }
    bool snapshotIsTheUsers() const { return !snapshot() || sameDockPaths(*snapshot(), usersDock); }
    // The state kept beside the snapshot, where the build keeps it: its file, or the preferences.
    struct Kept {
        bool present = false, readable = false, restoreWritten = false, incomplete = false;
        std::vector<QStringList> docks;
        bool names(const QStringList& dock) const {
            return std::any_of(docks.begin(), docks.end(),
                               [&](const QStringList& d) { return sameDockPaths(d, dock); });
        }
    };
    Kept kept() const {
        QFile file(supportPath(DockSnapshotStateFile::kFileName));
        const bool inFile = file.open(QIODevice::ReadOnly);
        Kept k;
        k.present = inFile || preferences.contains(DockSnapshotState::kKey);
        const QVariantMap stored = inFile
                                       ? QJsonDocument::fromJson(file.readAll()).object().toVariantMap()
                                       : preferences.dictionaryValue(DockSnapshotState::kKey).value_or(QVariantMap());
        k.readable = stored.value("restoreWritten").typeId() == QMetaType::Bool;
        for (const QVariant& dock : stored.value("nimbrelDocks").toList()) {
            k.readable = k.readable && dock.typeId() == QMetaType::QVariantList;
            k.docks.push_back(dock.toStringList());
        }
        k.restoreWritten = stored.value("restoreWritten").toBool();
        k.incomplete = stored.value("incomplete").toBool();
        return k;
    }
    // A durable step of the kind `kind` names (`killAt`: a write, the Dock's or the preferences').
    void durableStep(Step kind) {
        if (killAt > 0 && (killing == Step::killAt || killing == kind) && --killAt == 0) {
            killedAt = kind;
            throw Killed{};
        }
    }

    void launch(bool settlingBack) {
        quit();
        const QStringList before = dockNow();
        NimbrelSessionsStore::Parts parts = NimbrelSessionsStore::Parts::standard(platform);
        // Nothing of the cloud or the reminders touches the Dock.
        parts.makeCloudSide = [](std::weak_ptr<NimbrelSessionsStore>) { return std::make_unique<NoSessionsCloud>(); };
        parts.reminders = [this]() -> SessionReminderControl& { return noReminders; };
        running = true;
        store = NimbrelSessionsStore::create(platform, std::move(parts));
        store->applyPauseState(); // the bootstrap's pass; the store's own queued pass follows
        if (!settlingBack) return scheduler.advance(2);
        mac.setDockRewritesPreferences(true, before);
        // Settled back once, even when Nimbrel is killed meanwhile.
        const std::unique_ptr<sim::SimulatedMac, void (*)(sim::SimulatedMac*)> settled(
            &mac, [](sim::SimulatedMac* m) { m->setDockRewritesPreferences(false); });
        scheduler.advance(2);
    }
    void quit() {
        store.reset();
        resetSharedInstances();
        running = false;
    }
    void kill() {
        quit();
        preferences.kill();
        mac.dockPreferencesPending() = mac.dockPreferencesStored(); // what was not written is gone
        mac.restartDock();                                          // and the Dock shows what was
        paused = preferences.boolValue("Nimbrel.globalPauseActive").value_or(false);
        stateUnknown = stateUnknown || (snapshot() && !kept().present);
    }
    void update() {
        store->updateSession(focus);
        scheduler.advance(0);
    }
    void setPaused(bool on) {
        paused = on;
        preferences.setBool("Nimbrel.globalPauseActive", on);
        notifications.post("Nimbrel.pauseStateDidChange");
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
        // With the state missing or unreadable only the session stands for Nimbrel's Docks: the
        // user may make its Dock, which is then never written over before it is set aside.
        const Kept k = kept();
        QStringList focusDock;
        for (const NimbrelSessionApp& app : focus.allowedApps)
            focusDock << *app.path;
        if (snapshot() && !k.readable && !sameDockPaths(focusDock, *snapshot()) && random() % 2)
            arrangement = focusDock;

        QStringList titles;
        for (const sim::DockTile& tile : mac.persistentDockTiles())
            titles << tile.title;
        mac.userChangesDock(arrangement, titles);
        if (ignoresWrites) mac.setDockRewritesPreferences(true, arrangement);
        // Made while a session's Dock was written over the one kept: it goes with the session,
        // and Nimbrel may take it for its own from then on.
        if (sessionDockShown && snapshot()) return sessionDocks.push_back(arrangement);
        usersDock = arrangement;
        writesAtArrangement = dockWrites();
    }
    // Changes the kept state where the build keeps it; false when there is none.
    bool changeKeptState(const std::function<void(QVariantMap&)>& change) {
        QFile file(supportPath(DockSnapshotStateFile::kFileName));
        QVariantMap stored = file.exists() && file.open(QIODevice::ReadWrite)
                                 ? QJsonDocument::fromJson(file.readAll()).object().toVariantMap()
                                 : preferences.dictionaryValue(DockSnapshotState::kKey).value_or(QVariantMap());
        if (stored.isEmpty()) return false;
        change(stored);
        if (!file.isOpen()) return preferences.set(DockSnapshotState::kKey, stored), true;
        file.resize(0);
        file.write(QJsonDocument(QJsonObject::fromVariantMap(stored)).toJson());
        return true;
    }
    void damageKeptState() {
        changeKeptState([](QVariantMap& stored) {
            QVariantList docks = stored.value("nimbrelDocks").toList();
            if (docks.isEmpty())
                docks << 42;
            else
                docks.last() = docks.last().toList().value(0).toString(); // a path where a Dock was
            stored.insert("nimbrelDocks", docks);
        });
    }
    void respellDockPaths() {
        for (QVariantMap* domain : {&mac.dockPreferencesStored(), &mac.dockPreferencesPending()}) {
            QVariantList tiles = domain->value("persistent-apps").toList();
            for (QVariant& tile : tiles) {
                QVariantMap entry = tile.toMap(), data = entry["tile-data"].toMap(), file = data["file-data"].toMap();
                if (auto path = pathFromDockTile(entry)) file["_CFURLString"] = path->toLower() + '/';
                data["file-data"] = file;
                entry["tile-data"] = data;
                tile = entry;
            }
            if (domain->value("persistent-apps").typeId() == QMetaType::QVariantList)
                domain->insert("persistent-apps", tiles);
        }
    }

    // Carries out one step; false when it cannot be taken now.
    bool carryOut(const StoryStep& s, bool& settled) {
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
            setPaused(!paused);
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
            if (!dockCanBeRead()) return false;
            arrange();
            break;
        case Step::ignoresWrites:
            if (ignoresWrites) return false;
            ignoresWrites = true;
            mac.setDockRewritesPreferences(true, dockNow());
            break;
        case Step::damaged:
        case Step::domainGone:
            if (preferencesBroken) return false;
            preferencesBroken = true;
            mac.breakDockPreferences(s.step == Step::domainGone);
            break;
        case Step::undeletable:
            if (stateUnwritable || std::exchange(undeletable, true)) return false;
            break;
        case Step::stateUndeletable:
            if (std::exchange(stateUndeletable, true)) return false;
            break;
        case Step::asidesFail:
            if (std::exchange(asidesFail, true)) return false;
            break;
        case Step::snapshotBlocked:
            if (isBlocked() ||
                !QFile::rename(supportPath(NimbrelSessionDockManager::kSnapshotFileName), blockedStash()))
                return false;
            QDir().mkdir(supportPath(NimbrelSessionDockManager::kSnapshotFileName));
            break;
        case Step::stateUnwritable:
            // Nor while the snapshot cannot be deleted: a drop could then neither mark it written
            // back nor remove it, and the next restore writes it over what the user arranges.
            if (undeletable || std::exchange(stateUnwritable, true)) return false;
            break;
        case Step::faultEnds:
            if (!faulty()) return false;
            if (std::exchange(ignoresWrites, false)) mac.setDockRewritesPreferences(false);
            if (std::exchange(preferencesBroken, false)) mac.repairDockPreferences();
            undeletable = stateUndeletable = asidesFail = stateUnwritable = false;
            if (isBlocked()) {
                QDir().rmdir(supportPath(NimbrelSessionDockManager::kSnapshotFileName));
                QFile::rename(blockedStash(), supportPath(NimbrelSessionDockManager::kSnapshotFileName));
            }
            break;
        case Step::killAt:
        case Step::killAtRemoval:
        case Step::killAtSetAside:
            if (killAt > 0) return false;
            killAt = s.write;
            killing = s.step;
            break;
        case Step::preferencesLost:
            if (running) return false;
            preferences.loseAll();
            paused = false;
            break;
        case Step::stateDamaged:
            // Not while a snapshot older than the user's Dock is kept (one that could not be
            // deleted): without its state nothing tells it from theirs.
            if (!kept().present || !snapshotIsTheUsers()) return false;
            damageKeptState();
            stateUnknown = true;
            break;
        case Step::stateIncomplete:
            if (!kept().readable || kept().incomplete) return false;
            changeKeptState([](QVariantMap& stored) { stored.insert("incomplete", true); });
            break;
        case Step::stateInPreferences: {
            QFile file(supportPath(DockSnapshotStateFile::kFileName));
            if (running || undeletable || !kept().readable || !file.open(QIODevice::ReadOnly)) return false;
            preferences.set(DockSnapshotState::kKey, QJsonDocument::fromJson(file.readAll()).object().toVariantMap());
            file.remove();
            stateUnwritable = true;
            break;
        }
        case Step::previousBuild:
            if (running || !snapshot() || !snapshotIsTheUsers() || sessionDockShown) return false;
            QFile::remove(supportPath(DockSnapshotStateFile::kFileName));
            for (const QString& key : {DockSnapshotState::kKey, DockSnapshotState::kWrittenSessionDockKey,
                                       DockSnapshotState::kUnrestoredDockKey})
                preferences.remove(key);
            stateUnknown = true;
            break;
        case Step::respelled:
            if (!dockCanBeRead()) return false;
            respellDockPaths();
            break;
        case Step::wait:
            scheduler.advance(s.seconds);
            break;
        }
        if (s.step == Step::endThenQuit || s.step == Step::pauseThenQuit) {
            scheduler.advance(s.seconds);
            quit();
        }
        return true;
    }
    // Carries out one step and judges what was said in it; false when it cannot be taken now.
    bool take(const StoryStep& s) {
        const Date began = scheduler.now();
        const qsizetype said = activities.size();
        const qsizetype logged = log.lines.size();
        // Where a restore cannot be made safe, the Dock is left as it is.
        const bool dockWorks = !ignoresWrites && !preferencesBroken && !isBlocked() && !stateUnwritable && !asidesFail;
        keptBefore = kept();
        stateWasUnknown = stateUnknown || keptBefore.incomplete || (keptBefore.present && !keptBefore.readable) ||
                          (snapshot() && !keptBefore.present);
        // A session's end, a pause or a launch: once settled the Dock shows the user's, unless
        // it comes within 1.5 s of the last, whose restore's check is then still to judge it.
        bool settled = false;
        bool killed = false;
        bool judgeSettled = false;
        try {
            if (!carryOut(s, settled)) return false;
            const bool soonAfterTheLast = s.step != Step::launch && began < lastAsked.addingSeconds(1.5);
            if (settled) lastAsked = began;
            judgeSettled = settled && dockWorks && !sessionApplied() && !soonAfterTheLast;
            if (judgeSettled) scheduler.advance(2); // the restore's check, which may be killed too
        } catch (const Killed&) {
            kill();
            killed = true;
        }
        judgeWhatWasSaid(activities.mid(said), began, killed, s);
        // Found showing, the snapshot is marked written back before it goes, so a kill at one of
        // the drop's removals finds the mark on disk where the state can be written. Killed before
        // that mark, the files are as they were while the session's Dock showed: an arrangement
        // made next goes with the session, and the next restore writes the snapshot over it.
        const bool marked = !killed || kept().restoreWritten || (killedAt == Step::killAtRemoval && !stateUnwritable);
        if (!sessionApplied() && log.lines.mid(logged).contains(kAlreadyShown) && marked) sessionDockShown = false;
        // A kill inside a drop, or a state that can be neither deleted nor rewritten, leaves one
        // behind without its snapshot.
        stateLeftBehind =
            (killed || (stateUndeletable && stateUnwritable) || stateLeftBehind) && !snapshot() && kept().present;
        EXPECT_TRUE(!judgeSettled || killed || sameDockPaths(dockNow(), usersDock))
            << "the Dock shows " << dockNow().join(", ").toStdString() << " after " << describe(s).toStdString();
        return true;
    }
    // Only where the state is unknown (the story's doing, or a restore written over a Dock that
    // could not be read): one of two Docks is adopted as the user's from then on (the Dock showing,
    // or the snapshot about to be written over it), and the other is kept in the file named. The
    // user's Dock is one of them, and the file holds a Dock the adopted one is not.
    void setAside(bool shownDock, const QString& message) {
        EXPECT_TRUE(stateWasUnknown || kept().incomplete) << "a Dock was set aside: " << message.toStdString();
        const std::optional<QStringList> aside =
            pathsIn(supportPath(message.section(u'\u201c', 1).section(u'\u201d', 0, 0)));
        const QStringList adopted = shownDock ? snapshot().value_or(QStringList()) : dockNow();
        EXPECT_TRUE(aside && !sameDockPaths(*aside, adopted)) << "set aside what is kept: " << message.toStdString();
        // A Dock the state names is Nimbrel's: only the sessions standing in for it leave a doubt.
        EXPECT_TRUE(!shownDock || !aside || !keptBefore.readable || !keptBefore.names(*aside))
            << "set aside a Dock the state names: " << message.toStdString();
        EXPECT_TRUE(aside && (sameDockPaths(*aside, usersDock) || sameDockPaths(adopted, usersDock)))
            << message.toStdString();
        usersDock = adopted;
        writesAtArrangement = shownDock ? -1 : dockWrites(); // the snapshot is about to be written
    }
    // "restored", said in the step `s` begun at `began`.
    void judgeWhatWasSaid(const QStringList& said, Date began, bool killed, const StoryStep& s) {
        const std::string step = describe(s).toStdString();
        if (killed) return; // what was said before the kill may not have come to pass
        const auto wroteTheUsers = [&] {
            return std::any_of(writes.begin(), writes.end(), [&](const Written& w) {
                return !(w.at < began.addingSeconds(-1.5)) && sameDockPaths(w.paths, usersDock);
            });
        };
        const std::string shown = dockNow().join(", ").toStdString();
        EXPECT_TRUE(!said.contains(kRestored) || sameDockPaths(dockNow(), usersDock) || wroteTheUsers())
            << "said restored while the Dock shows " << shown << " at " << step;
    }
    // What must hold after every step.
    void checkTheRule(const StoryStep& s) {
        const std::string step = describe(s).toStdString();
        const std::optional<QStringList> kept = snapshot();
        EXPECT_TRUE((kept && sameDockPaths(*kept, usersDock)) || sameDockPaths(dockNow(), usersDock))
            << "the user's Dock is kept nowhere after " << step;
        if (sessionApplied() || (lastWrite && lastWrite->session))
            writesAtArrangement = -1; // a session's may replace it
        EXPECT_TRUE(writesAtArrangement < 0 || dockWrites() == writesAtArrangement)
            << "the user's arrangement was written over at " << step;
        EXPECT_TRUE(activities.filter("could not be restored").isEmpty()) << activities.join("\n").toStdString();
        checkTheKeptState(kept, step);
    }
    void checkTheKeptState(const std::optional<QStringList>& snapshot, const std::string& step) {
        const Kept k = kept();
        stateUnknown = stateUnknown && snapshot;
        EXPECT_TRUE(snapshot || !k.readable || k.docks.empty() || stateLeftBehind)
            << "a state naming Docks is kept without a snapshot after " << step;
        // A snapshot without its state (its write failed, or a kill came first) is read as lost.
        if (!snapshot || stateUnknown || !k.present) return;
        // On disk before the Dock shows what it names.
        const bool sessionsShows = sessionDockShown && dockCanBeRead() && !sameDockPaths(dockNow(), usersDock) &&
                                   sameDockPaths(dockNow(), lastWrite->paths) && !sameDockPaths(dockNow(), *snapshot);
        EXPECT_TRUE(!sessionsShows || (k.readable && k.names(dockNow())))
            << "the session Dock showing is not named after " << step;
        // A snapshot older than the user's Dock showing is never to be written back.
        const bool older = !sameDockPaths(*snapshot, usersDock) && sameDockPaths(dockNow(), usersDock);
        EXPECT_TRUE(!older || (k.readable && (k.restoreWritten || k.incomplete)))
            << "an older snapshot is not marked as written back after " << step;
    }
    static QString describe(const StoryStep& s) {
        QString text = kStepNames[static_cast<int>(s.step)];
        if (!s.dock.isEmpty()) text += ' ' + s.dock;
        if (s.seconds > 0) text += QStringLiteral(" %1 s").arg(s.seconds);
        if (s.write > 0) text += QStringLiteral(" %1").arg(s.write);
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
    bool ignoresWrites = false, preferencesBroken = false, undeletable = false, stateUndeletable = false,
         asidesFail = false, stateUnwritable = false;
    // The story left the state beside the snapshot unknown: damaged, or left by the previous build.
    bool stateUnknown = false;
    bool stateWasUnknown = false; // before the step, as the manager may find it
    Kept keptBefore;              // the state before the step
    bool stateLeftBehind = false; // a state without its snapshot, left where it could not be cleared
    int writesAtArrangement = -1;
    Date lastAsked;
    std::mt19937 random;
    int killAt = 0;
    Step killing = Step::killAt;
    Step killedAt = Step::killAt; // the kind of step the last kill came at
    // Nimbrel's writes of the Dock that reached its preferences: when, what, and whether for a session.
    struct Written {
        Date at;
        QStringList paths;
        bool session = false;
    };
    std::vector<Written> writes;
    std::optional<Written> lastWrite;
    // A session's Dock was written, and no restore has been written since, nor found the Dock
    // showing the snapshot: the user's arrangements meanwhile go with the session.
    bool sessionDockShown = false;
    PreferencesFlushedLater preferences{scheduler, [this] { durableStep(Step::killAt); }};
    DockPreferencesTold dockPreferences{*platform.dockPreferences, [this] { durableStep(Step::killAt); },
                                        [this](const QStringList& paths) {
                                            writes.push_back({scheduler.now(), paths, sessionApplied()});
                                            lastWrite = writes.back();
                                            sessionDockShown = lastWrite->session;
                                        }};
    NoSessionReminders noReminders;
    AtomicWriteHook earlierHook;
    AtomicWriteFault earlierWriteFault;
    MoveAsideFault earlierAsideFault;
    ObserverToken keptToken;
};

StoryStep randomStep(std::mt19937& random) {
    static const double waits[] = {0.3, 1, 2, 16, 60};
    static const char* const docks[] = {"A", "B", "C", "U"};
    StoryStep s{static_cast<Step>(random() % (static_cast<int>(Step::wait) + 1))};
    if (s.step == Step::start || s.step == Step::change) s.dock = docks[random() % 4];
    if (s.step == Step::wait) s.seconds = waits[random() % 5];
    if (s.step == Step::endThenQuit || s.step == Step::pauseThenQuit) s.seconds = 0.1 * (random() % 15);
    if (s.step == Step::killAt) s.write = 1 + random() % 6;
    if (s.step == Step::killAtRemoval || s.step == Step::killAtSetAside) s.write = 1 + random() % 2;
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
        // A kill as the Dock shows a session's Dock while a restore waits, and as it shows a restore.
        "launch; start A; wait 2 s; ignores writes; end; wait 2 s; fault ends; kill at write 3; start B; launch; end",
        "launch; start A; wait 2 s; kill at write 3; end; arrange; launch",
        // Nimbrel's preferences found unreadable while a restore waits.
        "launch; start A; wait 2 s; ignores writes; end; wait 2 s; quit; fault ends; arrange; preferences lost; launch",
        // A snapshot that cannot be deleted once its restore is seen.
        "launch; start A; wait 2 s; snapshot undeletable; end; wait 2 s; arrange; launch; fault ends; launch",
        // The previous build's quit within 1.5 s of a restore, then the user's arrangement.
        "launch; start A; wait 2 s; end, then quit 0.5 s; left by the previous build; arrange; launch",
        "launch; start A; wait 2 s; end, then quit 0.5 s; left by the previous build; arrange; launch; start B; "
        "wait 2 s; end",
        // A restore written, then a session's end while the Dock cannot be read.
        "launch; start A; wait 2 s; ignores writes; end; wait 2 s; damaged; start B; wait 2 s; end; wait 2 s; "
        "fault ends; launch",
        // Kills inside a start's or a restore's Dock write, and inside a drop: at the snapshot's
        // removal (it showed before a restore was written), and between its removal and its state's.
        "launch; kill at write 3; start A; arrange; launch; end",
        "launch; start A; wait 2 s; kill at write 2; end; arrange; launch",
        "launch; ignores writes; start A; wait 2 s; kill at removal 1; end; fault ends; arrange; launch",
        "launch; start A; wait 2 s; kill at removal 2; end; damaged; launch; fault ends; launch",
        // A drop while the state waits in the preferences, its file unwritable.
        "launch; start A; wait 2 s; end, then quit 0.5 s; state in the preferences; launch; fault ends; launch",
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
        qEnvironmentVariableIsSet("NIMBREL_DOCK_STORIES") ? qEnvironmentVariableIntValue("NIMBREL_DOCK_STORIES") : 300;
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
