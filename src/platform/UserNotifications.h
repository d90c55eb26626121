#pragma once

#include "platform/Date.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <optional>
#include <vector>

namespace nimbrel {

// One notification for the user: shown at once, or at its trigger date (one-shot).
struct NotificationRequest {
    QString identifier;
    QString title;
    QString body;
    bool sound = false; // the default notification sound
    // Shown when the clock reaches this moment; absent means now.
    std::optional<Date> triggerDate;
    QVariantMap userInfo;

    friend bool operator==(const NotificationRequest&, const NotificationRequest&) = default;
};

enum NotificationAuthorizationOption : unsigned {
    NotificationAlert = 1u << 0,
    NotificationSound = 1u << 1,
    NotificationBadge = 1u << 2,
};

// The system's user notifications. Every completion is delivered later through the
// scheduler, never from inside the call that started it. Requests wait "pending" until
// their trigger date and are then delivered; adding a request whose identifier is already
// pending replaces it.
class UserNotifications {
  public:
    virtual ~UserNotifications() = default;

    using AuthorizationCompletion = std::function<void(bool granted, std::optional<QString> error)>;
    using AddCompletion = std::function<void(std::optional<QString> error)>;
    using PendingCompletion = std::function<void(std::vector<NotificationRequest> pending)>;

    // `options` is a combination of NotificationAuthorizationOption.
    virtual void requestAuthorization(unsigned options, AuthorizationCompletion completion) = 0;
    virtual void add(const NotificationRequest& request, AddCompletion completion = {}) = 0;
    // The pending requests in the order they were added.
    virtual void pendingRequests(PendingCompletion completion) = 0;
    // Takes effect at once; unknown identifiers are ignored.
    virtual void removePendingRequests(const QStringList& identifiers) = 0;
};

} // namespace nimbrel
