#include "model/RuleEnums.h"

namespace nimbrel {

NimbrelWeekday weekdayFromCalendarWeekday(std::int64_t calendarWeekday) {
    switch (calendarWeekday) {
    case 1:
        return NimbrelWeekday::sunday;
    case 2:
        return NimbrelWeekday::monday;
    case 3:
        return NimbrelWeekday::tuesday;
    case 4:
        return NimbrelWeekday::wednesday;
    case 5:
        return NimbrelWeekday::thursday;
    case 6:
        return NimbrelWeekday::friday;
    case 7:
        return NimbrelWeekday::saturday;
    default:
        return NimbrelWeekday::monday;
    }
}

QString shortName(NimbrelWeekday day) {
    static constexpr std::array names{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    return QString::fromLatin1(names[static_cast<size_t>(day)]);
}

QString title(NimbrelWindowPlacement placement) {
    static constexpr std::array titles{"Front",    "Full Size", "Full Screen", "Left Half",   "Right Half",
                                       "Top Left", "Top Right", "Bottom Left", "Bottom Right"};
    return QString::fromLatin1(titles[static_cast<size_t>(placement)]);
}

QString title(NimbrelBrowserOpeningMode mode) {
    return mode == NimbrelBrowserOpeningMode::newWindow ? QStringLiteral("New Window") : QStringLiteral("New Tab");
}

NimbrelWeekdaySet allWeekdays() {
    const auto days = allCases<NimbrelWeekday>();
    return NimbrelWeekdaySet(days.begin(), days.end());
}

NimbrelWeekdaySet workWeekdays() {
    return {NimbrelWeekday::monday, NimbrelWeekday::tuesday, NimbrelWeekday::wednesday, NimbrelWeekday::thursday,
            NimbrelWeekday::friday};
}

NimbrelWeekdaySet weekendWeekdays() {
    return {NimbrelWeekday::saturday, NimbrelWeekday::sunday};
}

} // namespace nimbrel
