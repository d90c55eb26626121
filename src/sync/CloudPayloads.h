#pragma once

#include "platform/CloudDatabase.h"
#include "platform/Date.h"
#include "platform/Json.h"
#include "sync/CloudJSON.h"
#include "sync/CloudPayloadType.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace nimbrel {

// The values that the stores hand to the sync manager and get back, and the records they
// become. Each has keyed JSON coding whose keys are its field names; each record reader
// yields nothing for a record that lacks a required field or holds another kind.

inline const QString kUnknownDeviceID = QStringLiteral("unknown-device");

// One rule or session as it travels.
struct NimbrelCloudPayloadRecord {
    QString objectID;
    NimbrelCloudPayloadType payloadType = NimbrelCloudPayloadType::rule;
    QByteArray payload; // the JSON of the one object, written by the cloud JSON encoder
    QString sourceDeviceID;
    Date createdAt;
    Date updatedAt;
    qint64 schemaVersion = 1;
    // Not one of the fields: the server's change tag of the record it was read from (empty for
    // one made here), by which a pull knows a record it has merged before.
    QString recordChangeTag = {};

    QJsonObject toJson() const;
    static NimbrelCloudPayloadRecord fromJson(const json::Reader& reader);
    static CloudJSONEncoder makeJSONEncoder() { return {}; }

    // The seven fields, on a record made with the type's record type and payloadRecordID().
    void writeTo(CloudRecord& record) const;
    static std::optional<NimbrelCloudPayloadRecord> fromRecord(const CloudRecord& record);

    friend bool operator==(const NimbrelCloudPayloadRecord&, const NimbrelCloudPayloadRecord&) = default;
};

// The record that an object was deleted.
struct NimbrelCloudTombstone {
    QString objectID;
    NimbrelCloudPayloadType payloadType = NimbrelCloudPayloadType::rule;
    QString sourceDeviceID;
    Date deletedAt;
    qint64 schemaVersion = 1;

    QJsonObject toJson() const;
    static NimbrelCloudTombstone fromJson(const json::Reader& reader);

    CloudRecord makeRecord() const;
    static std::optional<NimbrelCloudTombstone> fromRecord(const CloudRecord& record);

    friend bool operator==(const NimbrelCloudTombstone&, const NimbrelCloudTombstone&) = default;
};

// The synchronised settings; the four optional fields are left out when absent.
struct NimbrelCloudSettingsPayload {
    bool syncEnabled = true;
    bool liquidGlassEnabled = true;
    bool automaticUpdatesEnabled = true;
    std::optional<QByteArray> customAccountImageData;
    std::optional<QString> behaviorMode;
    std::optional<bool> minimizeAfterCycle;
    std::optional<bool> systemNotificationsEnabled;
    Date updatedAt;
    QString sourceDeviceID;
    qint64 schemaVersion = 1;

    QJsonObject toJson() const;
    static NimbrelCloudSettingsPayload fromJson(const json::Reader& reader);

    // "settings_primary" with plain fields. An absent optional field is marked removed, so a
    // save merged onto the server's copy removes it there too (a removed picture stays removed).
    CloudRecord makeRecord() const;
    // Six required fields (three flags, a date, a text, an integer); optional ones of another
    // kind read as absent.
    static std::optional<NimbrelCloudSettingsPayload> fromRecord(const CloudRecord& record);

    friend bool operator==(const NimbrelCloudSettingsPayload&, const NimbrelCloudSettingsPayload&) = default;
};

// The whole blacklist; the only value whose JSON is stored (the blacklist record's "payload").
struct NimbrelCloudBlacklistPayload {
    QStringList blacklistedAppKeys;
    Date updatedAt;
    QString sourceDeviceID;
    qint64 schemaVersion = 1;
    // Not one of the fields: the server's change tag of the record it was read from (empty for
    // one made here), by which a pull knows a copy this Mac saved.
    QString recordChangeTag = {};

    QJsonObject toJson() const;
    static NimbrelCloudBlacklistPayload fromJson(const json::Reader& reader);
    // Its JSON under the cloud encoder; an error for a date that has no ISO 8601 form.
    CloudResult<QByteArray> encoded() const;
    // nullopt when the bytes do not decode (all four keys required).
    static std::optional<NimbrelCloudBlacklistPayload> decode(const QByteArray& bytes);

    // "blacklist_primary" carrying the JSON; an error when it cannot be encoded.
    CloudResult<CloudRecord> makeRecord() const;
    static std::optional<NimbrelCloudBlacklistPayload> fromRecord(const CloudRecord& record);

    friend bool operator==(const NimbrelCloudBlacklistPayload&, const NimbrelCloudBlacklistPayload&) = default;
};

// One Mac as the device registry lists it.
struct NimbrelCloudDeviceRecord {
    QString deviceID;
    QString deviceName;
    QString modelIdentifier;
    QString status;
    Date createdAt;
    Date updatedAt;
    qint64 schemaVersion = 1;

    QJsonObject toJson() const;
    static NimbrelCloudDeviceRecord fromJson(const json::Reader& reader);

    static CloudRecordID recordID(const QString& deviceID);
    void writeTo(CloudRecord& record) const;
    static std::optional<NimbrelCloudDeviceRecord> fromRecord(const CloudRecord& record);

    friend bool operator==(const NimbrelCloudDeviceRecord&, const NimbrelCloudDeviceRecord&) = default;
};

// The domain of errors that come from building a record rather than from the cloud.
inline const QString kCloudPayloadErrorDomain = QStringLiteral("NimbrelCloudPayload");

} // namespace nimbrel
