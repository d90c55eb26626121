#include "sync/CloudPayloadType.h"

#include "platform/TextServices.h"

#include <algorithm>
#include <array>
#include <string_view>

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

namespace {

// A pull names every listed record: one text made at once, written in place.
CloudRecordID namedRecord(std::string_view deleted, NimbrelCloudPayloadType type, const QString& objectID) {
    const std::string_view raw(json::EnumNames<NimbrelCloudPayloadType>::names[static_cast<size_t>(type)]);
    const QString id = sanitizedRecordName(objectID);
    QString name(qsizetype(deleted.size() + raw.size() + 1) + id.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(name.data());
    out = std::copy(deleted.begin(), deleted.end(), out);
    out = std::copy(raw.begin(), raw.end(), out);
    *out++ = u'_';
    std::copy_n(reinterpret_cast<const char16_t*>(id.constData()), id.size(), out);
    return {name};
}

} // namespace

CloudRecordID payloadRecordID(NimbrelCloudPayloadType type, const QString& objectID) {
    return namedRecord("", type, objectID);
}

CloudRecordID tombstoneRecordID(NimbrelCloudPayloadType type, const QString& objectID) {
    return namedRecord("deleted_", type, objectID);
}

QString sanitizedRecordName(const QString& id) {
    // Most ids (UUIDs) are plain ASCII letters, digits and hyphens already.
    static constexpr std::array<bool, 128> kPlain = [] {
        std::array<bool, 128> plain{};
        for (char c = 'a'; c <= 'z'; ++c)
            plain[size_t(c)] = true;
        for (char c = 'A'; c <= 'Z'; ++c)
            plain[size_t(c)] = true;
        for (char c = '0'; c <= '9'; ++c)
            plain[size_t(c)] = true;
        plain['-'] = plain['_'] = true;
        return plain;
    }();
    const char16_t* chars = reinterpret_cast<const char16_t*>(id.constData());
    const bool plain =
        std::all_of(chars, chars + id.size(), [](char16_t c) { return c < kPlain.size() && kPlain[c]; });
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
