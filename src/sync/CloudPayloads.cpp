#include "sync/CloudPayloads.h"

#include "sync/CloudPayloadFields.h"

#include <cmath>

namespace nimbrel {

using namespace cloudfields;

QJsonObject NimbrelCloudPayloadRecord::toJson() const {
    return cloudfields::toJson(*this, payloadRecordFields());
}

NimbrelCloudPayloadRecord NimbrelCloudPayloadRecord::fromJson(const json::Reader& r) {
    return cloudfields::fromJson(r, payloadRecordFields());
}

QJsonObject NimbrelCloudTombstone::toJson() const {
    return cloudfields::toJson(*this, tombstoneFields());
}

NimbrelCloudTombstone NimbrelCloudTombstone::fromJson(const json::Reader& r) {
    return cloudfields::fromJson(r, tombstoneFields());
}

QJsonObject NimbrelCloudSettingsPayload::toJson() const {
    return cloudfields::toJson(*this, settingsFields());
}

NimbrelCloudSettingsPayload NimbrelCloudSettingsPayload::fromJson(const json::Reader& r) {
    return cloudfields::fromJson(r, settingsFields());
}

QJsonObject NimbrelCloudBlacklistPayload::toJson() const {
    return cloudfields::toJson(*this, blacklistFields());
}

NimbrelCloudBlacklistPayload NimbrelCloudBlacklistPayload::fromJson(const json::Reader& r) {
    return cloudfields::fromJson(r, blacklistFields());
}

CloudResult<QByteArray> NimbrelCloudBlacklistPayload::encoded() const {
    if (!std::isfinite(updatedAt.secondsSinceReferenceDate)) {
        CloudError error =
            CloudError::make(0, QStringLiteral("The blacklist could not be encoded: its date is not a valid time."));
        error.domain = kCloudPayloadErrorDomain;
        return error;
    }
    return encodeCloudJSON(toJson());
}

std::optional<NimbrelCloudBlacklistPayload> NimbrelCloudBlacklistPayload::decode(const QByteArray& bytes) {
    return json::tryDecode<NimbrelCloudBlacklistPayload>([&] { return fromJson(CloudJSONDecoder().reader(bytes)); })
        .value;
}

QJsonObject NimbrelCloudDeviceRecord::toJson() const {
    return cloudfields::toJson(*this, deviceFields());
}

NimbrelCloudDeviceRecord NimbrelCloudDeviceRecord::fromJson(const json::Reader& r) {
    return cloudfields::fromJson(r, deviceFields());
}

} // namespace nimbrel
