#include "ui/screens/SyncButton.h"

namespace nimbrel {

SyncButton::SyncButton(Scheduler& scheduler, SyncNowLink link, std::function<void()> changed)
    : scheduler_(scheduler), link_(std::move(link)), changed_(std::move(changed)) {}

SyncButton::~SyncButton() {
    if (reset_) reset_->cancel();
}

QString SyncButton::title() const {
    switch (state_) {
    case State::idle:
        return QStringLiteral("Sync");
    case State::syncing:
        return QString::fromUtf8("Syncing\u2026");
    case State::done:
        break;
    }
    switch (outcome_.kind) {
    case SyncNowOutcome::Kind::synced:
        return QStringLiteral("All Synced");
    case SyncNowOutcome::Kind::syncOff:
        return QStringLiteral("Sync Is Off");
    case SyncNowOutcome::Kind::accountUnavailable:
        return QStringLiteral("Account Unavailable");
    case SyncNowOutcome::Kind::failed:
        return QStringLiteral("Sync Failed");
    }
    return {};
}

QString SyncButton::symbol() const {
    if (state_ != State::done) return QStringLiteral("arrow.triangle.2.circlepath");
    switch (outcome_.kind) {
    case SyncNowOutcome::Kind::synced:
        return QStringLiteral("checkmark");
    case SyncNowOutcome::Kind::syncOff:
        return QStringLiteral("icloud.slash.fill");
    case SyncNowOutcome::Kind::accountUnavailable:
    case SyncNowOutcome::Kind::failed:
        return QStringLiteral("exclamationmark.triangle.fill");
    }
    return {};
}

QString SyncButton::problemTone() const {
    if (state_ != State::done) return {};
    switch (outcome_.kind) {
    case SyncNowOutcome::Kind::synced:
        return {};
    case SyncNowOutcome::Kind::syncOff:
    case SyncNowOutcome::Kind::accountUnavailable:
        return QStringLiteral("warning");
    case SyncNowOutcome::Kind::failed:
        return QStringLiteral("failure");
    }
    return {};
}

void SyncButton::start() {
    if (state_ != State::idle) return;
    set(State::syncing);
    if (!link_.syncNow) {
        finished({SyncNowOutcome::Kind::syncOff, {}});
        return;
    }
    link_.syncNow([guard = lifetime_.watch(), this](SyncNowOutcome outcome) {
        if (!guard.expired()) finished(std::move(outcome));
    });
}

void SyncButton::finished(SyncNowOutcome outcome) {
    if (state_ != State::syncing) return;
    outcome_ = std::move(outcome);
    set(State::done);
    reset_ = scheduler_.after(kResultSeconds, lifetime_.guard([this] {
        reset_.reset();
        set(State::idle);
    }));
}

void SyncButton::set(State state) {
    state_ = state;
    if (changed_) changed_();
}

} // namespace nimbrel
