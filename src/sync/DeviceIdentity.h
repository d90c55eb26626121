#pragma once

#include "platform/Date.h"
#include "platform/Json.h"

#include <QString>

#include <optional>

namespace nimbrel {

struct Platform;

// This Mac as its records name it: a stable id kept in the Keychain, the Mac's name and model,
// and when the identity was first made.
struct NimbrelDeviceIdentity {
    QString id;
    QString deviceName;
    QString modelIdentifier;
    Date createdAt;

    // Keyed by "id", "deviceName", "modelIdentifier" and "createdAt", all four required.
    QJsonObject toJson(json::DateForm form = json::DateForm::ISO8601) const;
    static NimbrelDeviceIdentity fromJson(const json::Reader& reader);

    // This Mac's identity, made on first use and kept for the process.
    static NimbrelDeviceIdentity current(Platform& platform);
    static NimbrelDeviceIdentity current();
    // Whether the current identity's id is kept in the Keychain. One that is not (the Keychain
    // could not be read, or not written) lives for this process only and is never written to
    // the cloud, where it would stand for another device at every launch.
    static bool currentIsStored(Platform& platform);

    // The host's name trimmed, else "This Mac".
    static QString currentDeviceName(Platform& platform);
    // The hardware model up to its first zero byte, trimmed, else "Mac".
    static QString currentModelIdentifier(Platform& platform);

    friend bool operator==(const NimbrelDeviceIdentity&, const NimbrelDeviceIdentity&) = default;
};

// The device id in the Keychain and the identity's creation date in the defaults.
class NimbrelDeviceIdentityProvider {
  public:
    static inline const QString keychainService = QStringLiteral("com.nimbrel.device-identity");
    static inline const QString keychainAccount = QStringLiteral("primary-device-id");
    static inline const QString createdAtDefaultsKey = QStringLiteral("Nimbrel.deviceIdentity.createdAt");

    explicit NimbrelDeviceIdentityProvider(Platform& platform) : platform_(platform) {}

    static NimbrelDeviceIdentityProvider& shared();

    // The stored id; nothing when the item is missing, unreadable, empty or not UTF-8.
    static std::optional<QString> storedDeviceID(Platform& platform);
    static std::optional<QString> storedDeviceID();
    // What a pusher writes as sourceDeviceID: the stored id, else "unknown-device".
    static QString storedDeviceIDOrUnknown(Platform& platform);
    // The stored id, and whether the Keychain could not be read (rather than holding none): then
    // this Mac's earlier pushes may name an id it cannot see now.
    struct StoredIDReading {
        std::optional<QString> id;
        bool unreadable = false;
    };
    static StoredIDReading readStoredDeviceID(Platform& platform);

    // The stored id, or a new one saved for next time. When the Keychain cannot be read
    // (locked, access denied) a new id is used for this process only and nothing is saved,
    // so an unreadable Keychain does not register another device.
    QString loadOrCreateDeviceID();
    // The stored creation date; the current date (then stored) when there is none.
    Date createdAt();
    // False when the Keychain took neither the update nor the new item.
    bool saveDeviceID(const QString& id);

  private:
    friend struct NimbrelDeviceIdentity;
    Platform& platform_;
    std::optional<NimbrelDeviceIdentity> cachedIdentity_;
    // Whether the id the last load or create gave is the Keychain's.
    bool idIsStored_ = false;
};

} // namespace nimbrel
