#include "sync/DeviceIdentity.h"

#include "platform/Keychain.h"
#include "platform/Platform.h"
#include "sync/CloudPayloads.h"

#include <QStringDecoder>

namespace nimbrel {

std::optional<QString> NimbrelDeviceIdentityProvider::storedDeviceID(Platform& platform) {
    if (!platform.keychain) return std::nullopt;
    QByteArray data;
    if (platform.keychain->copyMatching(keychainService, keychainAccount, &data) != errSecSuccess) return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(data);
    if (decoder.hasError() || text.isEmpty()) return std::nullopt;
    return text;
}

std::optional<QString> NimbrelDeviceIdentityProvider::storedDeviceID() {
    return storedDeviceID(Platform::current());
}

QString NimbrelDeviceIdentityProvider::storedDeviceIDOrUnknown(Platform& platform) {
    return storedDeviceID(platform).value_or(kUnknownDeviceID);
}

} // namespace nimbrel
