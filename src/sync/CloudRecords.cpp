#include "sync/CloudPayloads.h"

#include "sync/CloudPayloadFields.h"

// How each value becomes its record and is read back.

namespace nimbrel {

using namespace cloudfields;

void NimbrelCloudPayloadRecord::writeTo(CloudRecord& record) const {
    cloudfields::writeTo(record, *this, payloadRecordFields());
}

std::optional<NimbrelCloudPayloadRecord> NimbrelCloudPayloadRecord::fromRecord(const CloudRecord& record) {
    auto read = cloudfields::fromRecord(record, payloadRecordFields());
    if (read) read->recordChangeTag = record.recordChangeTag();
    return read;
}

CloudRecord NimbrelCloudTombstone::makeRecord() const {
    CloudRecord record(cloudnames::tombstoneType, tombstoneRecordID(payloadType, objectID));
    cloudfields::writeTo(record, *this, tombstoneFields());
    return record;
}

std::optional<NimbrelCloudTombstone> NimbrelCloudTombstone::fromRecord(const CloudRecord& record) {
    return cloudfields::fromRecord(record, tombstoneFields());
}

CloudRecord NimbrelCloudSettingsPayload::makeRecord() const {
    CloudRecord record(cloudnames::settingsType, {cloudnames::settingsRecord});
    cloudfields::writeTo(record, *this, settingsFields());
    return record;
}

std::optional<NimbrelCloudSettingsPayload> NimbrelCloudSettingsPayload::fromRecord(const CloudRecord& record) {
    return cloudfields::fromRecord(record, settingsFields());
}

CloudResult<CloudRecord> NimbrelCloudBlacklistPayload::makeRecord() const {
    CloudResult<QByteArray> json = encoded();
    if (!json.ok()) return json.error();
    CloudRecord record(cloudnames::blacklistType, {cloudnames::blacklistRecord});
    record.set(kPayload, json.value());
    record.set(kPayloadType, rawValue(NimbrelCloudPayloadType::blacklist));
    cloudfields::writeTo(record, *this, blacklistFields());
    return record;
}

std::optional<NimbrelCloudBlacklistPayload> NimbrelCloudBlacklistPayload::fromRecord(const CloudRecord& record) {
    auto json = record.bytes(kPayload);
    auto read = json ? decode(*json) : std::nullopt;
    if (read) read->recordChangeTag = record.recordChangeTag();
    return read;
}

CloudRecordID NimbrelCloudDeviceRecord::recordID(const QString& deviceID) {
    return {QStringLiteral("device_") + sanitizedRecordName(deviceID)};
}

void NimbrelCloudDeviceRecord::writeTo(CloudRecord& record) const {
    cloudfields::writeTo(record, *this, deviceFields());
}

std::optional<NimbrelCloudDeviceRecord> NimbrelCloudDeviceRecord::fromRecord(const CloudRecord& record) {
    return cloudfields::fromRecord(record, deviceFields());
}

} // namespace nimbrel
