#pragma once

#include "ui/sessions/SessionScheduleText.h"

#include <QObject>
#include <QVariantList>

#include <functional>

namespace nimbrel {

class SessionEditorContext;

// One time field of the schedule ("Starts", "Ends"): the text as typed and the AM/PM choice,
// both seeded once as the editor opens; every keystroke and every change of the choice stores
// the time it reads, text that yields no hour leaves the stored time as it was.
class SessionTimePickerModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString text READ text NOTIFY changed)
    Q_PROPERTY(bool isPm READ isPm NOTIFY changed)
    Q_PROPERTY(bool twelveHourClock READ twelveHourClock NOTIFY changed)
    Q_PROPERTY(QString placeholder READ placeholder NOTIFY changed)
  public:
    // `store` writes the hour, then the minute, of the bound time.
    SessionTimePickerModel(QString title, std::int64_t hour, std::int64_t minute,
                           std::function<void(const NimbrelSessionClockTime&)> store, QObject* parent = nullptr);

    QString title() const { return title_; }
    QString text() const { return text_; }
    bool isPm() const { return period_ == SessionTimePeriod::pm; }
    bool twelveHourClock() const;
    QString placeholder() const;

    Q_INVOKABLE void setText(const QString& text);
    Q_INVOKABLE void choosePeriod(bool pm);

  signals:
    void changed();

  private:
    void commitText();

    QString title_;
    QString text_;
    SessionTimePeriod period_;
    std::function<void(const NimbrelSessionClockTime&)> store_;
};

// The editor's schedule card: the weekday toggles and the time window.
class SessionScheduleSection : public QObject {
    Q_OBJECT
    // {"letter", "isOn"} for Sunday to Saturday.
    Q_PROPERTY(QVariantList weekdays READ weekdays NOTIFY changed)
    Q_PROPERTY(QString timeWindowTitle READ timeWindowTitle NOTIFY changed)
    Q_PROPERTY(QObject* start READ start CONSTANT)
    Q_PROPERTY(QObject* end READ end CONSTANT)
  public:
    explicit SessionScheduleSection(SessionEditorContext& context, QObject* parent = nullptr);

    QVariantList weekdays() const;
    QString timeWindowTitle() const;
    SessionTimePickerModel* start() { return &start_; }
    SessionTimePickerModel* end() { return &end_; }

    // 0 = Sunday ... 6 = Saturday; turns the day off when it is on, else on.
    Q_INVOKABLE void toggleWeekday(int index);

  signals:
    void changed();

  private:
    SessionEditorContext& context_;
    SessionTimePickerModel start_;
    SessionTimePickerModel end_;
};

} // namespace nimbrel
