#include "platform/Calendar.h"
#include "platform/IcuText.h"

#include <QDateTime>
#include <QMutex>
#include <QMutexLocker>

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <utility>

namespace nimbrel {

namespace {

QMutex& settingsMutex() {
    static QMutex mutex;
    return mutex;
}
QByteArray& localeOverride() {
    static QByteArray name;
    return name;
}
QTimeZone& zoneOverride() {
    static QTimeZone zone;
    return zone;
}
// The system's zone as last asked, and when (by the monotonic clock, or a test's).
struct SystemZoneCheck {
    QTimeZone zone;
    std::chrono::steady_clock::time_point askedAt;
    MonotonicNow now;
};
SystemZoneCheck& systemZoneCheck() {
    static SystemZoneCheck check;
    return check;
}

// Milliseconds since 1970, kept within years 1 to 9999 (a stored date can be any number).
qint64 toMSecs(Date date) {
    constexpr double kEarliest = -62135596800000.0; // 0001-01-01
    constexpr double kLatest = 253402300799999.0;   // 9999-12-31 23:59:59.999
    const double ms = date.unixSeconds() * 1000.0;
    if (std::isnan(ms)) return static_cast<qint64>(Date{}.unixSeconds() * 1000.0);
    return static_cast<qint64>(std::floor(std::clamp(ms, kEarliest, kLatest)));
}
Date fromMSecs(qint64 msecs) {
    return Date::fromUnix(static_cast<double>(msecs) / 1000.0);
}

QDateTime inZone(Date date, const QTimeZone& zone) {
    return QDateTime::fromMSecsSinceEpoch(toMSecs(date), zone);
}

// The moment of a wall-clock time in `zone`. A time skipped by a daylight-saving change
// moves forward by the length of the gap (02:30 in a 02:00 -> 03:00 gap is 03:30); a time
// that occurs twice is its first occurrence.
std::optional<qint64> wallClockToMSecs(QDate day, QTime time, const QTimeZone& zone) {
    const qint64 asUtc = QDateTime(day, time, QTimeZone::utc()).toMSecsSinceEpoch();
    // The offset in force before the wall-clock time, and the one after it.
    const int before = zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(asUtc - 86400000, QTimeZone::utc()));
    const int after = zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(asUtc + 86400000, QTimeZone::utc()));
    std::optional<qint64> best;
    for (const int offset : {before, after}) {
        const qint64 candidate = asUtc - static_cast<qint64>(offset) * 1000;
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(candidate, zone);
        if (local.date() == day && local.time() == time && (!best || candidate < *best)) best = candidate;
    }
    if (best) return best;
    // In a gap neither offset reproduces the time: read it with the offset from before.
    const QDateTime check = QDateTime::fromMSecsSinceEpoch(asUtc - static_cast<qint64>(before) * 1000, zone);
    if (!check.isValid()) return std::nullopt;
    return check.toMSecsSinceEpoch();
}

// "de_DE.UTF-8@euro" -> "de_DE"; "C" and "POSIX" carry no language.
QByteArray localeFromEnvironment() {
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        QByteArray value = qgetenv(variable);
        if (value.isEmpty()) continue;
        const qsizetype cut = value.indexOf('.');
        if (cut >= 0) value.truncate(cut);
        const qsizetype at = value.indexOf('@');
        if (at >= 0) value.truncate(at);
        if (value.isEmpty() || value == "C" || value == "POSIX") return QByteArrayLiteral("en_US");
        return value;
    }
    return QByteArrayLiteral("en_US");
}

using icu_text::fromIcu;
using icu_text::toIcu;

// ICU knows the IANA names Qt uses; a fixed-offset Qt zone ("UTC+01:00") becomes a
// custom "GMT+01:00" zone for the offset it has at `date`.
std::unique_ptr<icu::TimeZone> icuZone(const QTimeZone& zone, Date date) {
    if (zone.isValid()) {
        std::unique_ptr<icu::TimeZone> tz(icu::TimeZone::createTimeZone(toIcu(QString::fromUtf8(zone.id()))));
        if (tz && *tz != icu::TimeZone::getUnknown()) return tz;
        const int offset = zone.offsetFromUtc(inZone(date, zone));
        const int minutes = std::abs(offset) / 60;
        const QString id = QStringLiteral("GMT%1%2:%3")
                               .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
        tz.reset(icu::TimeZone::createTimeZone(toIcu(id)));
        if (tz && *tz != icu::TimeZone::getUnknown()) return tz;
    }
    return std::unique_ptr<icu::TimeZone>(icu::TimeZone::getGMT()->clone());
}

icu::Locale icuLocale(const QByteArray& name) {
    return icu::Locale(name.isEmpty() ? currentLocaleName().constData() : name.constData());
}

icu::DateFormat::EStyle icuStyle(DateStyle style) {
    switch (style) {
    case DateStyle::None:
        return icu::DateFormat::kNone;
    case DateStyle::Short:
        return icu::DateFormat::kShort;
    case DateStyle::Medium:
        return icu::DateFormat::kMedium;
    case DateStyle::Long:
        return icu::DateFormat::kLong;
    case DateStyle::Full:
        return icu::DateFormat::kFull;
    }
    return icu::DateFormat::kNone;
}

QString plainSpaces(QString text) {
    text.replace(QChar(0x202F), QLatin1Char(' '));
    return text;
}

UDate toUDate(Date date) {
    return static_cast<UDate>(toMSecs(date));
}

} // namespace

QTimeZone currentTimeZone() {
    QMutexLocker lock(&settingsMutex());
    if (zoneOverride().isValid()) return zoneOverride();
    // Asking the system looks at three files' status (about 4.5 us), and taps, records and ticks
    // ask at every calculation: the answer is kept for a second, so a change of the system's zone
    // shows within one.
    SystemZoneCheck& check = systemZoneCheck();
    const auto now = check.now ? check.now() : std::chrono::steady_clock::now();
    if (!check.zone.isValid() || now - check.askedAt >= std::chrono::seconds(1)) {
        check.zone = QTimeZone::systemTimeZone();
        check.askedAt = now;
    }
    return check.zone;
}

MonotonicNow setZoneCheckClockForTesting(MonotonicNow now) {
    QMutexLocker lock(&settingsMutex());
    SystemZoneCheck& check = systemZoneCheck();
    check.zone = QTimeZone();
    return std::exchange(check.now, std::move(now));
}

bool sameLocalTimes(const QTimeZone& a, const QTimeZone& b, Date at) {
    if (a.id() != b.id()) return false;
    const QDateTime moment = QDateTime::fromMSecsSinceEpoch(toMSecs(at), QTimeZone::utc());
    return a.offsetFromUtc(moment) == b.offsetFromUtc(moment);
}

void setCurrentTimeZone(const QTimeZone& zone) {
    QMutexLocker lock(&settingsMutex());
    zoneOverride() = zone;
}

QByteArray currentLocaleName() {
    {
        QMutexLocker lock(&settingsMutex());
        if (!localeOverride().isEmpty()) return localeOverride();
    }
    return localeFromEnvironment();
}

void setCurrentLocaleName(const QByteArray& name) {
    QMutexLocker lock(&settingsMutex());
    localeOverride() = name;
}

// --- Calendar

Calendar::Calendar(QTimeZone zone) : zone_(zone.isValid() ? std::move(zone) : QTimeZone::utc()) {}

Calendar Calendar::current() {
    return Calendar(currentTimeZone());
}

DateComponents Calendar::components(Date date) const {
    const QDateTime local = inZone(date, zone_);
    const QDate day = local.date();
    const QTime time = local.time();
    DateComponents parts;
    parts.year = day.year();
    parts.month = day.month();
    parts.day = day.day();
    parts.weekday = day.dayOfWeek() % 7 + 1; // Qt: Monday 1 ... Sunday 7
    parts.hour = time.hour();
    parts.minute = time.minute();
    parts.second = time.second();
    return parts;
}

Date Calendar::startOfDay(Date date) const {
    return fromMSecs(inZone(date, zone_).date().startOfDay(zone_).toMSecsSinceEpoch());
}

Date Calendar::addingDays(Date date, int days) const {
    const qint64 msecs = toMSecs(date);
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(msecs, zone_);
    const auto moved = wallClockToMSecs(local.date().addDays(days), local.time(), zone_);
    if (!moved) return date.addingSeconds(days * 86400.0);
    // Keep the fraction of a millisecond the conversion dropped.
    const double fraction = date.unixSeconds() * 1000.0 - static_cast<double>(msecs);
    return Date::fromUnix((static_cast<double>(*moved) + fraction) / 1000.0);
}

std::optional<Date> Calendar::date(int year, int month, int day, int hour, int minute, int second) const {
    const QDate d(year, month, day);
    const QTime t(hour, minute, second);
    if (!d.isValid() || !t.isValid()) return std::nullopt;
    const auto msecs = wallClockToMSecs(d, t, zone_);
    if (!msecs) return std::nullopt;
    return fromMSecs(*msecs);
}

bool Calendar::isSameDay(Date a, Date b) const {
    return inZone(a, zone_).date() == inZone(b, zone_).date();
}

// --- DateFormatter

struct DateFormatter::Cache {
    QMutex mutex;
    QByteArray locale;
    std::unique_ptr<icu::DateFormat> format;
    // A named zone is the same for every date; a fixed-offset one is set for each date.
    bool zoneSet = false;
};

DateFormatter::DateFormatter(DateStyle dateStyle, DateStyle timeStyle, QByteArray localeName, QTimeZone zone)
    : dateStyle_(dateStyle), timeStyle_(timeStyle), localeName_(std::move(localeName)), zone_(std::move(zone)),
      cache_(std::make_shared<Cache>()) {}

QString DateFormatter::string(Date date) const {
    if (dateStyle_ == DateStyle::None && timeStyle_ == DateStyle::None) return {};
    const QByteArray locale = localeName_.isEmpty() ? currentLocaleName() : localeName_;
    QMutexLocker lock(&cache_->mutex);
    if (!cache_->format || cache_->locale != locale) {
        cache_->format.reset(
            icu::DateFormat::createDateTimeInstance(icuStyle(dateStyle_), icuStyle(timeStyle_), icuLocale(locale)));
        cache_->locale = locale;
        cache_->zoneSet = false;
    }
    if (!cache_->format) return {};
    if (!cache_->zoneSet) {
        std::unique_ptr<icu::TimeZone> tz = icuZone(zone_, date);
        std::unique_ptr<icu::TimeZone> named(
            zone_.isValid() ? icu::TimeZone::createTimeZone(toIcu(QString::fromUtf8(zone_.id()))) : nullptr);
        cache_->zoneSet = named && *named != icu::TimeZone::getUnknown();
        cache_->format->adoptTimeZone(tz.release());
    }
    icu::UnicodeString out;
    cache_->format->format(toUDate(date), out);
    return plainSpaces(fromIcu(out));
}

QString DateFormatter::formatPattern(Date date, const QString& pattern, const QByteArray& localeName,
                                     const QTimeZone& zone) {
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat format(toIcu(pattern), icuLocale(localeName), status);
    if (U_FAILURE(status)) return {};
    format.adoptTimeZone(icuZone(zone, date).release());
    icu::UnicodeString out;
    format.format(toUDate(date), out);
    return plainSpaces(fromIcu(out));
}

std::optional<Date> DateFormatter::parsePattern(const QString& text, const QString& pattern,
                                                const QByteArray& localeName, const QTimeZone& zone) {
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat format(toIcu(pattern), icuLocale(localeName), status);
    if (U_FAILURE(status)) return std::nullopt;
    format.adoptTimeZone(icuZone(zone, Date{0}).release());
    format.setLenient(false);
    const icu::UnicodeString input = toIcu(text);
    icu::ParsePosition position(0);
    const UDate parsed = format.parse(input, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != input.length()) return std::nullopt;
    return Date::fromUnix(parsed / 1000.0);
}

} // namespace nimbrel
