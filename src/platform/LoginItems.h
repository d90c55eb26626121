#pragma once

#include <QString>

namespace nimbrel {

enum class LoginItemStatus { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };

// Opening the program at login.
class LoginItems {
  public:
    virtual ~LoginItems() = default;
    virtual LoginItemStatus status() const = 0;
    // Each returns false and fills `error` (a localized description) when refused.
    virtual bool registerMainApp(QString* error = nullptr) = 0;
    virtual bool unregisterMainApp(QString* error = nullptr) = 0;
};

} // namespace nimbrel
