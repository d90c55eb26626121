#include "ui/sessions/SessionScheduleText.h"

#include "platform/Calendar.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace nimbrel {

namespace {

// One optional sign, then ASCII digits only, within 64 bits.
std::optional<std::int64_t> parseDecimal(const QString& piece) {
    const qsizetype digitsFrom = piece.startsWith(QLatin1Char('+')) || piece.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (piece.size() == digitsFrom) return std::nullopt;
    for (qsizetype i = digitsFrom; i < piece.size(); ++i)
        if (piece[i] < QLatin1Char('0') || piece[i] > QLatin1Char('9')) return std::nullopt;
    bool ok = false;
    const std::int64_t value = piece.toLongLong(&ok, 10);
    return ok ? std::optional(value) : std::nullopt;
}

} // namespace

QString sessionWeekdayAbbreviation(NimbrelSessionWeekday day) {
    static const std::array<QString, 7> names{QStringLiteral("Sun"), QStringLiteral("Mon"), QStringLiteral("Tue"),
                                              QStringLiteral("Wed"), QStringLiteral("Thu"), QStringLiteral("Fri"),
                                              QStringLiteral("Sat")};
    return names.at(static_cast<std::size_t>(day));
}

SessionClockTimeText localizedShortTimeText() {
    return [](const NimbrelSessionClockTime& time) {
        // Out-of-range parts roll over as the calendar does with lenient components.
        const Calendar calendar = Calendar::current();
        const std::int64_t minutes = (time.minutesSinceMidnight() % 1440 + 1440) % 1440;
        const Date midnight = calendar.date(2001, 1, 1).value_or(Date{});
        return DateFormatter(DateStyle::None, DateStyle::Short).string(midnight.addingSeconds(double(minutes) * 60));
    };
}

QString sessionScheduleSummary(const NimbrelSession& session, const SessionClockTimeText& timeText) {
    const QString range =
        timeText(session.scheduleStartTime) + QStringLiteral(" \u2013 ") + timeText(session.scheduleEndTime);
    if (session.scheduleWeekdays == allSessionWeekdays()) return QStringLiteral("Every day \u00B7 ") + range;
    QStringList days;
    for (int index = 0; index < 7; ++index) {
        const auto day = static_cast<NimbrelSessionWeekday>(index);
        if (session.scheduleWeekdays.contains(day)) days << sessionWeekdayAbbreviation(day);
    }
    return days.join(QStringLiteral(", ")) + QStringLiteral(" \u00B7 ") + range;
}

QString sessionTimeLabel(std::int64_t hour, std::int64_t minute, bool twelveHourClock) {
    std::int64_t shownHour = hour;
    if (twelveHourClock) {
        shownHour = hour % 12;
        if (shownHour == 0) shownHour = 12;
    }
    return QString::number(shownHour) + QLatin1Char(':') + QString::asprintf("%02lld", static_cast<long long>(minute));
}

SessionTimePeriod sessionTimePeriodOfHour(std::int64_t hour) {
    return hour > 11 ? SessionTimePeriod::pm : SessionTimePeriod::am;
}

std::optional<NimbrelSessionClockTime> committedSessionTime(const QString& text, SessionTimePeriod period,
                                                            bool twelveHourClock) {
    const QStringList pieces = text.trimmed().split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (pieces.isEmpty()) return std::nullopt;
    const std::optional<std::int64_t> rawHour = parseDecimal(pieces.at(0));
    if (!rawHour) return std::nullopt;
    const std::optional<std::int64_t> rawMinute = pieces.size() > 1 ? parseDecimal(pieces.at(1)) : std::nullopt;
    const std::int64_t minute = std::clamp<std::int64_t>(rawMinute.value_or(0), 0, 59);
    if (!twelveHourClock) return NimbrelSessionClockTime{std::clamp<std::int64_t>(*rawHour, 0, 23), minute};
    const std::int64_t h = std::clamp<std::int64_t>(*rawHour, 1, 12);
    std::int64_t hour = 0;
    if (period == SessionTimePeriod::pm)
        hour = *rawHour < 12 ? h + 12 : 12;
    else
        hour = *rawHour > 11 ? 0 : h;
    return NimbrelSessionClockTime{hour, minute};
}

} // namespace nimbrel
