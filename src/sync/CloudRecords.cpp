#include "sync/CloudPayloads.h"

// How each value becomes its record and is read back.

namespace nimbrel {

namespace {

const QString kObjectID = QStringLiteral("objectID");
const QString kPayloadType = QStringLiteral("payloadType");
const QString kPayload = QStringLiteral("payload");
const QString kSourceDeviceID = QStringLiteral("sourceDeviceID");
const QString kCreatedAt = QStringLiteral("createdAt");
const QString kUpdatedAt = QStringLiteral("updatedAt");
const QString kDeletedAt = QStringLiteral("deletedAt");
const QString kSchemaVersion = QStringLiteral("schemaVersion");

std::optional<NimbrelCloudPayloadType> readPayloadType(const CloudRecord& record) {
    const auto text = record.text(kPayloadType);
    return text ? cloudPayloadTypeFromRaw(*text) : std::nullopt;
}

// The optional settings fields with their kinds, in the order they are written.
void setOrRemove(CloudRecord& record, const QString& key, const std::optional<CloudValue>& value) {
    if (value)
        record.set(key, *value);
    else
        record.remove(key);
}

template <typename T> std::optional<CloudValue> asValue(const std::optional<T>& v) {
    return v ? std::optional<CloudValue>(*v) : std::nullopt;
}

} // namespace

void NimbrelCloudPayloadRecord::writeTo(CloudRecord& record) const {
    record.set(kObjectID, objectID);
    record.set(kPayloadType, rawValue(payloadType));
    record.set(kPayload, payload);
    record.set(kSourceDeviceID, sourceDeviceID);
    record.set(kCreatedAt, createdAt);
    record.set(kUpdatedAt, updatedAt);
    record.set(kSchemaVersion, schemaVersion);
}

std::optional<NimbrelCloudPayloadRecord> NimbrelCloudPayloadRecord::fromRecord(const CloudRecord& record) {
    auto objectID = record.text(kObjectID);
    auto type = readPayloadType(record);
    auto payload = record.bytes(kPayload);
    auto source = record.text(kSourceDeviceID);
    auto created = record.date(kCreatedAt);
    auto updated = record.date(kUpdatedAt);
    auto version = record.integer(kSchemaVersion);
    if (!objectID || !type || !payload || !source || !created || !updated || !version) return std::nullopt;
    return NimbrelCloudPayloadRecord{*objectID, *type, *payload, *source, *created, *updated, *version};
}

CloudRecord NimbrelCloudTombstone::makeRecord() const {
    CloudRecord record(cloudnames::tombstoneType, tombstoneRecordID(payloadType, objectID));
    record.set(kObjectID, objectID);
    record.set(kPayloadType, rawValue(payloadType));
    record.set(kSourceDeviceID, sourceDeviceID);
    record.set(kDeletedAt, deletedAt);
    record.set(kSchemaVersion, schemaVersion);
    return record;
}

std::optional<NimbrelCloudTombstone> NimbrelCloudTombstone::fromRecord(const CloudRecord& record) {
    auto objectID = record.text(kObjectID);
    auto type = readPayloadType(record);
    auto source = record.text(kSourceDeviceID);
    auto deleted = record.date(kDeletedAt);
    auto version = record.integer(kSchemaVersion);
    if (!objectID || !type || !source || !deleted || !version) return std::nullopt;
    return NimbrelCloudTombstone{*objectID, *type, *source, *deleted, *version};
}

CloudRecord NimbrelCloudSettingsPayload::makeRecord() const {
    CloudRecord record(cloudnames::settingsType, {cloudnames::settingsRecord});
    record.set(QStringLiteral("syncEnabled"), syncEnabled);
    record.set(QStringLiteral("liquidGlassEnabled"), liquidGlassEnabled);
    record.set(QStringLiteral("automaticUpdatesEnabled"), automaticUpdatesEnabled);
    setOrRemove(record, QStringLiteral("customAccountImageData"), asValue(customAccountImageData));
    setOrRemove(record, QStringLiteral("behaviorMode"), asValue(behaviorMode));
    setOrRemove(record, QStringLiteral("systemNotificationsEnabled"), asValue(systemNotificationsEnabled));
    setOrRemove(record, QStringLiteral("minimizeAfterCycle"), asValue(minimizeAfterCycle));
    record.set(kUpdatedAt, updatedAt);
    record.set(kSourceDeviceID, sourceDeviceID);
    record.set(kSchemaVersion, schemaVersion);
    return record;
}

std::optional<NimbrelCloudSettingsPayload> NimbrelCloudSettingsPayload::fromRecord(const CloudRecord& record) {
    auto sync = record.flag(QStringLiteral("syncEnabled"));
    auto glass = record.flag(QStringLiteral("liquidGlassEnabled"));
    auto updates = record.flag(QStringLiteral("automaticUpdatesEnabled"));
    auto updated = record.date(kUpdatedAt);
    auto source = record.text(kSourceDeviceID);
    auto version = record.integer(kSchemaVersion);
    if (!sync || !glass || !updates || !updated || !source || !version) return std::nullopt;
    NimbrelCloudSettingsPayload p;
    p.syncEnabled = *sync;
    p.liquidGlassEnabled = *glass;
    p.automaticUpdatesEnabled = *updates;
    p.customAccountImageData = record.bytes(QStringLiteral("customAccountImageData"));
    p.behaviorMode = record.text(QStringLiteral("behaviorMode"));
    p.minimizeAfterCycle = record.flag(QStringLiteral("minimizeAfterCycle"));
    p.systemNotificationsEnabled = record.flag(QStringLiteral("systemNotificationsEnabled"));
    p.updatedAt = *updated;
    p.sourceDeviceID = *source;
    p.schemaVersion = *version;
    return p;
}

CloudResult<CloudRecord> NimbrelCloudBlacklistPayload::makeRecord() const {
    CloudResult<QByteArray> json = encoded();
    if (!json.ok()) return json.error();
    CloudRecord record(cloudnames::blacklistType, {cloudnames::blacklistRecord});
    record.set(kPayload, json.value());
    record.set(kPayloadType, rawValue(NimbrelCloudPayloadType::blacklist));
    record.set(kUpdatedAt, updatedAt);
    record.set(kSourceDeviceID, sourceDeviceID);
    record.set(kSchemaVersion, schemaVersion);
    return record;
}

std::optional<NimbrelCloudBlacklistPayload> NimbrelCloudBlacklistPayload::fromRecord(const CloudRecord& record) {
    auto json = record.bytes(kPayload);
    return json ? decode(*json) : std::nullopt;
}

CloudRecordID NimbrelCloudDeviceRecord::recordID(const QString& deviceID) {
    return {QStringLiteral("device_") + sanitizedRecordName(deviceID)};
}

void NimbrelCloudDeviceRecord::writeTo(CloudRecord& record) const {
    record.set(QStringLiteral("deviceID"), deviceID);
    record.set(QStringLiteral("deviceName"), deviceName);
    record.set(QStringLiteral("modelIdentifier"), modelIdentifier);
    record.set(QStringLiteral("status"), status);
    record.set(kCreatedAt, createdAt);
    record.set(kUpdatedAt, updatedAt);
    record.set(kSchemaVersion, schemaVersion);
}

std::optional<NimbrelCloudDeviceRecord> NimbrelCloudDeviceRecord::fromRecord(const CloudRecord& record) {
    auto id = record.text(QStringLiteral("deviceID"));
    auto name = record.text(QStringLiteral("deviceName"));
    auto model = record.text(QStringLiteral("modelIdentifier"));
    auto status = record.text(QStringLiteral("status"));
    auto created = record.date(kCreatedAt);
    auto updated = record.date(kUpdatedAt);
    auto version = record.integer(kSchemaVersion);
    if (!id || !name || !model || !status || !created || !updated || !version) return std::nullopt;
    return NimbrelCloudDeviceRecord{*id, *name, *model, *status, *created, *updated, *version};
}

} // namespace nimbrel
