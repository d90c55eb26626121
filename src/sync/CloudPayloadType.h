#pragma once

#include "platform/CloudDatabase.h"
#include "platform/Json.h"

#include <QString>

#include <array>
#include <optional>

namespace nimbrel {

// The kind of object a payload record or tombstone carries; the raw value is also its JSON
// coding and its word in record names.
enum class NimbrelCloudPayloadType { rule, session, blacklist, settings };

template <> struct json::EnumNames<NimbrelCloudPayloadType> {
    static constexpr std::array names{"rule", "session", "blacklist", "settings"};
};

inline constexpr std::array kAllCloudPayloadTypes{NimbrelCloudPayloadType::rule, NimbrelCloudPayloadType::session,
                                                  NimbrelCloudPayloadType::blacklist,
                                                  NimbrelCloudPayloadType::settings};

QString rawValue(NimbrelCloudPayloadType type);
// Exact, case-sensitive match of the four raw values.
std::optional<NimbrelCloudPayloadType> cloudPayloadTypeFromRaw(const QString& text);
// "NimbrelRule", "NimbrelSession", "NimbrelBlacklist", "NimbrelSettings".
QString recordTypeOf(NimbrelCloudPayloadType type);
// raw value + "_" + the sanitized object id.
CloudRecordID payloadRecordID(NimbrelCloudPayloadType type, const QString& objectID);
// "deleted_" + raw value + "_" + the sanitized object id.
CloudRecordID tombstoneRecordID(NimbrelCloudPayloadType type, const QString& objectID);

// Letters, marks, digits (any script), "-" and "_" stay; every other Unicode scalar becomes
// one "_", so the name has as many scalars as the id.
QString sanitizedRecordName(const QString& id);

namespace cloudnames {
inline const QString settingsRecord = QStringLiteral("settings_primary");
inline const QString blacklistRecord = QStringLiteral("blacklist_primary");
inline const QString deviceRegistry = QStringLiteral("device_registry");
inline const QString syncRegistry = QStringLiteral("sync_registry");
inline const QString settingsType = QStringLiteral("NimbrelSettings");
inline const QString blacklistType = QStringLiteral("NimbrelBlacklist");
inline const QString tombstoneType = QStringLiteral("NimbrelTombstone");
inline const QString deviceType = QStringLiteral("NimbrelDevice");
inline const QString registryType = QStringLiteral("NimbrelDeviceRegistry");
} // namespace cloudnames

} // namespace nimbrel
