#pragma once

#include "model/RuleEnums.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// The small value types that name an app, a folder, a time of day or a screen.
namespace nimbrel {

// An application named by a rule or an action.
struct NimbrelRuleAppTarget {
    QString displayName; // shown to the user; last resort for matching
    std::optional<QString> bundleIdentifier;
    std::optional<QString> path; // the app bundle's path; may begin with "~"

    friend bool operator==(const NimbrelRuleAppTarget&, const NimbrelRuleAppTarget&) = default;
};

struct NimbrelFolderTarget {
    QString displayName;
    QString path; // may begin with "~"

    friend bool operator==(const NimbrelFolderTarget&, const NimbrelFolderTarget&) = default;
};

// A time of day without date or zone. Stored values are not clamped: anything read
// from a file is kept as it stands, and the schedule check copes with it.
struct NimbrelClockTime {
    std::int64_t hour = 0;   // 0...23 when made by the editor
    std::int64_t minute = 0; // 0...59 when made by the editor

    // hour * 60 + minute, saturated to the 64-bit range instead of overflowing.
    std::int64_t minutesSinceMidnight() const;
    // The time in the current locale's short time style ("9:05 AM", "09:05").
    QString displayText() const;

    friend bool operator==(const NimbrelClockTime&, const NimbrelClockTime&) = default;
};

// On which screen a window is placed.
struct NimbrelDisplayTarget {
    enum class Kind { automatic, main, external };

    Kind kind = Kind::automatic;
    std::optional<std::int64_t> externalIndex; // 0-based into the external screens, with kind external

    // "automatic", "main", "external-<n>" (n = 0 without an index).
    QString id() const;
    // "Automatic", "Main Monitor", "External Monitor <n+1>" or "External Monitor".
    QString displayName() const;

    friend bool operator==(const NimbrelDisplayTarget&, const NimbrelDisplayTarget&) = default;
};

size_t qHash(const NimbrelRuleAppTarget& v, size_t seed = 0) noexcept;
size_t qHash(const NimbrelFolderTarget& v, size_t seed = 0) noexcept;
size_t qHash(const NimbrelClockTime& v, size_t seed = 0) noexcept;
size_t qHash(const NimbrelDisplayTarget& v, size_t seed = 0) noexcept;

} // namespace nimbrel

template <> struct nimbrel::json::EnumNames<nimbrel::NimbrelDisplayTarget::Kind> {
    static constexpr std::array names{"automatic", "main", "external"};
};

template <> struct std::hash<nimbrel::NimbrelRuleAppTarget> {
    size_t operator()(const nimbrel::NimbrelRuleAppTarget& v) const noexcept { return nimbrel::qHash(v); }
};
template <> struct std::hash<nimbrel::NimbrelFolderTarget> {
    size_t operator()(const nimbrel::NimbrelFolderTarget& v) const noexcept { return nimbrel::qHash(v); }
};
template <> struct std::hash<nimbrel::NimbrelClockTime> {
    size_t operator()(const nimbrel::NimbrelClockTime& v) const noexcept { return nimbrel::qHash(v); }
};
template <> struct std::hash<nimbrel::NimbrelDisplayTarget> {
    size_t operator()(const nimbrel::NimbrelDisplayTarget& v) const noexcept { return nimbrel::qHash(v); }
};
