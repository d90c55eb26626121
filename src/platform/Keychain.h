#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace nimbrel {

// Generic password items by service and account, with the platform's status codes.
class Keychain {
public:
    static constexpr int errSecSuccess = 0;
    static constexpr int errSecItemNotFound = -25300;

    virtual ~Keychain() = default;
    // The item's data, or nullopt with `status` set to why not.
    virtual std::optional<QByteArray> copyPasswordData(const QString& service, const QString& account,
                                                       int* status = nullptr) const = 0;
};

} // namespace nimbrel
