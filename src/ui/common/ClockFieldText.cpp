#include "ui/common/ClockFieldText.h"

#include "platform/HourCycle.h"

#include <QStringList>

namespace nimbrel {

namespace {

// A decimal integer with an optional leading sign and nothing else.
std::optional<long long> readInteger(const QString& piece) {
    bool ok = false;
    const long long value = piece.toLongLong(&ok, 10);
    if (!ok) return std::nullopt;
    // toLongLong also accepts surrounding blanks; a piece is read only when it is all sign and digits.
    for (qsizetype i = 0; i < piece.size(); ++i) {
        const QChar c = piece[i];
        if (c.isDigit() && c.unicode() < 128) continue;
        if (i == 0 && (c == QLatin1Char('+') || c == QLatin1Char('-')) && piece.size() > 1) continue;
        return std::nullopt;
    }
    return value;
}

} // namespace

QString clockFieldText(int hour, int minute) {
    return clockFieldText(hour, minute, usesTwelveHourClock());
}

QString clockFieldText(int hour, int minute, bool twelveHourClock) {
    if (twelveHourClock) {
        int shown = hour % 12;
        if (shown == 0) shown = 12;
        return QString::asprintf("%d:%02d", shown, minute);
    }
    return QString::asprintf("%02d:%02d", hour, minute);
}

std::optional<ClockFieldTime> parseClockFieldText(const QString& text, TimePeriod period) {
    return parseClockFieldText(text, period, usesTwelveHourClock());
}

std::optional<ClockFieldTime> parseClockFieldText(const QString& text, TimePeriod period, bool twelveHourClock) {
    QString normalized = text.trimmed();
    normalized.replace(QLatin1Char('.'), QLatin1Char(':'));
    const QStringList pieces = normalized.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (pieces.isEmpty()) return std::nullopt;
    const std::optional<long long> hour = readInteger(pieces[0]);
    if (!hour) return std::nullopt;
    long long minute = 0;
    if (pieces.size() > 1) minute = readInteger(pieces[1]).value_or(0);
    if (minute < 0 || minute > 59) return std::nullopt;
    if (twelveHourClock) {
        if (*hour < 1 || *hour > 12) return std::nullopt;
        const long long base = *hour == 12 ? 0 : *hour;
        return ClockFieldTime{int(base + (period == TimePeriod::pm ? 12 : 0)), int(minute)};
    }
    if (*hour < 0 || *hour > 23) return std::nullopt;
    return ClockFieldTime{int(*hour), int(minute)};
}

TimePeriod periodOfHour(long long hour) {
    return hour > 11 ? TimePeriod::pm : TimePeriod::am;
}

} // namespace nimbrel
