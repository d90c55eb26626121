#pragma once

#include "model/RuleEnums.h"

#include <QObject>
#include <QVariantList>

#include <vector>

namespace nimbrel {

class RuleEditorViewModel;

// Days in week order, Monday first; equal days keep their order.
std::vector<NimbrelWeekday> sortedWeekdays(std::vector<NimbrelWeekday> days);
// "Monday" ... "Sunday".
QString fullName(NimbrelWeekday day);

// The editor's schedule: the switch, the active days and the daily time window, with AM/PM
// buttons in a 12-hour locale (asked afresh at every read).
class RuleScheduleViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool scheduleEnabled READ scheduleEnabled NOTIFY changed)
    Q_PROPERTY(QString subtitle READ subtitle NOTIFY changed)
    // {day, letter, isSelected, help} per day, Monday first.
    Q_PROPERTY(QVariantList weekdays READ weekdays NOTIFY changed)
    Q_PROPERTY(bool usesTwelveHourClock READ usesTwelveHourClock NOTIFY changed)
    Q_PROPERTY(QString timeWindowCaption READ timeWindowCaption NOTIFY changed)
    Q_PROPERTY(QString timePlaceholder READ timePlaceholder NOTIFY changed)
    Q_PROPERTY(QString startText READ startText WRITE setStartText NOTIFY changed)
    Q_PROPERTY(QString endText READ endText WRITE setEndText NOTIFY changed)
    // "am" or "pm".
    Q_PROPERTY(QString startPeriod READ startPeriod WRITE setStartPeriod NOTIFY changed)
    Q_PROPERTY(QString endPeriod READ endPeriod WRITE setEndPeriod NOTIFY changed)
  public:
    explicit RuleScheduleViewModel(RuleEditorViewModel& editor);

    bool scheduleEnabled() const;
    QString subtitle() const;
    QVariantList weekdays() const;
    bool usesTwelveHourClock() const;
    QString timeWindowCaption() const;
    QString timePlaceholder() const;
    QString startText() const;
    QString endText() const;
    QString startPeriod() const;
    QString endPeriod() const;
    void setStartText(const QString& text);
    void setEndText(const QString& text);
    void setStartPeriod(const QString& period);
    void setEndPeriod(const QString& period);

    Q_INVOKABLE void toggleSchedule();
    // `index` is the day's place in the row, Monday first.
    Q_INVOKABLE void toggleWeekday(int index);

  signals:
    void changed();

  private:
    RuleEditorViewModel& editor_;
};

} // namespace nimbrel
