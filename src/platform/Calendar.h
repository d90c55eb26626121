#pragma once

#include "platform/Date.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

namespace nimbrel {

struct DateComponents {
    int year = 0;
    int month = 0;   // 1...12
    int day = 0;     // 1...31
    int weekday = 0; // 1 = Sunday ... 7 = Saturday
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The zone the program treats as the user's: the system's unless a test sets one.
QTimeZone currentTimeZone();
// Overrides the current zone (tests); an invalid zone goes back to the system's.
void setCurrentTimeZone(const QTimeZone& zone);
// For tests: the monotonic time by which the system's zone is asked again (once a second at
// most); none for the steady clock. The zone is asked afresh next time. Returns the previous one.
using MonotonicNow = std::function<std::chrono::steady_clock::time_point()>;
MonotonicNow setZoneCheckClockForTesting(MonotonicNow now);
// Whether `a` and `b` give every moment the same local time: the same id and offset at `at`.
// Nothing else can tell two zones apart here: the system's zone is known by its id (the TZ
// value, a rule string being its own id, or where /etc/localtime points) and Qt keeps the rules
// it read for an id; only a fixed-offset zone made in the process can carry another's id.
bool sameLocalTimes(const QTimeZone& a, const QTimeZone& b, Date at);
// Posted when the zone gives other local times than before (by the sessions store's tick, which
// watches the clock); screens that show local times redraw. No user info.
inline const QString kTimeZoneDidChangeNotification = QStringLiteral("Nimbrel.timeZoneDidChange");

// Calendar arithmetic in one time zone (Gregorian).
class Calendar {
  public:
    explicit Calendar(QTimeZone zone = currentTimeZone());
    static Calendar current();

    const QTimeZone& timeZone() const { return zone_; }

    DateComponents components(Date date) const;
    Date startOfDay(Date date) const;
    Date addingDays(Date date, int days) const; // keeps the wall-clock time across DST
    // Builds a date from local wall-clock parts; nullopt for impossible parts.
    std::optional<Date> date(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) const;
    bool isSameDay(Date a, Date b) const;

  private:
    QTimeZone zone_;
};

enum class DateStyle { None, Short, Medium, Long, Full };

// Locale-exact date and time formatting (ICU), like the platform's date formatter.
class DateFormatter {
  public:
    // localeName like "en_US", "de_DE"; empty means the current locale.
    DateFormatter(DateStyle dateStyle, DateStyle timeStyle, QByteArray localeName = {},
                  QTimeZone zone = currentTimeZone());
    // ICU writes a narrow no-break space before "AM"/"PM" in some locales; the text
    // returned has a plain space there, so stored and parsed texts read alike.
    QString string(Date date) const;
    // A custom ICU pattern ("EEE d MMM") in the same locale and zone.
    static QString formatPattern(Date date, const QString& pattern, const QByteArray& localeName = {},
                                 const QTimeZone& zone = currentTimeZone());
    // Reads `text` with a custom ICU pattern ("MMM d, yyyy, h:mm a"); the whole text must
    // match. nullopt when it does not.
    static std::optional<Date> parsePattern(const QString& text, const QString& pattern,
                                            const QByteArray& localeName = {},
                                            const QTimeZone& zone = currentTimeZone());

  private:
    // The ICU formatter, made on first use and kept while the locale stays the same: making
    // one costs far more than formatting with it. Copies share it.
    struct Cache;

    DateStyle dateStyle_;
    DateStyle timeStyle_;
    QByteArray localeName_;
    QTimeZone zone_;
    std::shared_ptr<Cache> cache_;
};

// The process's current locale name for formatting: the one set by setCurrentLocaleName,
// else LC_ALL / LC_TIME / LANG ("de_DE.UTF-8" -> "de_DE"), else "en_US". Tests set it.
QByteArray currentLocaleName();
void setCurrentLocaleName(const QByteArray& name); // empty goes back to the environment's

} // namespace nimbrel
