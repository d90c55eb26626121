#include "sync/CloudPayloadType.h"

#include "platform/TextServices.h"

#include <algorithm>

namespace nimbrel {

QString rawValue(NimbrelCloudPayloadType type) {
    return json::enumName(type);
}

std::optional<NimbrelCloudPayloadType> cloudPayloadTypeFromRaw(const QString& text) {
    return json::enumFromName<NimbrelCloudPayloadType>(text);
}

QString recordTypeOf(NimbrelCloudPayloadType type) {
    switch (type) {
    case NimbrelCloudPayloadType::rule:
        return QStringLiteral("NimbrelRule");
    case NimbrelCloudPayloadType::session:
        return QStringLiteral("NimbrelSession");
    case NimbrelCloudPayloadType::blacklist:
        return cloudnames::blacklistType;
    case NimbrelCloudPayloadType::settings:
        return cloudnames::settingsType;
    }
    return {};
}

CloudRecordID payloadRecordID(NimbrelCloudPayloadType type, const QString& objectID) {
    return {rawValue(type) + QLatin1Char('_') + sanitizedRecordName(objectID)};
}

CloudRecordID tombstoneRecordID(NimbrelCloudPayloadType type, const QString& objectID) {
    return {QStringLiteral("deleted_") + rawValue(type) + QLatin1Char('_') + sanitizedRecordName(objectID)};
}

QString sanitizedRecordName(const QString& id) {
    // Most ids (UUIDs) are plain ASCII letters, digits and hyphens already.
    const bool plain = std::all_of(id.begin(), id.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' ||
               c == u'_';
    });
    if (plain) return id;
    QString out;
    out.reserve(id.size());
    for (char32_t scalar : id.toUcs4()) {
        if (scalar == U'-' || scalar == U'_' || isAlphanumeric(scalar))
            out.append(QString::fromUcs4(&scalar, 1));
        else
            out.append(QLatin1Char('_'));
    }
    return out;
}

} // namespace nimbrel
