#include "sync/DeviceIdentity.h"

#include "platform/Keychain.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "platform/SharedInstance.h"
#include "platform/SystemInfo.h"
#include "platform/UserDefaults.h"
#include "platform/Uuid.h"
#include "sync/CloudPayloads.h"

#include <QStringDecoder>

namespace nimbrel {

namespace {

// The item's text: nullopt for a missing, empty or non-UTF-8 item, with the read's status.
std::optional<QString> readStoredID(Platform& platform, int* status) {
    *status = errSecItemNotFound;
    if (!platform.keychain) return std::nullopt;
    QByteArray data;
    *status = platform.keychain->copyMatching(NimbrelDeviceIdentityProvider::keychainService,
                                              NimbrelDeviceIdentityProvider::keychainAccount, &data);
    if (*status != errSecSuccess) return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(data);
    if (decoder.hasError() || text.isEmpty()) return std::nullopt;
    return text;
}

Date now(Platform& platform) {
    return platform.clock ? platform.clock->now() : Date{};
}

} // namespace

NimbrelDeviceIdentityProvider& NimbrelDeviceIdentityProvider::shared() {
    return sharedInstance<NimbrelDeviceIdentityProvider>(
        [] { return std::make_shared<NimbrelDeviceIdentityProvider>(Platform::current()); });
}

std::optional<QString> NimbrelDeviceIdentityProvider::storedDeviceID(Platform& platform) {
    int status = 0;
    return readStoredID(platform, &status);
}

std::optional<QString> NimbrelDeviceIdentityProvider::storedDeviceID() {
    return storedDeviceID(Platform::current());
}

QString NimbrelDeviceIdentityProvider::storedDeviceIDOrUnknown(Platform& platform) {
    return storedDeviceID(platform).value_or(kUnknownDeviceID);
}

NimbrelDeviceIdentityProvider::StoredIDReading NimbrelDeviceIdentityProvider::readStoredDeviceID(Platform& platform) {
    int status = 0;
    StoredIDReading reading;
    reading.id = readStoredID(platform, &status);
    reading.unreadable = status != errSecSuccess && status != errSecItemNotFound;
    return reading;
}

QString NimbrelDeviceIdentityProvider::loadOrCreateDeviceID() {
    int status = 0;
    if (auto stored = readStoredID(platform_, &status)) {
        idIsStored_ = true;
        return *stored;
    }
    const QString made = Uuid::random().toString();
    // Only a missing item (or one without a usable id) is replaced; any other failure
    // leaves the Keychain alone.
    idIsStored_ = (status == errSecSuccess || status == errSecItemNotFound) && saveDeviceID(made);
    return made;
}

bool NimbrelDeviceIdentityProvider::saveDeviceID(const QString& id) {
    if (!platform_.keychain) return false;
    const QByteArray data = id.toUtf8();
    if (platform_.keychain->update(keychainService, keychainAccount, data,
                                   kKeychainAccessibleAfterFirstUnlockThisDeviceOnly) == errSecSuccess)
        return true;
    const int status = platform_.keychain->add(keychainService, keychainAccount, data,
                                               kKeychainAccessibleAfterFirstUnlockThisDeviceOnly);
    if (status == errSecSuccess) return true;
    logLine(QStringLiteral("NimbrelDeviceIdentityProvider"),
            QStringLiteral("failed to save device ID to Keychain status=") + QString::number(status));
    return false;
}

Date NimbrelDeviceIdentityProvider::createdAt() {
    if (platform_.defaults) {
        if (auto stored = platform_.defaults->dateValue(createdAtDefaultsKey)) return *stored;
    }
    const Date made = now(platform_);
    if (platform_.defaults) platform_.defaults->setDate(createdAtDefaultsKey, made);
    return made;
}

QJsonObject NimbrelDeviceIdentity::toJson(json::DateForm form) const {
    return json::Writer(form)
        .set(QStringLiteral("id"), id)
        .set(QStringLiteral("deviceName"), deviceName)
        .set(QStringLiteral("modelIdentifier"), modelIdentifier)
        .set(QStringLiteral("createdAt"), createdAt)
        .object();
}

NimbrelDeviceIdentity NimbrelDeviceIdentity::fromJson(const json::Reader& r) {
    NimbrelDeviceIdentity v;
    v.id = r.string(QStringLiteral("id"));
    v.deviceName = r.string(QStringLiteral("deviceName"));
    v.modelIdentifier = r.string(QStringLiteral("modelIdentifier"));
    v.createdAt = r.date(QStringLiteral("createdAt"));
    return v;
}

namespace {
NimbrelDeviceIdentityProvider& providerFor(Platform& platform) {
    return sharedInstance<NimbrelDeviceIdentityProvider>(
        [&platform] { return std::make_shared<NimbrelDeviceIdentityProvider>(platform); });
}
} // namespace

bool NimbrelDeviceIdentity::currentIsStored(Platform& platform) {
    current(platform);
    return providerFor(platform).idIsStored_;
}

NimbrelDeviceIdentity NimbrelDeviceIdentity::current(Platform& platform) {
    NimbrelDeviceIdentityProvider& provider = providerFor(platform);
    if (provider.cachedIdentity_) return *provider.cachedIdentity_;
    NimbrelDeviceIdentity identity;
    identity.id = provider.loadOrCreateDeviceID();
    identity.createdAt = provider.createdAt();
    identity.deviceName = currentDeviceName(platform);
    identity.modelIdentifier = currentModelIdentifier(platform);
    provider.cachedIdentity_ = identity;
    return identity;
}

NimbrelDeviceIdentity NimbrelDeviceIdentity::current() {
    return current(Platform::current());
}

QString NimbrelDeviceIdentity::currentDeviceName(Platform& platform) {
    const QString name = platform.systemInfo ? platform.systemInfo->hostLocalizedName().trimmed() : QString();
    return name.isEmpty() ? QStringLiteral("This Mac") : name;
}

QString NimbrelDeviceIdentity::currentModelIdentifier(Platform& platform) {
    QString model = platform.systemInfo ? platform.systemInfo->modelIdentifier() : QString();
    const qsizetype zero = model.indexOf(QChar(0));
    if (zero >= 0) model.truncate(zero);
    model = model.trimmed();
    return model.isEmpty() ? QStringLiteral("Mac") : model;
}

} // namespace nimbrel
