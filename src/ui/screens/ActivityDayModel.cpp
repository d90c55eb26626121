#include "ui/screens/ActivityDayModel.h"

#include "platform/Calendar.h"

#include <algorithm>
#include <cmath>

namespace nimbrel {

QDate calendarDay(Date date, const QTimeZone& zone) {
    return QDateTime::fromMSecsSinceEpoch(qint64(std::floor(date.unixSeconds() * 1000.0)), zone).date();
}

Date startOfCalendarDay(QDate day, const QTimeZone& zone) {
    return Date::fromUnix(double(day.startOfDay(zone).toMSecsSinceEpoch()) / 1000.0);
}

int ActivityDayModel::selectedIndex() const {
    for (size_t i = 0; i < days.size(); ++i)
        if (days[i].date == selected) return int(i);
    return -1;
}

ActivityDayModel buildActivityDayModel(const std::vector<NimbrelActivityEntry>& entries, Date now, QDate selected,
                                       const QTimeZone& zone) {
    ActivityDayModel model;
    model.today = calendarDay(now, zone);
    model.selected = selected.isValid() ? selected : model.today;
    model.days.reserve(ActivityDayModel::kDayCount);
    for (int offset = ActivityDayModel::kDayCount - 1; offset >= 0; --offset) {
        const QDate day = model.today.addDays(-offset);
        model.days.push_back({day, startOfCalendarDay(day, zone), 0});
    }
    // Each entry falls in the day whose start is the last one not after it: one search per
    // entry instead of a calendar conversion.
    const Date stripEnd = startOfCalendarDay(model.today.addDays(1), zone);
    const Date selectedStart = startOfCalendarDay(model.selected, zone);
    const Date selectedEnd = startOfCalendarDay(model.selected.addDays(1), zone);
    for (const NimbrelActivityEntry& entry : entries) {
        if (entry.date >= selectedStart && entry.date < selectedEnd) model.selectedEntries.push_back(entry);
        if (entry.date < model.days.front().start || entry.date >= stripEnd) continue;
        const auto after = std::upper_bound(model.days.begin(), model.days.end(), entry.date,
                                            [](Date d, const ActivityStripDay& day) { return d < day.start; });
        ++std::prev(after)->count;
    }
    // Of entries stamped with the same moment, the one recorded later is the newer.
    std::reverse(model.selectedEntries.begin(), model.selectedEntries.end());
    std::stable_sort(model.selectedEntries.begin(), model.selectedEntries.end(),
                     [](const NimbrelActivityEntry& a, const NimbrelActivityEntry& b) { return a.date > b.date; });
    return model;
}

QString activityDayTitle(QDate day, QDate today) {
    if (day == today) return QStringLiteral("Today");
    if (day == today.addDays(-1)) return QStringLiteral("Yesterday");
    return DateFormatter::formatPattern(startOfCalendarDay(day, QTimeZone::utc()), QStringLiteral("EEEE"), {},
                                        QTimeZone::utc());
}

QString activityDayIdentifier(QDate day) {
    return day.toString(QStringLiteral("yyyy-MM-dd"));
}

QString activityBadgeText(int count) {
    return count >= 1 ? QString::number(std::min(count, 9)) : QString();
}

QString shortWeekdayName(QDate day) {
    // The name depends only on the weekday and the locale: seven names, formatted once each.
    static thread_local QByteArray locale;
    static thread_local QString names[7];
    if (locale != currentLocaleName()) {
        locale = currentLocaleName();
        for (QString& name : names)
            name.clear();
    }
    QString& name = names[day.dayOfWeek() % 7];
    if (name.isEmpty())
        name = DateFormatter::formatPattern(startOfCalendarDay(day, QTimeZone::utc()), QStringLiteral("EEE"), {},
                                            QTimeZone::utc());
    return name;
}

} // namespace nimbrel
