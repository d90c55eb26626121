#pragma once

#include "sync/CloudFieldList.h"
#include "sync/CloudPayloads.h"

// The fields of each cloud value, in the order the JSON readers take them (the first missing
// one names the error).
namespace nimbrel::cloudfields {

inline const QString kObjectID = QStringLiteral("objectID");
inline const QString kPayloadType = QStringLiteral("payloadType");
inline const QString kPayload = QStringLiteral("payload");
inline const QString kSourceDeviceID = QStringLiteral("sourceDeviceID");
inline const QString kCreatedAt = QStringLiteral("createdAt");
inline const QString kUpdatedAt = QStringLiteral("updatedAt");
inline const QString kDeletedAt = QStringLiteral("deletedAt");
inline const QString kSchemaVersion = QStringLiteral("schemaVersion");

inline Fields<NimbrelCloudPayloadRecord> payloadRecordFields() {
    using V = NimbrelCloudPayloadRecord;
    static const Field<V> fields[] = {
        {kObjectID, &V::objectID},
        {kPayloadType, &V::payloadType},
        {kPayload, &V::payload},
        {kSourceDeviceID, &V::sourceDeviceID},
        {kCreatedAt, &V::createdAt},
        {kUpdatedAt, &V::updatedAt},
        {kSchemaVersion, &V::schemaVersion},
    };
    return fields;
}

inline Fields<NimbrelCloudTombstone> tombstoneFields() {
    using V = NimbrelCloudTombstone;
    static const Field<V> fields[] = {
        {kObjectID, &V::objectID},   {kPayloadType, &V::payloadType},     {kSourceDeviceID, &V::sourceDeviceID},
        {kDeletedAt, &V::deletedAt}, {kSchemaVersion, &V::schemaVersion},
    };
    return fields;
}

inline Fields<NimbrelCloudSettingsPayload> settingsFields() {
    using V = NimbrelCloudSettingsPayload;
    static const Field<V> fields[] = {
        {QStringLiteral("syncEnabled"), &V::syncEnabled},
        {QStringLiteral("liquidGlassEnabled"), &V::liquidGlassEnabled},
        {QStringLiteral("automaticUpdatesEnabled"), &V::automaticUpdatesEnabled},
        {QStringLiteral("customAccountImageData"), &V::customAccountImageData},
        {QStringLiteral("behaviorMode"), &V::behaviorMode},
        {QStringLiteral("minimizeAfterCycle"), &V::minimizeAfterCycle},
        {QStringLiteral("systemNotificationsEnabled"), &V::systemNotificationsEnabled},
        {kUpdatedAt, &V::updatedAt},
        {kSourceDeviceID, &V::sourceDeviceID},
        {kSchemaVersion, &V::schemaVersion},
    };
    return fields;
}

// The record carries the whole JSON under "payload"; the keys travel only there.
inline Fields<NimbrelCloudBlacklistPayload> blacklistFields() {
    using V = NimbrelCloudBlacklistPayload;
    static const Field<V> fields[] = {
        {QStringLiteral("blacklistedAppKeys"), &V::blacklistedAppKeys, Coding::jsonOnly},
        {kUpdatedAt, &V::updatedAt},
        {kSourceDeviceID, &V::sourceDeviceID},
        {kSchemaVersion, &V::schemaVersion},
    };
    return fields;
}

inline Fields<NimbrelCloudDeviceRecord> deviceFields() {
    using V = NimbrelCloudDeviceRecord;
    static const Field<V> fields[] = {
        {QStringLiteral("deviceID"), &V::deviceID},
        {QStringLiteral("deviceName"), &V::deviceName},
        {QStringLiteral("modelIdentifier"), &V::modelIdentifier},
        {QStringLiteral("status"), &V::status},
        {kCreatedAt, &V::createdAt},
        {kUpdatedAt, &V::updatedAt},
        {kSchemaVersion, &V::schemaVersion},
    };
    return fields;
}

} // namespace nimbrel::cloudfields
