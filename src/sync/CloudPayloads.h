#pragma once

#include "platform/Date.h"
#include "platform/Json.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace nimbrel {

// The kind of object a payload record or tombstone carries.
enum class NimbrelCloudPayloadType { rule, session, blacklist, settings };

template <> struct json::EnumNames<NimbrelCloudPayloadType> {
    static constexpr std::array names{"rule", "session", "blacklist", "settings"};
};

QString rawValue(NimbrelCloudPayloadType type);
// Exact, case-sensitive match of the four raw values.
std::optional<NimbrelCloudPayloadType> cloudPayloadTypeFromRaw(const QString& text);

inline const QString kUnknownDeviceID = QStringLiteral("unknown-device");

// The cloud JSON coding: ISO 8601 dates to the second, sorted keys, compact output,
// "/" escaped and bytes as Base64, so the same value always gives the same bytes.
QByteArray encodeCloudJSON(const QJsonObject& object);
QJsonObject decodeCloudJSON(const QByteArray& bytes); // throws json::DecodeError

// The coder a store uses for the object it sends as a payload: objects are written in
// `dateForm` and turned into bytes by encodeCloudJSON.
struct CloudJSONEncoder {
    json::DateForm dateForm = json::DateForm::ISO8601;
    QByteArray encode(const QJsonObject& object) const { return encodeCloudJSON(object); }
};

// One rule or session as it travels.
struct NimbrelCloudPayloadRecord {
    QString objectID;
    NimbrelCloudPayloadType payloadType = NimbrelCloudPayloadType::rule;
    QByteArray payload; // the JSON of the one object, coded by encodeCloudJSON
    QString sourceDeviceID;
    Date createdAt;
    Date updatedAt;
    qint64 schemaVersion = 1;

    QJsonObject toJson() const;
    static NimbrelCloudPayloadRecord fromJson(const json::Reader& reader);
    // ISO 8601 dates and sorted keys: how a store codes the object it puts in `payload`.
    static CloudJSONEncoder makeJSONEncoder() { return {}; }

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

    friend bool operator==(const NimbrelCloudTombstone&, const NimbrelCloudTombstone&) = default;
};

// The synchronised settings; the four optional fields are left out of the JSON when absent.
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

    friend bool operator==(const NimbrelCloudSettingsPayload&, const NimbrelCloudSettingsPayload&) = default;
};

// The whole blacklist; all four keys are required when read.
struct NimbrelCloudBlacklistPayload {
    QStringList blacklistedAppKeys;
    Date updatedAt;
    QString sourceDeviceID;
    qint64 schemaVersion = 1;

    QJsonObject toJson() const;
    static NimbrelCloudBlacklistPayload fromJson(const json::Reader& reader);
    // The bytes of the blacklist record's "payload" field, and back (nullopt when they do not decode).
    QByteArray encoded() const { return encodeCloudJSON(toJson()); }
    static std::optional<NimbrelCloudBlacklistPayload> decode(const QByteArray& bytes);

    friend bool operator==(const NimbrelCloudBlacklistPayload&, const NimbrelCloudBlacklistPayload&) = default;
};

} // namespace nimbrel
