// One life of the program for the crash test, on a real folder that outlives it:
//   session_crash_helper run <folder>    starts the sessions store over the simulated Mac kept in
//                                        <folder> and switches a session on and off until killed
//   session_crash_helper check <folder>  checks every file a kill may have left, starts the store
//                                        again, ends the session, and checks that the Dock and the
//                                        pictures from before are back and no snapshot is left
// The simulated Mac's state is saved after every change of its Dock or pictures, as a Mac keeps
// its own. Exit status 0 when all is well; the check prints what it found wrong.
#include "platform/Calendar.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/RecordingUserNotifications.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "sessions/SessionCoding.h"
#include "sessions/SessionsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace nimbrel {
namespace {

const Uuid kSessionId = *Uuid::parse(QStringLiteral("6A2F41A0-7B8C-4D2E-9F10-112233445566"));

class CrashLife {
  public:
    explicit CrashLife(const QString& folder)
        : folder_(folder), simulated_(scheduler_, scheduler_, folder + QStringLiteral("/mac")) {
        setLogToStdout(false);
        setCurrentTimeZone(QTimeZone("UTC"));
        platform_.scheduler = &scheduler_;
        platform_.clock = &scheduler_;
        platform_.notifications = &notifications_;
        platform_.defaults = &defaults_;
        platform_.userNotifications = &userNotifications_;
        platform_.locations = Locations::underRoot(folder + QStringLiteral("/program"));
        simulated_.fill(platform_);
        Platform::install(&platform_);
        simulated_.mac().recorder().setListener([this](const sim::Event& e) {
            if (e.kind == sim::EventKind::dockPreferences || e.kind == sim::EventKind::desktopPicture)
                simulated_.save();
        });
    }
    ~CrashLife() {
        simulated_.mac().recorder().setListener({});
        store_.reset();
        resetSharedInstances();
        Platform::install(nullptr);
    }

    QString support(const QString& name) const { return platform_.locations.nimbrelSupportFolder() + "/" + name; }

    // What the user had before any session: written once, by the first life.
    QJsonObject originals() {
        QFile file(folder_ + QStringLiteral("/originals.json"));
        if (file.open(QIODevice::ReadOnly)) return QJsonDocument::fromJson(file.readAll()).object();
        const QJsonObject now{{QStringLiteral("dock"), QJsonArray::fromStringList(dockTitles())},
                              {QStringLiteral("pictures"), QJsonArray::fromStringList(pictures())}};
        simulated_.save();
        QFile out(folder_ + QStringLiteral("/originals.json"));
        if (out.open(QIODevice::WriteOnly)) out.write(QJsonDocument(now).toJson());
        NimbrelSession session;
        session.id = kSessionId;
        session.name = QStringLiteral("Crash");
        session.scheduleStartTime = session.scheduleEndTime = {0, 0};
        session.allowedApps = {{Uuid::random(), "TextEdit", QStringLiteral("com.apple.TextEdit"), std::nullopt},
                               {Uuid::random(), "Notes", QStringLiteral("com.apple.Notes"), std::nullopt}};
        session.wallpaperSelections = {
            {Uuid::random(), "Lake.jpg", "~/Pictures/Wallpapers/Lake.jpg", NimbrelSessionDisplayTarget::automatic()},
            {Uuid::random(), "Mountains.jpg", "~/Pictures/Wallpapers/Mountains.jpg",
             NimbrelSessionDisplayTarget::screen(1)}};
        QDir().mkpath(platform_.locations.nimbrelSupportFolder());
        QFile sessions(support(QStringLiteral("Sessions.json")));
        if (sessions.open(QIODevice::WriteOnly)) sessions.write(encodeSessionList({session}));
        return now;
    }

    void start() {
        store_ = NimbrelSessionsStore::create(platform_, NimbrelSessionsStore::Parts::standard(platform_));
        scheduler_.advance(2);
    }

    void setSessionEnabled(bool on) {
        for (NimbrelSession s : store_->sessions().get())
            if (s.id == kSessionId) {
                s.isEnabled = on;
                store_->updateSession(s);
            }
        scheduler_.advance(2); // the Dock's restart and its check
    }

    QStringList dockTitles() {
        QStringList titles;
        for (const sim::DockTile& t : simulated_.mac().dockTiles())
            if (t.persistent && t.kind == sim::DockTileKind::application) titles << t.title;
        return titles;
    }
    QStringList pictures() {
        QStringList out;
        for (const sim::Screen& s : simulated_.mac().screens())
            out << s.desktopImageURL;
        return out;
    }

  private:
    QString folder_;
    VirtualScheduler scheduler_{Date{794836800.0}};
    NotificationCenter notifications_;
    InMemoryUserDefaults defaults_;
    RecordingUserNotifications userNotifications_{scheduler_, scheduler_};
    sim::SimulatedPlatform simulated_;
    Platform platform_;
    std::shared_ptr<NimbrelSessionsStore> store_;
};

QStringList texts(const QJsonValue& array) {
    QStringList out;
    for (const QJsonValue& v : array.toArray())
        out << v.toString();
    return out;
}

// A file a kill may have left must read whole: absent, or complete JSON of its shape.
QStringList damagedFiles(CrashLife& life) {
    QStringList damaged;
    for (const char* name : {"OriginalDockSnapshot.json", "OriginalWallpaperSnapshot.json", "Sessions.json",
                             "OriginalDockSnapshotState.json"}) {
        QFile file(life.support(QString::fromLatin1(name)));
        if (!file.exists()) continue;
        if (!file.open(QIODevice::ReadOnly)) {
            damaged << QString::fromLatin1(name) + " cannot be read";
            continue;
        }
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
        if (error.error != QJsonParseError::NoError || doc.isArray() == QByteArray(name).contains("State"))
            damaged << QString::fromLatin1(name) + " is not whole JSON of its shape";
    }
    return damaged;
}

int check(const QString& folder) {
    CrashLife life(folder);
    const QJsonObject originals = life.originals();
    QStringList problems = damagedFiles(life);
    life.start();
    life.setSessionEnabled(false);
    if (life.dockTitles() != texts(originals.value("dock"))) problems << "the Dock is " + life.dockTitles().join(", ");
    if (life.pictures() != texts(originals.value("pictures")))
        problems << "the pictures are " + life.pictures().join(", ");
    for (const char* name :
         {"OriginalDockSnapshot.json", "OriginalDockSnapshotState.json", "OriginalWallpaperSnapshot.json"})
        if (QFile::exists(life.support(QString::fromLatin1(name))))
            problems << QString::fromLatin1(name) + " is still there";
    for (const QString& p : problems)
        std::printf("%s\n", qPrintable(p));
    return problems.isEmpty() ? 0 : 1;
}

int run(const QString& folder) {
    CrashLife life(folder);
    life.originals();
    life.start();
    std::printf("ready\n");
    std::fflush(stdout);
    for (bool on = false;; on = !on)
        life.setSessionEnabled(on);
}

} // namespace
} // namespace nimbrel

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: session_crash_helper run|check <folder>\n");
        return 2;
    }
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    if (mode == QLatin1String("run")) return nimbrel::run(folder);
    if (mode == QLatin1String("check")) return nimbrel::check(folder);
    return 2;
}
