#pragma once

#include "model/EnumSet.h"
#include "platform/Json.h"
#include "platform/Uuid.h"

#include <QString>

#include <array>
#include <compare>
#include <cstdint>

// The small value types of a session: a time of day, a weekday, a wallpaper and its screen.
namespace nimbrel {

// Hour (0...23) and minute (0...59) of the day, ordered by minutes since midnight.
struct NimbrelSessionClockTime {
    std::int64_t hour = 0;
    std::int64_t minute = 0;

    // hour * 60 + minute, saturated instead of overflowing for stored values out of range.
    std::int64_t minutesSinceMidnight() const;

    friend bool operator==(const NimbrelSessionClockTime&, const NimbrelSessionClockTime&) = default;
    friend std::strong_ordering operator<=>(const NimbrelSessionClockTime& a, const NimbrelSessionClockTime& b) {
        return a.minutesSinceMidnight() <=> b.minutesSinceMidnight();
    }
};

// Sunday first, as the calendar numbers weekdays (1 = Sunday ... 7 = Saturday).
enum class NimbrelSessionWeekday { sunday, monday, tuesday, wednesday, thursday, friday, saturday };
using NimbrelSessionWeekdays = EnumSet<NimbrelSessionWeekday>;

// The calendar's weekday number: 1 = Sunday ... 7 = Saturday.
inline int weekdayNumber(NimbrelSessionWeekday day) {
    return static_cast<int>(day) + 1;
}
NimbrelSessionWeekdays allSessionWeekdays();

// Where a wallpaper goes: every screen, or the n-th screen of the system's list (from 0).
struct NimbrelSessionDisplayTarget {
    enum class Type { automatic, screenIndex };

    Type type = Type::automatic;
    std::int64_t index = 0; // read only with `screenIndex`

    static NimbrelSessionDisplayTarget automatic() { return {}; }
    static NimbrelSessionDisplayTarget screen(std::int64_t n) { return {Type::screenIndex, n}; }

    friend bool operator==(const NimbrelSessionDisplayTarget& a, const NimbrelSessionDisplayTarget& b) {
        return a.type == b.type && (a.type == Type::automatic || a.index == b.index);
    }
};

struct NimbrelSessionWallpaperSelection {
    Uuid id;
    QString displayName; // the file name shown
    QString path;        // the image file; may begin with "~"
    NimbrelSessionDisplayTarget displayTarget;

    friend bool operator==(const NimbrelSessionWallpaperSelection&, const NimbrelSessionWallpaperSelection&) = default;
};

} // namespace nimbrel

template <> struct nimbrel::json::EnumNames<nimbrel::NimbrelSessionWeekday> {
    static constexpr std::array names{"sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"};
};
template <> struct nimbrel::json::EnumNames<nimbrel::NimbrelSessionDisplayTarget::Type> {
    static constexpr std::array names{"automatic", "screenIndex"};
};
