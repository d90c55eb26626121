#include "platform/simulated/SimRecorder.h"

#include <array>

namespace nimbrel::sim {

QString eventKindName(EventKind kind) {
    static const std::array<const char*, 12> names{"ax-write",  "ax-action", "applescript", "script-effect",
                                                   "workspace", "process",   "dock-prefs",  "desktop-picture",
                                                   "key",       "alert",     "permission",  "system"};
    return QString::fromLatin1(names.at(static_cast<size_t>(kind)));
}

void Recorder::record(EventKind kind, const QString& text) {
    Event e{now_ ? now_() : 0.0, kind, text};
    events_.push_back(e);
    if (listener_) listener_(e);
    const auto listeners = *listeners_; // a listener may remove itself
    for (const auto& [id, listener] : listeners)
        listener(e);
}

ObserverToken Recorder::addListener(std::function<void(const Event&)> listener) {
    const int id = nextListener_++;
    (*listeners_)[id] = std::move(listener);
    std::weak_ptr<std::map<int, std::function<void(const Event&)>>> weak = listeners_;
    return ObserverToken([weak, id] {
        if (auto map = weak.lock()) map->erase(id);
    });
}

std::vector<Event> Recorder::events(EventKind kind) const {
    std::vector<Event> out;
    for (const Event& e : events_)
        if (e.kind == kind) out.push_back(e);
    return out;
}

std::vector<QString> Recorder::texts(EventKind kind) const {
    std::vector<QString> out;
    for (const Event& e : events_)
        if (e.kind == kind) out.push_back(e.text);
    return out;
}

} // namespace nimbrel::sim
