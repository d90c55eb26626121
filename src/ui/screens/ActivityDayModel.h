#pragma once

#include "activity/ActivityEntry.h"

#include <QDate>
#include <QTimeZone>

#include <vector>

namespace nimbrel {

// One cell of the activity screen's strip of days.
struct ActivityStripDay {
    QDate date;
    Date start; // the moment the day begins in the zone of the calculation
    int count = 0;
};

// The activity screen's days, computed afresh in the zone current at each calculation: the
// 30 days ending today with their counts, and the entries of the selected day. The selected
// day is a calendar day, not a moment, so after a change of zone the selected cell and its
// list still name the same day.
struct ActivityDayModel {
    static constexpr int kDayCount = 30;

    QDate today;
    QDate selected;
    std::vector<ActivityStripDay> days;                // oldest first, ending with today
    std::vector<NimbrelActivityEntry> selectedEntries; // newest first

    // The strip cell of the selected day, -1 when it lies outside the strip.
    int selectedIndex() const;
};

ActivityDayModel buildActivityDayModel(const std::vector<NimbrelActivityEntry>& entries, Date now, QDate selected,
                                       const QTimeZone& zone);

// The calendar day of a moment in a zone, and the moment a day begins there.
QDate calendarDay(Date date, const QTimeZone& zone);
Date startOfCalendarDay(QDate day, const QTimeZone& zone);

// "Today", "Yesterday", else the weekday's full name in the current locale.
QString activityDayTitle(QDate day, QDate today);
// The strip's identifier of a day: "yyyy-MM-dd".
QString activityDayIdentifier(QDate day);
// A strip cell's count badge: none for 0, 9 at most.
QString activityBadgeText(int count);
// The short weekday name ("Mon") in the current locale.
QString shortWeekdayName(QDate day);

} // namespace nimbrel
