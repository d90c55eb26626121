#pragma once

#include <QString>
#include <QTimeZone>
#include <compare>
#include <optional>

namespace nimbrel {

// A moment in time: seconds since 2001-01-01 00:00:00 UTC. A double so that the
// distant past and the distant future (year 4001) fit, as stored rules expect.
struct Date {
    double secondsSinceReferenceDate = 0;

    static constexpr double kUnixOffset = 978307200.0; // 1970 -> 2001

    static Date fromUnix(double secondsSince1970) { return Date{secondsSince1970 - kUnixOffset}; }
    double unixSeconds() const { return secondsSinceReferenceDate + kUnixOffset; }

    static Date distantPast();   // 0001-01-01 00:00:00 UTC
    static Date distantFuture(); // 4001-01-01 00:00:00 UTC

    Date addingSeconds(double seconds) const { return Date{secondsSinceReferenceDate + seconds}; }
    double secondsSince(Date other) const { return secondsSinceReferenceDate - other.secondsSinceReferenceDate; }

    auto operator<=>(const Date&) const = default;
};

// ISO 8601 in UTC to the second with the suffix "Z": "2026-12-07T08:00:00Z".
QString iso8601String(Date date);
// Reads internet date-time text: the form above, also with a UTC offset ("+01:00", read as the
// moment it names), a fraction of a second (dropped) or lower-case "t" and "z"; anything else
// (no seconds, no zone, "+0100", a leap second) is nullopt.
std::optional<Date> parseISO8601(const QString& text);

} // namespace nimbrel
