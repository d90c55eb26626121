#pragma once

#include <QString>

#include <optional>

namespace nimbrel {

struct Platform;

// This Mac's device id as kept in the Keychain.
class NimbrelDeviceIdentityProvider {
  public:
    static inline const QString keychainService = QStringLiteral("com.nimbrel.device-identity");
    static inline const QString keychainAccount = QStringLiteral("primary-device-id");

    // The stored id; nothing when the item is missing, unreadable, empty or not UTF-8.
    static std::optional<QString> storedDeviceID(Platform& platform);
    static std::optional<QString> storedDeviceID();
    // What a pusher writes as sourceDeviceID.
    static QString storedDeviceIDOrUnknown(Platform& platform);
};

} // namespace nimbrel
