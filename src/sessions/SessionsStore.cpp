#include "sessions/SessionsStore.h"

#include "activity/ActivityRecorder.h"
#include "model/StoreSyncLinks.h"
#include "platform/Calendar.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/SharedInstance.h"
#include "platform/Workspace.h"
#include "sessions/SessionPaths.h"
#include "sessions/SupportFiles.h"

#include <algorithm>

namespace nimbrel {

namespace {
const QString kStoreLog = QStringLiteral("NimbrelSessionsStore");
const QString kPauseStateDidChange = QStringLiteral("Nimbrel.pauseStateDidChange");
} // namespace

NimbrelSessionsStore::Parts NimbrelSessionsStore::Parts::none() {
    Parts parts;
    parts.dock = std::make_shared<NoSessionDock>();
    parts.wallpapers = std::make_shared<NoSessionWallpapers>();
    parts.reminders = []() -> SessionReminderControl& {
        static NoSessionReminders none;
        return none;
    };
    parts.makeCloudSide = [](std::weak_ptr<NimbrelSessionsStore>) { return std::make_unique<NoSessionsCloud>(); };
    parts.mainBundle = NimbrelMainBundle::current();
    return parts;
}

NimbrelSessionsStore::NimbrelSessionsStore(Platform& platform, Parts parts)
    : platform_(platform), parts_(std::move(parts)),
      file_(sessionsSupportFolder(platform.locations), parts_.sessionsFileBytes),
      activeSessionObserver_(activeSession_.observe([this](const auto&) { activeAllowedApps_.reset(); })) {}

NimbrelSessionsStore::~NimbrelSessionsStore() {
    if (activationTimer_) activationTimer_->cancel();
}

std::shared_ptr<NimbrelSessionsStore> NimbrelSessionsStore::create(Platform& platform, Parts parts) {
    std::shared_ptr<NimbrelSessionsStore> store(new NimbrelSessionsStore(platform, std::move(parts)));
    store->start();
    return store;
}

std::shared_ptr<NimbrelSessionsStore> NimbrelSessionsStore::sharedPtr() {
    return sharedInstancePtr<NimbrelSessionsStore>([] {
        Platform& platform = Platform::current();
        return create(platform, Parts::standard(platform));
    });
}

NimbrelSessionsStore& NimbrelSessionsStore::shared() {
    return *sharedPtr();
}

void NimbrelSessionsStore::start() {
    lastClock_ = readClock();
    cloud_ = parts_.makeCloudSide(weak_from_this());
    loadSessions();
    cloud_->pullFromCloudIfEnabled();
    startActivationMonitoring();
    observePauseState();
    platform_.scheduler->post(
        weakly(shared_from_this(), [](NimbrelSessionsStore& s) { s.performInitialActivation(); }));
    cloud_->observeCloudKitAvailability();
    cloud_->startCloudSyncTimer();
}

Date NimbrelSessionsStore::now() const {
    return platform_.clock->now();
}

bool NimbrelSessionsStore::isPaused() const {
    return isGlobalPauseActive(*platform_.defaults);
}

void NimbrelSessionsStore::record(NimbrelActivityType type, const QString& title, const QString& message) const {
    recordNimbrelActivity(platform_, type, title, message);
}

void NimbrelSessionsStore::loadSessions() {
    SessionsFile::Loaded loaded = file_.load(now());
    if (loaded.problem) {
        logLine(kStoreLog, QStringLiteral("failed to load sessions: ") + *loaded.problem);
        record(NimbrelActivityType::error, QStringLiteral("Sessions Load Failed"), *loaded.problem);
    }
    sortSessions(loaded.sessions);
    sessions_.set(std::move(loaded.sessions));
}

// The file is written by a worker: with a thousand sessions, a write and its flush to disk would
// hold up the screens. A failed write is told when the worker is done.
void NimbrelSessionsStore::saveSessions() {
    QString error;
    std::optional<QString> keptAside;
    const bool handedOver = file_.save(*platform_.scheduler, sessions_.get(), &error, &keptAside,
                                       [weak = weak_from_this()](const QString& failure) {
                                           if (auto store = weak.lock()) store->reportSaveFailure(failure);
                                       });
    if (keptAside)
        logLine(kStoreLog, QStringLiteral("kept the unreadable sessions file as ") + lastPathComponent(*keptAside));
    if (!handedOver) reportSaveFailure(error);
}

void NimbrelSessionsStore::reportSaveFailure(const QString& error) const {
    logLine(kStoreLog, QStringLiteral("failed to save sessions: ") + error);
    record(NimbrelActivityType::error, QStringLiteral("Sessions Save Failed"), error);
}

void NimbrelSessionsStore::storeChangedList(std::vector<NimbrelSession> sessions) {
    sortSessions(sessions);
    sessions_.set(std::move(sessions));
    saveSessions();
}

void NimbrelSessionsStore::afterChange() {
    refreshReminders();
    evaluateActiveSession(true);
    enforceActiveSessionOnRunningApps();
}

void NimbrelSessionsStore::addSession(const NimbrelSession& session) {
    NimbrelSession stamped = session;
    stamped.updatedAt = now();
    std::vector<NimbrelSession> list = sessions_.get();
    list.push_back(stamped);
    storeChangedList(std::move(list));
    if (!applyingCloudPayload_) cloud_->pushSessionPayload(stamped);
    afterChange();
}

void NimbrelSessionsStore::updateSession(const NimbrelSession& session) {
    std::vector<NimbrelSession> list = sessions_.get();
    auto it = std::find_if(list.begin(), list.end(), [&](const NimbrelSession& s) { return s.id == session.id; });
    if (it == list.end()) return;
    NimbrelSession stamped = session;
    stamped.updatedAt = now();
    *it = stamped;
    storeChangedList(std::move(list));
    if (!applyingCloudPayload_) cloud_->pushSessionPayload(stamped);
    afterChange();
}

void NimbrelSessionsStore::deleteSession(const Uuid& id) {
    std::vector<NimbrelSession> list = sessions_.get();
    std::erase_if(list, [&](const NimbrelSession& s) { return s.id == id; });
    storeChangedList(std::move(list));
    if (!applyingCloudPayload_) cloud_->pushSessionTombstone(id);
    afterChange();
}

void NimbrelSessionsStore::replaceSessionsFromCloud(std::vector<NimbrelSession> sessions) {
    applyingCloudPayload_ = true;
    storeChangedList(std::move(sessions));
    applyingCloudPayload_ = false;
    evaluateActiveSession(true);
    enforceActiveSessionOnRunningApps();
    // The reminders follow every change of the list, whichever Mac made it.
    refreshReminders();
}

void NimbrelSessionsStore::refreshReminders() {
    noteClock(readClock());
    parts_.reminders().refreshReminders(sessions_.get());
}

NimbrelSessionsStore::ClockReading NimbrelSessionsStore::readClock() const {
    return {now(), currentTimeZone()};
}

void NimbrelSessionsStore::noteClock(ClockReading reading) {
    const bool zoneChanged = !sameLocalTimes(lastClock_.zone, reading.zone, reading.moment);
    lastClock_ = std::move(reading);
    if (zoneChanged) platform_.notifications->post(kTimeZoneDidChangeNotification);
}

void NimbrelSessionsStore::startActivationMonitoring() {
    if (activationTimer_) activationTimer_->cancel();
    activationTimer_ =
        platform_.scheduler->every(kActivationInterval, weakly(shared_from_this(), [](NimbrelSessionsStore& s) {
                                       s.evaluateActiveSession(false);
                                       s.enforceActiveSessionOnRunningApps();
                                       s.noticeClockChange();
                                   }));
    observeApplicationLaunches();
}

void NimbrelSessionsStore::noticeClockChange() {
    // The platform tells of no change of the clock or the zone. A tick earlier than the last
    // reading is a clock set back: the reminders made before it would leave the days in between
    // silent. A zone that gives other local times moves every session's start. Either remakes
    // them all, once.
    ClockReading reading = readClock();
    if (reading.moment < lastClock_.moment || !sameLocalTimes(lastClock_.zone, reading.zone, reading.moment))
        refreshReminders();
    else
        lastClock_ = std::move(reading);
}

void NimbrelSessionsStore::observePauseState() {
    pauseObserver_ = platform_.notifications->addObserver(kPauseStateDidChange,
                                                          [this, weak = weak_from_this()](const Notification&) {
                                                              // On the next turn, once whoever paused has written every
                                                              // key of the pause.
                                                              platform_.scheduler->post([weak] {
                                                                  if (auto store = weak.lock())
                                                                      store->applyPauseState();
                                                              });
                                                          });
}

} // namespace nimbrel
