#include "ChurnedFiles.h"

#include "activity/ActivityStore.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/VirtualScheduler.h"
#include "platform/local/JsonFileUserDefaults.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "sessions/SessionsFile.h"
#include "sessions/SupportFiles.h"

#include <QDateTime>
#include <QFileInfo>
#include <QRegularExpression>

namespace nimbrel::crash {

namespace {

const QString kCounterKey = QStringLiteral("Nimbrel.crashTest.round");
const QString kDockCounterKey = QStringLiteral("nimbrel-crash-test-round");

// The log lines a reader prints while it opens a file: how the program says a file was damaged.
class LogLines {
  public:
    LogLines() : previous_(setLogSink([this](const QString& line) { lines_ << line; })) { setLogToStdout(false); }
    ~LogLines() {
        setLogSink(previous_);
        setLogToStdout(true);
    }
    std::optional<QString> damage(const QStringList& signs) const {
        for (const QString& line : lines_)
            for (const QString& sign : signs)
                if (line.contains(sign)) return line;
        return std::nullopt;
    }

  private:
    QStringList lines_;
    LogSink previous_;
};

ChurnedFile preferences() {
    ChurnedFile f;
    f.name = QStringLiteral("defaults");
    f.start = [](ChurnContext& c) -> std::function<void(qint64)> {
        UserDefaults* defaults = c.platform.defaults;
        return [defaults](qint64 round) {
            // A pause click's changes, then the round.
            defaults->setBool(QStringLiteral("Nimbrel.pause.savedSyncEnabled"), true);
            defaults->setBool(QStringLiteral("Nimbrel.pause.hasSavedSyncState"), round % 2 == 0);
            defaults->setBool(QStringLiteral("Nimbrel.settings.syncEnabled"), round % 2 != 0);
            defaults->setBool(QStringLiteral("Nimbrel.globalPauseActive"), round % 2 == 0);
            defaults->setDouble(QStringLiteral("Nimbrel.pauseUntilTimestamp"), double(round));
            defaults->setBool(QStringLiteral("Nimbrel.isPausedIndefinitely"), false);
            defaults->setInteger(kCounterKey, round);
        };
    };
    f.check = [](const Locations& places) {
        FileCheck result;
        const QString path = JsonFileUserDefaults::filePath(places);
        result.present = QFileInfo::exists(path);
        LogLines lines;
        JsonFileUserDefaults defaults(path);
        if (!defaults.movedAsidePath().isEmpty())
            result.damage = QStringLiteral("unreadable, moved aside to ") + defaults.movedAsidePath();
        else
            result.damage = lines.damage({QStringLiteral("could not read")});
        result.counter = defaults.integerValue(kCounterKey).value_or(0);
        return result;
    };
    return f;
}

ChurnedFile activityHistory() {
    ChurnedFile f;
    f.name = QStringLiteral("activity");
    f.start = [](ChurnContext& c) -> std::function<void(qint64)> {
        auto store = NimbrelActivityStore::make(c.platform);
        c.keep.push_back(store);
        return [store, &platform = c.platform](qint64 round) {
            if (round % 5 != 0) return;
            store->add(NimbrelActivityEntry{Uuid::random(), NimbrelActivityType::info, QStringLiteral("Crash Test"),
                                            QStringLiteral("round %1").arg(round), platform.clock->now()});
            // Every other entry written at once, so that kills also land while one is added in place.
            if (round % 10 == 0) store->flush();
        };
    };
    f.check = [](const Locations& places) {
        FileCheck result;
        VirtualScheduler time(Date::fromUnix(QDateTime::currentSecsSinceEpoch()));
        NotificationCenter notifications;
        Platform platform;
        platform.scheduler = &time;
        platform.clock = &time;
        platform.notifications = &notifications;
        platform.locations = places;
        result.present =
            QFileInfo::exists(places.nimbrelSupportFolder() + QLatin1Char('/') + NimbrelActivityStore::kFileName);
        LogLines lines;
        NimbrelActivityStore store(platform);
        result.damage = lines.damage({QStringLiteral("failed to load")});
        static const QRegularExpression roundText(QStringLiteral("^round (\\d+)$"));
        for (const NimbrelActivityEntry& entry : store.entries())
            if (const auto match = roundText.match(entry.message); match.hasMatch())
                result.counter = std::max(result.counter, match.captured(1).toLongLong());
        return result;
    };
    return f;
}

ChurnedFile simulatedMacState() {
    ChurnedFile f;
    f.name = QStringLiteral("mac");
    f.start = [](ChurnContext& c) -> std::function<void(qint64)> {
        auto mac = std::make_shared<sim::SimulatedPlatform>(
            *c.platform.scheduler, *c.platform.clock, sim::SimulatedPlatform::defaultFolder(c.platform.locations));
        mac->saveChangesAutomatically(c.macStateSaveDelay);
        c.keep.push_back(mac);
        return [mac](qint64 round) {
            mac->mac().setTrusted(round % 2 == 0);
            mac->dockPreferences().setValue(kDockCounterKey, round);
            mac->dockPreferences().synchronize();
        };
    };
    f.check = [](const Locations& places) {
        FileCheck result;
        const QString folder = sim::SimulatedPlatform::defaultFolder(places);
        result.present = QFileInfo::exists(folder + QStringLiteral("/state.json"));
        VirtualScheduler time;
        sim::SimulatedPlatform mac(time, time, folder);
        if (!mac.loadProblem().isEmpty()) result.damage = mac.loadProblem();
        if (auto stored = mac.dockPreferences().persistentDomain())
            result.counter = stored->value(kDockCounterKey).toLongLong();
        return result;
    };
    return f;
}

// The sessions as the store saves them: handed to a worker that writes the newest list.
ChurnedFile sessionsFile() {
    ChurnedFile f;
    f.name = QStringLiteral("sessions");
    f.start = [](ChurnContext& c) -> std::function<void(qint64)> {
        auto file = std::make_shared<SessionsFile>(sessionsSupportFolder(c.platform.locations));
        c.keep.push_back(file);
        auto sessions = std::make_shared<std::vector<NimbrelSession>>(50);
        for (NimbrelSession& session : *sessions)
            session.allowedApps = {
                {Uuid::random(), QStringLiteral("Safari"), QStringLiteral("com.apple.Safari"), {}},
                {Uuid::random(), QStringLiteral("Notes"), {}, QStringLiteral("/Applications/Notes.app")}};
        return [file, sessions, &scheduler = *c.platform.scheduler](qint64 round) {
            if (round % 5 != 0) return;
            NimbrelSession& edited = (*sessions)[size_t(round / 5) % sessions->size()];
            edited.name = QStringLiteral("round %1").arg(round);
            QString error;
            std::optional<QString> keptAside;
            file->save(scheduler, *sessions, &error, &keptAside, {});
        };
    };
    f.check = [](const Locations& places) {
        FileCheck result;
        SessionsFile file(sessionsSupportFolder(places));
        result.present = QFileInfo::exists(file.path());
        const SessionsFile::Loaded loaded = file.load(Date{});
        result.damage = loaded.problem;
        static const QRegularExpression roundText(QStringLiteral("^round (\\d+)$"));
        for (const NimbrelSession& session : loaded.sessions)
            if (const auto match = roundText.match(session.name); match.hasMatch())
                result.counter = std::max(result.counter, match.captured(1).toLongLong());
        return result;
    };
    return f;
}

} // namespace

const std::vector<ChurnedFile>& churnedFiles() {
    static const std::vector<ChurnedFile> files{preferences(), activityHistory(), simulatedMacState(), sessionsFile()};
    return files;
}

const ChurnedFile* churnedFile(const QString& name) {
    for (const ChurnedFile& f : churnedFiles())
        if (f.name == name) return &f;
    return nullptr;
}

} // namespace nimbrel::crash
