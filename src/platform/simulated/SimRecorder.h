#pragma once

#include "platform/NotificationCenter.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace nimbrel::sim {

enum class EventKind {
    accessibilityWrite,
    accessibilityAction,
    appleScript,
    scriptEffect,    // what a script did (keystrokes, terminal commands, delays)
    workspace,       // opens, launches, activation, hiding, termination
    process,         // commands run through the process runner
    dockPreferences, // preference writes and Dock restarts
    desktopPicture,
    keyEvent,
    alert,
    permission, // trust checks with a prompt, grants and revocations
    system,     // wake, launches completing, other notices of the Mac
};

QString eventKindName(EventKind kind);

struct Event {
    double time = 0; // virtual seconds since the simulated Mac started
    EventKind kind = EventKind::system;
    QString text; // one line, as the transcript prints it
};

// Everything sent to the simulated Mac, in order.
class Recorder {
  public:
    void setTimeSource(std::function<double()> now) { now_ = std::move(now); }
    void record(EventKind kind, const QString& text);

    const std::vector<Event>& events() const { return events_; }
    std::vector<Event> events(EventKind kind) const;
    // The texts of the events of one kind, in order (handy in tests).
    std::vector<QString> texts(EventKind kind) const;
    void clear() { events_.clear(); }
    // Called with every event as it is recorded (the transcript prints them live).
    void setListener(std::function<void(const Event&)> listener) { listener_ = std::move(listener); }
    // Further listeners (a view of the desktop, ...), each until its token goes.
    [[nodiscard]] ObserverToken addListener(std::function<void(const Event&)> listener);

  private:
    std::function<double()> now_;
    std::function<void(const Event&)> listener_;
    std::shared_ptr<std::map<int, std::function<void(const Event&)>>> listeners_ =
        std::make_shared<std::map<int, std::function<void(const Event&)>>>();
    int nextListener_ = 1;
    std::vector<Event> events_;
};

} // namespace nimbrel::sim
