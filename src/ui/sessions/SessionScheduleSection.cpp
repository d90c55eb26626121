#include "ui/sessions/SessionScheduleSection.h"

#include "platform/HourCycle.h"
#include "ui/sessions/SessionEditorContext.h"

namespace nimbrel {

SessionTimePickerModel::SessionTimePickerModel(QString title, std::int64_t hour, std::int64_t minute,
                                               std::function<void(const NimbrelSessionClockTime&)> store,
                                               QObject* parent)
    : QObject(parent), title_(std::move(title)), text_(sessionTimeLabel(hour, minute, usesTwelveHourClock())),
      period_(sessionTimePeriodOfHour(hour)), store_(std::move(store)) {}

bool SessionTimePickerModel::twelveHourClock() const {
    return usesTwelveHourClock();
}

QString SessionTimePickerModel::placeholder() const {
    return twelveHourClock() ? QStringLiteral("1:15") : QStringLiteral("14:15");
}

void SessionTimePickerModel::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    emit changed();
    commitText();
}

void SessionTimePickerModel::choosePeriod(bool pm) {
    const SessionTimePeriod period = pm ? SessionTimePeriod::pm : SessionTimePeriod::am;
    if (period == period_) return;
    period_ = period;
    emit changed();
    commitText();
}

void SessionTimePickerModel::commitText() {
    if (auto time = committedSessionTime(text_, period_, usesTwelveHourClock())) store_(*time);
}

SessionScheduleSection::SessionScheduleSection(SessionEditorContext& context, QObject* parent)
    : QObject(parent), context_(context),
      start_(QStringLiteral("Starts"), context.state().startHour, context.state().startMinute,
             [&context](const NimbrelSessionClockTime& time) {
                 context.change([&](SessionEditorState& s) {
                     s.startHour = time.hour;
                     s.startMinute = time.minute;
                 });
             }),
      end_(QStringLiteral("Ends"), context.state().endHour, context.state().endMinute,
           [&context](const NimbrelSessionClockTime& time) {
               context.change([&](SessionEditorState& s) {
                   s.endHour = time.hour;
                   s.endMinute = time.minute;
               });
           }) {
    connect(&context_, &SessionEditorContext::stateChanged, this, &SessionScheduleSection::changed);
}

QVariantList SessionScheduleSection::weekdays() const {
    QVariantList days;
    for (int index = 0; index < 7; ++index) {
        const auto day = static_cast<NimbrelSessionWeekday>(index);
        days.append(QVariantMap{{QStringLiteral("letter"), sessionWeekdayAbbreviation(day).left(1)},
                                {QStringLiteral("isOn"), context_.state().selectedWeekdays.contains(day)}});
    }
    return days;
}

QString SessionScheduleSection::timeWindowTitle() const {
    return usesTwelveHourClock() ? QStringLiteral("Time window") : QStringLiteral("Time window \u00B7 24-hour");
}

void SessionScheduleSection::toggleWeekday(int index) {
    if (index < 0 || index > 6) return;
    const auto day = static_cast<NimbrelSessionWeekday>(index);
    context_.change([&](SessionEditorState& state) {
        if (state.selectedWeekdays.contains(day))
            state.selectedWeekdays.erase(day);
        else
            state.selectedWeekdays.insert(day);
    });
}

} // namespace nimbrel
