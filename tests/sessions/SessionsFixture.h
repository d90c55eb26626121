#pragma once

// The sessions store over the simulated Mac's default desktop, in virtual time, with the
// Dock, pictures, reminders and cloud stood in for by recorders of what they were asked.

#include "activity/ActivityRecorder.h"
#include "engine/LogCapture.h"
#include "platform/Calendar.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/RecordingUserNotifications.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "sessions/SessionCoding.h"
#include "sessions/SessionsStore.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace nimbrel {
inline void PrintTo(const Date& date, std::ostream* os) {
    *os << iso8601String(date).toStdString();
}
} // namespace nimbrel

namespace nimbrel::test {

// Every call the store makes outside itself, in order: "dock apply <name>", "wallpapers restore",
// "reminders 2", "push <name>", "tombstone <id>".
// `dockCopyLost` and `picturesCopyLost` stand for a saved copy of the user's that has gone.
struct OutsideCalls {
    QStringList calls;
    bool dockCopyLost = false;
    bool picturesCopyLost = false;

    struct Dock final : SessionDockControl {
        QStringList& calls;
        const bool& lost;
        Dock(QStringList& c, const bool& l) : calls(c), lost(l) {}
        bool applySessionDock(const NimbrelSession& s) override {
            calls << "dock apply " + s.name;
            return true;
        }
        Restore prepareRestore() override { return lost ? Restore::copyLost : Restore::usersDock; }
        void restoreOriginalDock() override { calls << "dock restore"; }
    };
    struct Wallpapers final : SessionWallpaperControl {
        QStringList& calls;
        const bool& lost;
        Wallpapers(QStringList& c, const bool& l) : calls(c), lost(l) {}
        bool applySessionWallpapers(const NimbrelSession& s) override {
            calls << "wallpapers apply " + s.name;
            return true;
        }
        void restoreOriginalWallpapers() override { calls << "wallpapers restore"; }
        bool usersCopyIsLost() override { return lost; }
    };
    struct Reminders final : SessionReminderControl {
        QStringList& calls;
        explicit Reminders(QStringList& c) : calls(c) {}
        void refreshReminders(const std::vector<NimbrelSession>& s) override {
            calls << QStringLiteral("reminders %1").arg(s.size());
        }
    };
    struct Cloud final : SessionsCloudSide {
        QStringList& calls;
        explicit Cloud(QStringList& c) : calls(c) {}
        void pullFromCloudIfEnabled() override { calls << "cloud pull"; }
        void observeCloudKitAvailability() override { calls << "cloud observe"; }
        void startCloudSyncTimer() override { calls << "cloud timer"; }
        void pushSessionPayload(const NimbrelSession& s) override { calls << "push " + s.name; }
        void pushSessionTombstone(const Uuid& id) override { calls << "tombstone " + id.toString(); }
    };
    Reminders reminders{calls};

    NimbrelSessionsStore::Parts parts() {
        NimbrelSessionsStore::Parts p = NimbrelSessionsStore::Parts::none();
        p.dock = std::make_shared<Dock>(calls, dockCopyLost);
        p.wallpapers = std::make_shared<Wallpapers>(calls, picturesCopyLost);
        p.reminders = [this]() -> SessionReminderControl& { return reminders; };
        p.makeCloudSide = [this](std::weak_ptr<NimbrelSessionsStore>) { return std::make_unique<Cloud>(calls); };
        return p;
    }
    QStringList take() { return std::exchange(calls, {}); }
};

// The scheduler's clock moved by `offset` seconds, as a user sets the Mac's clock.
struct OffsetClock final : Clock {
    explicit OffsetClock(const Clock& real) : real(real) {}
    const Clock& real;
    double offset = 0;
    Date now() const override { return real.now().addingSeconds(offset); }
};

class SessionsFixture : public ::testing::Test {
  protected:
    // Monday 2026-03-09 10:00 in Berlin.
    static Date monday(int hour, int minute = 0) {
        return *Calendar(QTimeZone("Europe/Berlin")).date(2026, 3, 9, hour, minute);
    }

    SessionsFixture()
        : scheduler(monday(10)), simulated(scheduler, scheduler, dir.filePath(QStringLiteral("mac"))),
          mac(simulated.mac()) {
        setCurrentTimeZone(QTimeZone("Europe/Berlin"));
        platform.scheduler = &scheduler;
        platform.clock = &clock;
        platform.notifications = &notifications;
        platform.defaults = &defaults;
        platform.locations = Locations::underRoot(dir.filePath(QStringLiteral("program")));
        platform.userNotifications = &userNotifications;
        simulated.fill(platform);
        scoped = std::make_unique<ScopedPlatform>(platform);
        notifications.setRecording(true);
        activityToken = notifications.addObserver(kRecordActivityNotification, [this](const Notification& n) {
            activities << n.userInfo.value(QStringLiteral("title")).toString() + ": " +
                              n.userInfo.value(QStringLiteral("message")).toString();
        });
    }
    ~SessionsFixture() override {
        store.reset();
        scheduler.advance(0);
        resetSharedInstances();
        setCurrentTimeZone(QTimeZone());
    }

    QString supportPath(const QString& name) const {
        return platform.locations.nimbrelSupportFolder() + QLatin1Char('/') + name;
    }
    void writeSupportFile(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(platform.locations.nimbrelSupportFolder());
        QFile f(supportPath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void storeSessions(const std::vector<NimbrelSession>& sessions) {
        writeSupportFile(QStringLiteral("Sessions.json"), encodeSessionList(sessions));
    }
    // Builds the store and lets its queued first pass run.
    NimbrelSessionsStore& makeStore() {
        NimbrelSessionsStore::Parts parts = outside.parts();
        parts.sessionsFileBytes = sessionsFileBytes;
        store = NimbrelSessionsStore::create(platform, std::move(parts));
        scheduler.advance(0);
        return *store;
    }
    void setPause(bool on) {
        defaults.setBool(QStringLiteral("Nimbrel.globalPauseActive"), on);
        notifications.post(QStringLiteral("Nimbrel.pauseStateDidChange"));
        scheduler.advance(0);
    }
    QStringList menuBarSymbols() const {
        QStringList out;
        for (const Notification& n : notifications.posted())
            if (n.name == kSessionMenuBarIconNotification) out << n.userInfo.value("symbolName").toString();
        return out;
    }
    QStringList takeActivities() { return std::exchange(activities, {}); }

    // A session of weekdays 09:00 to 17:00 that closes what it does not allow.
    static NimbrelSession workSession(const QString& name = QStringLiteral("Work")) {
        NimbrelSession s;
        s.name = name;
        s.scheduleWeekdays = {NimbrelSessionWeekday::monday, NimbrelSessionWeekday::tuesday};
        s.whitelistAllApps = false;
        s.menuBarSymbolName = QStringLiteral("briefcase.fill");
        s.allowedApps = {{Uuid::random(), "Safari", QStringLiteral("com.apple.Safari"), std::nullopt},
                         {Uuid::random(), "Notes", std::nullopt, QStringLiteral("/System/Applications/Notes.app")}};
        return s;
    }

    QTemporaryDir dir;
    LogCapture log;
    VirtualScheduler scheduler;
    OffsetClock clock{scheduler};
    NotificationCenter notifications;
    InMemoryUserDefaults defaults;
    RecordingUserNotifications userNotifications{scheduler, scheduler};
    sim::SimulatedPlatform simulated;
    sim::SimulatedMac& mac;
    Platform platform;
    std::unique_ptr<ScopedPlatform> scoped;
    ObserverToken activityToken;
    QStringList activities;
    OutsideCalls outside;
    qint64 sessionsFileBytes = SessionsFile::kMaxFileBytes;
    std::shared_ptr<NimbrelSessionsStore> store;
};

} // namespace nimbrel::test
