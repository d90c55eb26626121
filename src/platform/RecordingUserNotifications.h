#pragma once

#include "platform/Scheduler.h"
#include "platform/UserNotifications.h"

#include <map>

namespace nimbrel {

// User notifications kept in memory: what was asked, added, removed and delivered, for
// tests and the simulated Mac. Pending requests are delivered by the scheduler when their
// trigger date comes; subclasses show delivered ones somewhere (`present`).
class RecordingUserNotifications : public UserNotifications {
  public:
    RecordingUserNotifications(Scheduler& scheduler, Clock& clock);
    ~RecordingUserNotifications() override;

    void requestAuthorization(unsigned options, AuthorizationCompletion completion) override;
    void add(const NotificationRequest& request, AddCompletion completion = {}) override;
    void pendingRequests(PendingCompletion completion) override;
    void removePendingRequests(const QStringList& identifiers) override;

    // What the user answers when asked (granted by default).
    void setAuthorizationGranted(bool granted) { granted_ = granted; }
    // Makes every later add fail with this description (empty: adds succeed again).
    void setAddError(const QString& description) { addError_ = description; }

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
    struct Pending {
        uint64_t order;
        NotificationRequest request;
        WorkHandle delivery;
    };
    void deliver(const QString& identifier);

    Scheduler& scheduler_;
    Clock& clock_;
    Lifetime lifetime_;
    bool granted_ = true;
    QString addError_;
    uint64_t nextOrder_ = 0;
    std::map<QString, Pending> pending_;
    std::vector<unsigned> authorizationRequests_;
    std::vector<NotificationRequest> added_;
    std::vector<NotificationRequest> delivered_;
    QStringList removed_;
};

} // namespace nimbrel
