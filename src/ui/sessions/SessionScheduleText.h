#pragma once

#include "sessions/Session.h"

#include <QString>

#include <functional>
#include <optional>

namespace nimbrel {

// "Sun" ... "Sat", the same in every locale: the card's summary uses them whole, the day
// toggles their first letter.
QString sessionWeekdayAbbreviation(NimbrelSessionWeekday day);

// Writes a time of day in the locale's short time style ("9:00 AM", "17:00").
using SessionClockTimeText = std::function<QString(const NimbrelSessionClockTime&)>;
SessionClockTimeText localizedShortTimeText();

// "Every day · 9:00 AM – 5:00 PM", or the chosen days Sunday first ("Mon, Wed, Fri · ...").
QString sessionScheduleSummary(const NimbrelSession& session, const SessionClockTimeText& timeText);

// The text a time field starts with: "9:00", "17:05"; with a 12-hour clock the hour is
// taken modulo 12 with 0 written as 12 ("5:05").
QString sessionTimeLabel(std::int64_t hour, std::int64_t minute, bool twelveHourClock);

enum class SessionTimePeriod { am, pm };

// The half of the day a time field starts on: pm from hour 12.
SessionTimePeriod sessionTimePeriodOfHour(std::int64_t hour);

// What a typed time stores, or none when the text yields no hour (the stored values stay).
// The text splits at ":" (empty pieces dropped); the first piece is the hour, the second the
// minute (0 when missing or unreadable), each clamped to the clock's range.
std::optional<NimbrelSessionClockTime> committedSessionTime(const QString& text, SessionTimePeriod period,
                                                            bool twelveHourClock);

} // namespace nimbrel
