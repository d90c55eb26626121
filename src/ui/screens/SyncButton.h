#pragma once

#include "platform/Scheduler.h"

#include <QString>

#include <functional>

namespace nimbrel {

// What one sync of everything came to, as the sync side reports it.
struct SyncNowOutcome {
    enum class Kind { synced, syncOff, accountUnavailable, failed };
    Kind kind = Kind::synced;
    QString failure; // the error's description, for `failed`

    friend bool operator==(const SyncNowOutcome&, const SyncNowOutcome&) = default;
};

// How the activity screen reaches the sync side: one sync of everything, whose `done` runs
// once, later, on the main thread, with what came of it.
struct SyncNowLink {
    std::function<void(std::function<void(SyncNowOutcome)> done)> syncNow;
};

// The activity screen's sync button: idle, syncing while the sync runs, then for 2 s what it
// came to, then idle again. It claims "All Synced" only for a sync that succeeded.
class SyncButton {
  public:
    enum class State { idle, syncing, done };
    static constexpr double kResultSeconds = 2.0;

    SyncButton(Scheduler& scheduler, SyncNowLink link, std::function<void()> changed);
    ~SyncButton();
    SyncButton(const SyncButton&) = delete;
    SyncButton& operator=(const SyncButton&) = delete;

    State state() const { return state_; }
    const SyncNowOutcome& outcome() const { return outcome_; }
    bool isEnabled() const { return state_ == State::idle; }
    // The label's text and symbol, and whether it wears the success tint.
    QString title() const;
    QString symbol() const;
    bool showsSuccess() const { return state_ == State::done && outcome_.kind == SyncNowOutcome::Kind::synced; }
    // "warning" or "failure" while showing a sync that did not happen or failed; else "".
    QString problemTone() const;

    // A tap: starts a sync unless one is under way or its result still shows.
    void start();

  private:
    void finished(SyncNowOutcome outcome);
    void set(State state);

    Scheduler& scheduler_;
    SyncNowLink link_;
    std::function<void()> changed_;
    State state_ = State::idle;
    SyncNowOutcome outcome_;
    WorkHandle reset_;
    Lifetime lifetime_;
};

} // namespace nimbrel
