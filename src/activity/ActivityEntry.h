#pragma once

#include "platform/Date.h"
#include "platform/Json.h"
#include "platform/Uuid.h"

#include <QString>

#include <array>
#include <optional>

namespace nimbrel {

// The kind of an activity entry; numbered 0 to 5 in this order.
enum class NimbrelActivityType { session, rule, blacklist, whitelist, error, info };

template <> struct json::EnumNames<NimbrelActivityType> {
    static constexpr std::array names{"session", "rule", "blacklist", "whitelist", "error", "info"};
};

// One logged event.
struct NimbrelActivityEntry {
    Uuid id;
    NimbrelActivityType type = NimbrelActivityType::info;
    QString title;
    QString message;
    Date date;

    // The history file's form: all five keys, dates in ISO 8601.
    QJsonObject toJson() const;
    static NimbrelActivityEntry fromJson(const json::Reader& reader);

    friend bool operator==(const NimbrelActivityEntry&, const NimbrelActivityEntry&) = default;
};

} // namespace nimbrel
