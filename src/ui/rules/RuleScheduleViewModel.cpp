#include "ui/rules/RuleScheduleViewModel.h"

#include "platform/HourCycle.h"
#include "ui/rules/RuleEditorViewModel.h"

#include <QJSEngine>

#include <algorithm>

namespace nimbrel {

namespace {

QString periodName(TimePeriod period) {
    return period == TimePeriod::pm ? QStringLiteral("pm") : QStringLiteral("am");
}

std::optional<TimePeriod> periodNamed(const QString& name) {
    if (name == QLatin1String("am")) return TimePeriod::am;
    if (name == QLatin1String("pm")) return TimePeriod::pm;
    return std::nullopt;
}

} // namespace

std::vector<NimbrelWeekday> sortedWeekdays(std::vector<NimbrelWeekday> days) {
    std::stable_sort(days.begin(), days.end(), [](NimbrelWeekday a, NimbrelWeekday b) { return int(a) < int(b); });
    return days;
}

QString fullName(NimbrelWeekday day) {
    static const std::array names{"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
    return QString::fromLatin1(names[static_cast<size_t>(day)]);
}

RuleScheduleViewModel::RuleScheduleViewModel(RuleEditorViewModel& editor) : QObject(nullptr), editor_(editor) {
    QJSEngine::setObjectOwnership(this, QJSEngine::CppOwnership);
    connect(&editor_, &RuleEditorViewModel::changed, this, &RuleScheduleViewModel::changed);
}

bool RuleScheduleViewModel::scheduleEnabled() const {
    return editor_.state().scheduleEnabled;
}

QString RuleScheduleViewModel::subtitle() const {
    return scheduleEnabled() ? QStringLiteral("Runs only during the selected days and time window.")
                             : QStringLiteral("Runs all the time until disabled or paused.");
}

QVariantList RuleScheduleViewModel::weekdays() const {
    QVariantList days;
    for (NimbrelWeekday day : sortedWeekdays(allCases<NimbrelWeekday>())) {
        const bool selected = editor_.state().selectedWeekdays.count(day) != 0;
        days.append(QVariantMap{{QStringLiteral("day"), json::enumName(day)},
                                {QStringLiteral("letter"), shortName(day).left(1)},
                                {QStringLiteral("isSelected"), selected},
                                {QStringLiteral("help"),
                                 QStringLiteral("%1 %2").arg(fullName(day), selected ? QStringLiteral("enabled")
                                                                                     : QStringLiteral("disabled"))}});
    }
    return days;
}

bool RuleScheduleViewModel::usesTwelveHourClock() const {
    return nimbrel::usesTwelveHourClock();
}

QString RuleScheduleViewModel::timeWindowCaption() const {
    return usesTwelveHourClock() ? QStringLiteral("Time window") : QStringLiteral("Time window \u00b7 24-hour");
}

QString RuleScheduleViewModel::timePlaceholder() const {
    return usesTwelveHourClock() ? QStringLiteral("1:15") : QStringLiteral("14:15");
}

QString RuleScheduleViewModel::startText() const {
    return editor_.state().scheduleStartText;
}

QString RuleScheduleViewModel::endText() const {
    return editor_.state().scheduleEndText;
}

QString RuleScheduleViewModel::startPeriod() const {
    return periodName(editor_.state().scheduleStartPeriod);
}

QString RuleScheduleViewModel::endPeriod() const {
    return periodName(editor_.state().scheduleEndPeriod);
}

void RuleScheduleViewModel::setStartText(const QString& text) {
    if (text == startText()) return;
    editor_.motion()->withoutAnimation([&] {
        editor_.edit([&](RuleEditorState& s) {
            s.scheduleStartText = text;
            s.timeWindowEdited = true;
        });
    });
}

void RuleScheduleViewModel::setEndText(const QString& text) {
    if (text == endText()) return;
    editor_.motion()->withoutAnimation([&] {
        editor_.edit([&](RuleEditorState& s) {
            s.scheduleEndText = text;
            s.timeWindowEdited = true;
        });
    });
}

void RuleScheduleViewModel::setStartPeriod(const QString& period) {
    const auto chosen = periodNamed(period);
    if (!chosen) return;
    editor_.motion()->withoutAnimation([&] {
        editor_.edit([&](RuleEditorState& s) {
            s.scheduleStartPeriod = *chosen;
            s.timeWindowEdited = true;
        });
    });
}

void RuleScheduleViewModel::setEndPeriod(const QString& period) {
    const auto chosen = periodNamed(period);
    if (!chosen) return;
    editor_.motion()->withoutAnimation([&] {
        editor_.edit([&](RuleEditorState& s) {
            s.scheduleEndPeriod = *chosen;
            s.timeWindowEdited = true;
        });
    });
}

void RuleScheduleViewModel::toggleSchedule() {
    editor_.motion()->withoutAnimation(
        [&] { editor_.edit([](RuleEditorState& s) { s.scheduleEnabled = !s.scheduleEnabled; }); });
}

void RuleScheduleViewModel::toggleWeekday(int index) {
    const std::vector<NimbrelWeekday> days = sortedWeekdays(allCases<NimbrelWeekday>());
    if (index < 0 || index >= int(days.size())) return;
    const NimbrelWeekday day = days[size_t(index)];
    editor_.motion()->withoutAnimation([&] {
        editor_.edit([day](RuleEditorState& s) {
            if (s.selectedWeekdays.count(day))
                s.selectedWeekdays.erase(day);
            else
                s.selectedWeekdays.insert(day);
            s.weekdaysEdited = true;
        });
    });
}

} // namespace nimbrel
