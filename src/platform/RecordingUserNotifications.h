#pragma once

#include "platform/Scheduler.h"
#include "platform/UserNotifications.h"

#include <map>
#include <optional>
#include <utility>

namespace nimbrel {

// User notifications kept in memory: what was asked, added, removed and delivered, for
// tests and the simulated Mac. Pending requests are delivered when the clock reaches their
// trigger date; subclasses show delivered ones somewhere (`present`). However many wait (a
// thousand sessions leave tens of thousands), one piece of scheduled work waits for the
// earliest, so starting, idling and quitting cost the same as with a few.
class RecordingUserNotifications : public UserNotifications {
  public:
    // `keepsHistory`: whether what was added, removed and delivered is kept for assertions;
    // a long-running program keeps only what is pending.
    RecordingUserNotifications(Scheduler& scheduler, Clock& clock, bool keepsHistory = true);
    ~RecordingUserNotifications() override;

    void requestAuthorization(unsigned options, AuthorizationCompletion completion) override;
    void add(const NotificationRequest& request, AddCompletion completion = {}) override;
    void pendingRequests(PendingCompletion completion) override;
    void removePendingRequests(const QStringList& identifiers) override;

    // The user's answer as the system keeps it: granted (the default) or denied answer every
    // request at once; not determined shows a prompt, and requests wait until it is answered.
    enum class Authorization { granted, denied, notDetermined };
    void setAuthorization(Authorization authorization) { authorization_ = authorization; }
    void setAuthorizationGranted(bool granted) {
        setAuthorization(granted ? Authorization::granted : Authorization::denied);
    }
    Authorization authorization() const { return authorization_; }
    // The user answers the prompt: the waiting requests get the answer, later ones too.
    void answerPrompt(bool allow);
    size_t requestsWaitingForPrompt() const { return waitingForPrompt_.size(); }
    // Makes every later add fail with this description (empty: adds succeed again).
    void setAddError(const QString& description) { addError_ = description; }
    const QString& addError() const { return addError_; }
    // Every completion comes this many seconds later (0: on the next turn).
    void setCompletionDelay(double seconds) { completionDelay_ = seconds; }

    // Everything as it happened, for assertions.
    const std::vector<unsigned>& authorizationRequests() const { return authorizationRequests_; }
    const std::vector<NotificationRequest>& added() const { return added_; }
    const std::vector<NotificationRequest>& delivered() const { return delivered_; }
    const QStringList& removedIdentifiers() const { return removed_; }
    // The pending requests now, synchronously (tests).
    std::vector<NotificationRequest> pendingNow() const;

  protected:
    // Shows a delivered request; the recording does nothing more.
    virtual void present(const NotificationRequest&) {}

  private:
    // When a request falls due: its date (seconds), then the order of adding.
    using DueKey = std::pair<double, uint64_t>;
    struct Pending {
        NotificationRequest request;
        DueKey due;
    };
    void erasePending(std::map<QString, Pending>::iterator it);
    // Waits for the earliest request, unless that wait is already scheduled.
    void scheduleNextDelivery();
    void deliverDue();
    // Runs a completion later: on the next turn, or after the completion delay.
    void answer(std::function<void()> completion);

    Scheduler& scheduler_;
    Clock& clock_;
    Lifetime lifetime_;
    Authorization authorization_ = Authorization::granted;
    std::vector<AuthorizationCompletion> waitingForPrompt_;
    double completionDelay_ = 0;
    QString addError_;
    bool keepsHistory_;
    uint64_t nextOrder_ = 0;
    std::map<QString, Pending> pending_;
    std::map<DueKey, QString> byDue_;
    WorkHandle nextDelivery_;
    double nextDeliveryAt_ = 0; // the date `nextDelivery_` waits for
    std::vector<unsigned> authorizationRequests_;
    std::vector<NotificationRequest> added_;
    std::vector<NotificationRequest> delivered_;
    QStringList removed_;
};

} // namespace nimbrel
