#include "platform/RecordingUserNotifications.h"

#include <algorithm>

namespace nimbrel {

RecordingUserNotifications::RecordingUserNotifications(Scheduler& scheduler, Clock& clock)
    : scheduler_(scheduler), clock_(clock) {}

RecordingUserNotifications::~RecordingUserNotifications() {
    for (auto& [identifier, pending] : pending_)
        if (pending.delivery) pending.delivery->cancel();
}

void RecordingUserNotifications::requestAuthorization(unsigned options, AuthorizationCompletion completion) {
    authorizationRequests_.push_back(options);
    if (!completion) return;
    if (authorization_ == Authorization::notDetermined) {
        waitingForPrompt_.push_back(std::move(completion));
        return;
    }
    answer([completion = std::move(completion), granted = authorization_ == Authorization::granted] {
        completion(granted, std::nullopt);
    });
}

void RecordingUserNotifications::answerPrompt(bool allow) {
    authorization_ = allow ? Authorization::granted : Authorization::denied;
    for (AuthorizationCompletion& completion : std::exchange(waitingForPrompt_, {}))
        answer([completion = std::move(completion), allow] { completion(allow, std::nullopt); });
}

void RecordingUserNotifications::answer(std::function<void()> completion) {
    if (completionDelay_ > 0)
        scheduler_.after(completionDelay_, std::move(completion));
    else
        scheduler_.post(std::move(completion));
}

void RecordingUserNotifications::add(const NotificationRequest& request, AddCompletion completion) {
    added_.push_back(request);
    std::optional<QString> error;
    if (!addError_.isEmpty()) {
        error = addError_;
    } else if (request.identifier.isEmpty()) {
        error = QStringLiteral("a notification request needs an identifier");
    } else {
        auto existing = pending_.find(request.identifier);
        if (existing != pending_.end()) {
            if (existing->second.delivery) existing->second.delivery->cancel();
            pending_.erase(existing);
        }
        const double delay = request.triggerDate ? std::max(0.0, request.triggerDate->secondsSince(clock_.now())) : 0.0;
        Pending entry{nextOrder_++, request, {}};
        entry.delivery = scheduler_.after(delay, lifetime_.guard([this, id = request.identifier] { deliver(id); }));
        pending_.emplace(request.identifier, std::move(entry));
    }
    if (completion) answer([completion = std::move(completion), error] { completion(error); });
}

std::vector<NotificationRequest> RecordingUserNotifications::pendingNow() const {
    std::vector<const Pending*> ordered;
    for (const auto& [identifier, pending] : pending_)
        ordered.push_back(&pending);
    std::sort(ordered.begin(), ordered.end(), [](const Pending* a, const Pending* b) { return a->order < b->order; });
    std::vector<NotificationRequest> out;
    for (const Pending* p : ordered)
        out.push_back(p->request);
    return out;
}

void RecordingUserNotifications::pendingRequests(PendingCompletion completion) {
    if (!completion) return;
    answer(lifetime_.guard([this, completion = std::move(completion)] { completion(pendingNow()); }));
}

void RecordingUserNotifications::removePendingRequests(const QStringList& identifiers) {
    for (const QString& identifier : identifiers) {
        auto it = pending_.find(identifier);
        if (it == pending_.end()) continue;
        if (it->second.delivery) it->second.delivery->cancel();
        pending_.erase(it);
        removed_ << identifier;
    }
}

void RecordingUserNotifications::deliver(const QString& identifier) {
    auto it = pending_.find(identifier);
    if (it == pending_.end()) return;
    NotificationRequest request = std::move(it->second.request);
    pending_.erase(it);
    delivered_.push_back(request);
    present(request);
}

} // namespace nimbrel
