#pragma once

#include <QString>

#include <functional>

namespace nimbrel {

struct UserNotificationContent {
    QString title;
    QString body;
    bool defaultSound = false;
};

// A request with no trigger is delivered at once.
struct UserNotificationRequest {
    QString identifier;
    UserNotificationContent content;
};

// The system's user notifications.
class UserNotifications {
public:
    virtual ~UserNotifications() = default;
    // `completion` (optional) receives whether the request was accepted.
    virtual void add(const UserNotificationRequest& request, std::function<void(bool accepted)> completion = {}) = 0;
};

} // namespace nimbrel
