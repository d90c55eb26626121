#include "platform/RecordingUserNotifications.h"

#include <algorithm>
#include <cmath>

namespace nimbrel {

RecordingUserNotifications::RecordingUserNotifications(Scheduler& scheduler, Clock& clock, bool keepsHistory)
    : scheduler_(scheduler), clock_(clock), keepsHistory_(keepsHistory) {}

RecordingUserNotifications::~RecordingUserNotifications() {
    if (nextDelivery_) nextDelivery_->cancel();
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
    if (keepsHistory_) added_.push_back(request);
    std::optional<QString> error;
    if (!addError_.isEmpty()) {
        error = addError_;
    } else if (request.identifier.isEmpty()) {
        error = QStringLiteral("a notification request needs an identifier");
    } else {
        if (auto existing = pending_.find(request.identifier); existing != pending_.end()) erasePending(existing);
        const double now = clock_.now().secondsSinceReferenceDate;
        const double date = request.triggerDate ? request.triggerDate->secondsSinceReferenceDate : now;
        // A date that is no number is due now; so is one already past.
        const DueKey due{std::isnan(date) ? now : date, nextOrder_++};
        byDue_.emplace(due, request.identifier);
        pending_.emplace(request.identifier, Pending{request, due});
        scheduleNextDelivery();
    }
    if (completion) answer([completion = std::move(completion), error] { completion(error); });
}

void RecordingUserNotifications::erasePending(std::map<QString, Pending>::iterator it) {
    // The wait for it, if it was the earliest, is left: it finds nothing due and waits again.
    byDue_.erase(it->second.due);
    pending_.erase(it);
}

void RecordingUserNotifications::scheduleNextDelivery() {
    if (byDue_.empty()) return;
    const double earliest = byDue_.begin()->first.first;
    if (nextDelivery_ && nextDeliveryAt_ <= earliest) return;
    if (nextDelivery_) nextDelivery_->cancel();
    nextDeliveryAt_ = earliest;
    const double delay = std::max(0.0, earliest - clock_.now().secondsSinceReferenceDate);
    nextDelivery_ = scheduler_.after(delay, lifetime_.guard([this] {
        nextDelivery_.reset();
        deliverDue();
    }));
}

void RecordingUserNotifications::deliverDue() {
    // Everything due by now, in order of date and then of adding; a presentation may add or
    // remove requests, so the earliest is looked up afresh each time. Timers wake to the
    // millisecond, so what falls due within one counts as due.
    constexpr double kTimerResolution = 0.001;
    while (!byDue_.empty() &&
           byDue_.begin()->first.first <= clock_.now().secondsSinceReferenceDate + kTimerResolution) {
        auto it = pending_.find(byDue_.begin()->second);
        NotificationRequest request = std::move(it->second.request);
        erasePending(it);
        if (keepsHistory_) delivered_.push_back(request);
        present(request);
    }
    scheduleNextDelivery();
}

std::vector<NotificationRequest> RecordingUserNotifications::pendingNow() const {
    std::vector<const Pending*> ordered;
    for (const auto& [identifier, pending] : pending_)
        ordered.push_back(&pending);
    std::sort(ordered.begin(), ordered.end(),
              [](const Pending* a, const Pending* b) { return a->due.second < b->due.second; });
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
        erasePending(it);
        if (keepsHistory_) removed_ << identifier;
    }
}

} // namespace nimbrel
