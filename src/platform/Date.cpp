#include "platform/Date.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>

namespace nimbrel {

namespace {
// Days from 0001-01-01 to 2001-01-01 in the proleptic Gregorian calendar.
constexpr double kSecondsPerDay = 86400.0;
} // namespace

Date Date::distantPast() {
    static const Date value{double(QDate(1, 1, 1).daysTo(QDate(2001, 1, 1))) * -kSecondsPerDay};
    return value;
}

Date Date::distantFuture() {
    static const Date value{double(QDate(2001, 1, 1).daysTo(QDate(4001, 1, 1))) * kSecondsPerDay};
    return value;
}

QString iso8601String(Date date) {
    // Stored dates can be anything a file held; keep the text within four-digit years
    // (and a number that is no number at the reference date) rather than overflow.
    static const double earliest = double(QDate(2001, 1, 1).daysTo(QDate(1, 1, 1))) * kSecondsPerDay;
    static const double latest = double(QDate(2001, 1, 1).daysTo(QDate(10000, 1, 1))) * kSecondsPerDay - 1;
    const double seconds =
        std::isnan(date.secondsSinceReferenceDate) ? 0.0 : std::clamp(date.secondsSinceReferenceDate, earliest, latest);
    const double whole = std::floor(seconds);
    const qint64 days = static_cast<qint64>(std::floor(whole / kSecondsPerDay));
    const qint64 secondsOfDay = static_cast<qint64>(whole - double(days) * kSecondsPerDay);
    const QDate day = QDate(2001, 1, 1).addDays(days);
    const QTime time = QTime(0, 0).addSecs(static_cast<int>(secondsOfDay));
    return QStringLiteral("%1-%2-%3T%4:%5:%6Z")
        .arg(day.year(), 4, 10, QLatin1Char('0'))
        .arg(day.month(), 2, 10, QLatin1Char('0'))
        .arg(day.day(), 2, 10, QLatin1Char('0'))
        .arg(time.hour(), 2, 10, QLatin1Char('0'))
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'));
}

// "YYYY-MM-DDTHH:MM:SS", a fraction of a second (dropped) and the zone, "Z" or an offset such
// as "+01:00", with ASCII digits, read by hand: stored rule lists hold thousands of dates and a
// pattern match per date dominated their decoding. Lower-case "t" and "z" are the same letters.
std::optional<Date> parseISO8601(const QString& text) {
    constexpr char16_t pattern[] = u"dddd-dd-ddTdd:dd:dd";
    constexpr qsizetype stemLength = 19;
    const qsizetype size = text.size();
    const auto isDigit = [&](qsizetype i) { return text[i].unicode() >= u'0' && text[i].unicode() <= u'9'; };
    if (size <= stemLength) return std::nullopt;
    for (qsizetype i = 0; i < stemLength; ++i) {
        const char16_t c = text[i].unicode();
        const bool matches = pattern[i] == u'd'   ? isDigit(i)
                             : pattern[i] == u'T' ? (c == u'T' || c == u't')
                                                  : c == pattern[i];
        if (!matches) return std::nullopt;
    }
    const auto number = [&](qsizetype from, qsizetype count) {
        int value = 0;
        for (qsizetype i = from; i < from + count; ++i)
            value = value * 10 + (text[i].unicode() - u'0');
        return value;
    };
    qsizetype at = stemLength;
    if (text[at] == QLatin1Char('.')) {
        const qsizetype fractionStart = ++at;
        while (at < size && isDigit(at))
            ++at;
        if (at == fractionStart || at == size) return std::nullopt;
    }
    int offsetSeconds = 0;
    const char16_t zone = text[at].unicode();
    if (zone == u'Z' || zone == u'z') {
        if (at + 1 != size) return std::nullopt;
    } else if (zone == u'+' || zone == u'-') {
        if (size - at != 6 || !isDigit(at + 1) || !isDigit(at + 2) || text[at + 3] != QLatin1Char(':') ||
            !isDigit(at + 4) || !isDigit(at + 5))
            return std::nullopt;
        const int offsetHours = number(at + 1, 2);
        const int offsetMinutes = number(at + 4, 2);
        if (offsetHours > 23 || offsetMinutes > 59) return std::nullopt;
        offsetSeconds = (zone == u'+' ? 1 : -1) * (offsetHours * 3600 + offsetMinutes * 60);
    } else {
        return std::nullopt;
    }
    const QDate day(number(0, 4), number(5, 2), number(8, 2));
    const int hour = number(11, 2);
    const int minute = number(14, 2);
    const int second = number(17, 2);
    if (!day.isValid() || hour > 23 || minute > 59 || second > 59) return std::nullopt;
    const double days = double(QDate(2001, 1, 1).daysTo(day));
    // The clock time is the offset's local time: the moment it names lies that far from UTC.
    return Date{days * kSecondsPerDay + hour * 3600.0 + minute * 60.0 + second - offsetSeconds};
}

} // namespace nimbrel
