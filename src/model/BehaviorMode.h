#pragma once

#include "platform/Json.h"

#include <array>
#include <optional>

namespace nimbrel {

// What a tap on a Dock tile does by default.
enum class NimbrelBehaviorMode { automatic, restore, cycling, disabled };

template <> struct json::EnumNames<NimbrelBehaviorMode> {
    static constexpr std::array names{"automatic", "restore", "cycling", "disabled"};
};

// Exactly the four raw values, case-sensitive.
inline std::optional<NimbrelBehaviorMode> behaviorModeFromRaw(const QString& text) {
    return json::enumFromName<NimbrelBehaviorMode>(text);
}
inline QString rawValue(NimbrelBehaviorMode mode) {
    return json::enumName(mode);
}

} // namespace nimbrel
