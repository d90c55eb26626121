#include "sync/CloudPayloads.h"

#include <cmath>

namespace nimbrel {

namespace {
constexpr auto kForm = json::DateForm::ISO8601;

NimbrelCloudPayloadType readType(const json::Reader& r) {
    return r.enumValue<NimbrelCloudPayloadType>(QStringLiteral("payloadType"));
}
} // namespace

QJsonObject NimbrelCloudPayloadRecord::toJson() const {
    return json::Writer(kForm)
        .set(QStringLiteral("objectID"), objectID)
        .set(QStringLiteral("payloadType"), payloadType)
        .set(QStringLiteral("payload"), payload)
        .set(QStringLiteral("sourceDeviceID"), sourceDeviceID)
        .set(QStringLiteral("createdAt"), createdAt)
        .set(QStringLiteral("updatedAt"), updatedAt)
        .set(QStringLiteral("schemaVersion"), schemaVersion)
        .object();
}

NimbrelCloudPayloadRecord NimbrelCloudPayloadRecord::fromJson(const json::Reader& r) {
    NimbrelCloudPayloadRecord v;
    v.objectID = r.string(QStringLiteral("objectID"));
    v.payloadType = readType(r);
    v.payload = r.data(QStringLiteral("payload"));
    v.sourceDeviceID = r.string(QStringLiteral("sourceDeviceID"));
    v.createdAt = r.date(QStringLiteral("createdAt"));
    v.updatedAt = r.date(QStringLiteral("updatedAt"));
    v.schemaVersion = r.integer(QStringLiteral("schemaVersion"));
    return v;
}

QJsonObject NimbrelCloudTombstone::toJson() const {
    return json::Writer(kForm)
        .set(QStringLiteral("objectID"), objectID)
        .set(QStringLiteral("payloadType"), payloadType)
        .set(QStringLiteral("sourceDeviceID"), sourceDeviceID)
        .set(QStringLiteral("deletedAt"), deletedAt)
        .set(QStringLiteral("schemaVersion"), schemaVersion)
        .object();
}

NimbrelCloudTombstone NimbrelCloudTombstone::fromJson(const json::Reader& r) {
    NimbrelCloudTombstone v;
    v.objectID = r.string(QStringLiteral("objectID"));
    v.payloadType = readType(r);
    v.sourceDeviceID = r.string(QStringLiteral("sourceDeviceID"));
    v.deletedAt = r.date(QStringLiteral("deletedAt"));
    v.schemaVersion = r.integer(QStringLiteral("schemaVersion"));
    return v;
}

QJsonObject NimbrelCloudSettingsPayload::toJson() const {
    json::Writer w(kForm);
    w.set(QStringLiteral("syncEnabled"), syncEnabled)
        .set(QStringLiteral("liquidGlassEnabled"), liquidGlassEnabled)
        .set(QStringLiteral("automaticUpdatesEnabled"), automaticUpdatesEnabled)
        .setOptional(QStringLiteral("customAccountImageData"), customAccountImageData)
        .setOptional(QStringLiteral("behaviorMode"), behaviorMode)
        .setOptional(QStringLiteral("minimizeAfterCycle"), minimizeAfterCycle)
        .setOptional(QStringLiteral("systemNotificationsEnabled"), systemNotificationsEnabled)
        .set(QStringLiteral("updatedAt"), updatedAt)
        .set(QStringLiteral("sourceDeviceID"), sourceDeviceID)
        .set(QStringLiteral("schemaVersion"), schemaVersion);
    return w.object();
}

NimbrelCloudSettingsPayload NimbrelCloudSettingsPayload::fromJson(const json::Reader& r) {
    NimbrelCloudSettingsPayload v;
    v.syncEnabled = r.boolean(QStringLiteral("syncEnabled"));
    v.liquidGlassEnabled = r.boolean(QStringLiteral("liquidGlassEnabled"));
    v.automaticUpdatesEnabled = r.boolean(QStringLiteral("automaticUpdatesEnabled"));
    v.customAccountImageData = r.optionalData(QStringLiteral("customAccountImageData"));
    v.behaviorMode = r.optionalString(QStringLiteral("behaviorMode"));
    v.minimizeAfterCycle = r.optionalBoolean(QStringLiteral("minimizeAfterCycle"));
    v.systemNotificationsEnabled = r.optionalBoolean(QStringLiteral("systemNotificationsEnabled"));
    v.updatedAt = r.date(QStringLiteral("updatedAt"));
    v.sourceDeviceID = r.string(QStringLiteral("sourceDeviceID"));
    v.schemaVersion = r.integer(QStringLiteral("schemaVersion"));
    return v;
}

QJsonObject NimbrelCloudBlacklistPayload::toJson() const {
    return json::Writer(kForm)
        .set(QStringLiteral("blacklistedAppKeys"), blacklistedAppKeys)
        .set(QStringLiteral("updatedAt"), updatedAt)
        .set(QStringLiteral("sourceDeviceID"), sourceDeviceID)
        .set(QStringLiteral("schemaVersion"), schemaVersion)
        .object();
}

NimbrelCloudBlacklistPayload NimbrelCloudBlacklistPayload::fromJson(const json::Reader& r) {
    NimbrelCloudBlacklistPayload v;
    v.blacklistedAppKeys = r.stringList(QStringLiteral("blacklistedAppKeys"));
    v.updatedAt = r.date(QStringLiteral("updatedAt"));
    v.sourceDeviceID = r.string(QStringLiteral("sourceDeviceID"));
    v.schemaVersion = r.integer(QStringLiteral("schemaVersion"));
    return v;
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
    return json::Writer(kForm)
        .set(QStringLiteral("deviceID"), deviceID)
        .set(QStringLiteral("deviceName"), deviceName)
        .set(QStringLiteral("modelIdentifier"), modelIdentifier)
        .set(QStringLiteral("status"), status)
        .set(QStringLiteral("createdAt"), createdAt)
        .set(QStringLiteral("updatedAt"), updatedAt)
        .set(QStringLiteral("schemaVersion"), schemaVersion)
        .object();
}

NimbrelCloudDeviceRecord NimbrelCloudDeviceRecord::fromJson(const json::Reader& r) {
    NimbrelCloudDeviceRecord v;
    v.deviceID = r.string(QStringLiteral("deviceID"));
    v.deviceName = r.string(QStringLiteral("deviceName"));
    v.modelIdentifier = r.string(QStringLiteral("modelIdentifier"));
    v.status = r.string(QStringLiteral("status"));
    v.createdAt = r.date(QStringLiteral("createdAt"));
    v.updatedAt = r.date(QStringLiteral("updatedAt"));
    v.schemaVersion = r.integer(QStringLiteral("schemaVersion"));
    return v;
}

} // namespace nimbrel
