#include "app/GlobalPause.h"

#include "app/ShellNames.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"

#include <algorithm>
#include <cmath>

namespace nimbrel {

using namespace pausekeys;

namespace {
constexpr double kLongestExpiryWait = 60;
}

QString remainingPauseText(double remainingSeconds) {
    if (!(remainingSeconds > 0)) remainingSeconds = 0;
    // Far-future stamps would not fit an integer: cap at a hundred years.
    const qint64 r = qint64(std::ceil(std::min(remainingSeconds, 100.0 * 365 * 86400)));
    if (r >= 3600) return QStringLiteral("%1h %2m").arg(r / 3600).arg((r % 3600) / 60);
    if (r % 3600 >= 60) return QStringLiteral("%1m %2s").arg((r % 3600) / 60).arg(r % 60);
    return QStringLiteral("%1s").arg(r);
}

std::vector<PauseMenuRow> pauseMenuRows(bool paused) {
    using A = PauseMenuRow::Action;
    std::vector<PauseMenuRow> rows;
    if (paused) rows.push_back({A::resume, "play.fill", "Resume Nimbrel", 0, false});
    const std::pair<const char*, double> durations[] = {{"5 Minutes", 300}, {"15 Minutes", 900}, {"30 Minutes", 1800},
                                                        {"1 Hour", 3600},   {"6 Hours", 21600},  {"12 Hours", 43200},
                                                        {"24 Hours", 86400}};
    bool first = true;
    for (const auto& [text, seconds] : durations) {
        rows.push_back({A::pauseFor, seconds < 3600 ? "timer" : "clock", text, seconds, first && paused});
        first = false;
    }
    rows.push_back({A::pauseIndefinitely, "pause.circle.fill", "Until I Resume", 0, true});
    return rows;
}

GlobalPauseController::GlobalPauseController(Platform& platform, Hooks hooks)
    : platform_(platform), hooks_(std::move(hooks)) {}

GlobalPauseController::~GlobalPauseController() {
    if (expiry_) expiry_->cancel();
}

bool GlobalPauseController::isPausedIndefinitely() const {
    return platform_.defaults->boolValue(kIsPausedIndefinitely).value_or(false);
}

double GlobalPauseController::pauseUntilTimestamp() const {
    const double t = platform_.defaults->doubleValue(kPauseUntilTimestamp).value_or(0);
    return std::isfinite(t) ? t : 0;
}

bool GlobalPauseController::isPaused(Date now) const {
    return isPausedIndefinitely() || now.unixSeconds() < pauseUntilTimestamp();
}

QString GlobalPauseController::statusTitle(Date now) const {
    if (isPausedIndefinitely()) return QStringLiteral("Paused");
    if (now.unixSeconds() < pauseUntilTimestamp()) return QStringLiteral("Paused \u2022 ") + remainingPauseText(now);
    return QStringLiteral("Active");
}

QString GlobalPauseController::remainingPauseText(Date now) const {
    return nimbrel::remainingPauseText(pauseUntilTimestamp() - now.unixSeconds());
}

void GlobalPauseController::start() {
    // A flag left set with neither an end nor "until resumed" (its keys lost or unreadable)
    // would keep rules and sessions stopped while every screen shows "Active": end it.
    UserDefaults& d = *platform_.defaults;
    if (d.boolValue(kGlobalPauseActiveKey).value_or(false) && !isPausedIndefinitely() && pauseUntilTimestamp() <= 0) {
        if (d.boolValue(kHasSavedSyncState).value_or(false)) {
            resume();
        } else {
            // Nothing saved to restore: the sync setting stays as the user left it.
            setGlobalPauseActive(false);
            postChange();
        }
        return;
    }
    endIfExpired();
    armExpiry();
}

void GlobalPauseController::setGlobalPauseActive(bool active) {
    platform_.defaults->setBool(kGlobalPauseActiveKey, active);
    platform_.defaults->synchronize();
}

void GlobalPauseController::beginPause() {
    UserDefaults& d = *platform_.defaults;
    if (!d.boolValue(kHasSavedSyncState).value_or(false)) {
        d.setBool(kSavedSyncEnabled, d.boolValue(kSyncEnabled).value_or(true));
        d.setBool(kHasSavedSyncState, true);
    }
    d.setBool(kSyncEnabled, false);
    applySyncEnabled(false);
    setGlobalPauseActive(true);
}

void GlobalPauseController::endPause() {
    UserDefaults& d = *platform_.defaults;
    const bool restored = d.boolValue(kSavedSyncEnabled).value_or(true);
    d.setBool(kSyncEnabled, restored);
    applySyncEnabled(restored);
    d.setBool(kHasSavedSyncState, false);
    setGlobalPauseActive(false);
}

void GlobalPauseController::applySyncEnabled(bool enabled) {
    // One turn later, so the flag and the entry follow the defaults writes and the notice.
    platform_.scheduler->post(lifetime_.guard([this, enabled] {
        if (hooks_.setSyncManagerEnabled) hooks_.setSyncManagerEnabled(enabled);
        if (!hooks_.recordInfo) return;
        if (enabled)
            hooks_.recordInfo(QStringLiteral("Cloud Sync Enabled"),
                              QStringLiteral("Nimbrel will sync rules, sessions and blacklist."));
        else
            hooks_.recordInfo(QStringLiteral("Cloud Sync Disabled"),
                              QStringLiteral("Nimbrel will stop syncing across devices."));
    }));
}

void GlobalPauseController::postChange() {
    armExpiry();
    platform_.notifications->post(shell::kPauseStateDidChange);
}

void GlobalPauseController::pause(double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0) return; // a pause that ends before it begins is no pause
    beginPause();
    platform_.defaults->setDouble(kPauseUntilTimestamp, platform_.clock->now().unixSeconds() + seconds);
    platform_.defaults->setBool(kIsPausedIndefinitely, false);
    postChange();
}

void GlobalPauseController::pauseIndefinitely() {
    beginPause();
    platform_.defaults->setBool(kIsPausedIndefinitely, true);
    platform_.defaults->setDouble(kPauseUntilTimestamp, 0);
    postChange();
}

void GlobalPauseController::resume() {
    platform_.defaults->setBool(kIsPausedIndefinitely, false);
    platform_.defaults->setDouble(kPauseUntilTimestamp, 0);
    endPause();
    postChange();
}

void GlobalPauseController::run(const PauseMenuRow& row) {
    switch (row.action) {
    case PauseMenuRow::Action::resume:
        resume();
        break;
    case PauseMenuRow::Action::pauseFor:
        pause(row.seconds);
        break;
    case PauseMenuRow::Action::pauseIndefinitely:
        pauseIndefinitely();
        break;
    }
}

void GlobalPauseController::endIfExpired() {
    const double until = pauseUntilTimestamp();
    if (isPausedIndefinitely() || until <= 0 || until > platform_.clock->now().unixSeconds()) return;
    platform_.defaults->setBool(kIsPausedIndefinitely, false);
    platform_.defaults->setDouble(kPauseUntilTimestamp, 0);
    endPause();
    postChange();
}

void GlobalPauseController::armExpiry() {
    if (expiry_) {
        expiry_->cancel();
        expiry_.reset();
    }
    const double until = pauseUntilTimestamp();
    if (isPausedIndefinitely() || until <= 0) return;
    // Timers do not run while the Mac sleeps, the wall clock does: look again at least every
    // minute so a pause whose end passed during a sleep ends soon after waking.
    const double delay = std::clamp(until - platform_.clock->now().unixSeconds(), 0.0, kLongestExpiryWait);
    expiry_ = platform_.scheduler->after(delay, lifetime_.guard([this] {
        expiry_.reset();
        endIfExpired();
        // Woken early (the clock moved back): wait again for the end.
        if (!expiry_) armExpiry();
    }));
}

} // namespace nimbrel
