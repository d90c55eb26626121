#pragma once

#include <QString>

namespace nimbrel {

struct OperatingSystemVersion {
    int majorVersion = 0;
    int minorVersion = 0;
    int patchVersion = 0;
    friend bool operator==(const OperatingSystemVersion&, const OperatingSystemVersion&) = default;
};

// Facts about the machine and the user.
class SystemInfo {
  public:
    virtual ~SystemInfo() = default;
    virtual OperatingSystemVersion operatingSystemVersion() const = 0;
    // sysctl "hw.model", e.g. "Mac14,2"; empty when unreadable.
    virtual QString modelIdentifier() const = 0;
    // The host's name as the user sees it ("Anna's MacBook Air").
    virtual QString hostLocalizedName() const = 0;
    virtual QString userName() const = 0; // the short login name
    virtual QString userFullName() const = 0;
    virtual unsigned userId() const = 0; // the real user id
};

} // namespace nimbrel
