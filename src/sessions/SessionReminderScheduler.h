#pragma once

#include "platform/Date.h"
#include "platform/Uuid.h"
#include "sessions/SessionServices.h"
#include "sessions/SessionValues.h"

#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace nimbrel {

struct Platform;
struct NimbrelSession;

// What of a session its reminders show or depend on; nothing else of it matters to them.
struct SessionReminderFields {
    Uuid id;
    QString name;
    bool isEnabled = true;
    bool remindBeforeSession = true;
    std::int64_t leadSeconds = 0;
    NimbrelSessionClockTime start;
    NimbrelSessionWeekdays weekdays;
    bool whitelistAllApps = true;

    static SessionReminderFields of(const NimbrelSession& session);
    bool reminds() const { return isEnabled && remindBeforeSession; }
    friend bool operator==(const SessionReminderFields&, const SessionReminderFields&) = default;
};

// A session's start reminders: one-shot notifications "<name> starts soon", a chosen number
// of seconds before each start, for each weekday of the next eight weeks. After each refresh the
// pending reminders are those of the session list it was given, computed at that moment.
//
// The first refresh replaces every pending reminder of ours. Later ones remake only the
// reminders of the sessions whose reminders would come out otherwise now: a session added,
// deleted or changed in what its reminders show, or whose reminders have moved on with the
// clock since they were made (one of them fell due, or its week's start passed), or one whose
// request the platform refused. The pending set is the same as if all were remade. A refresh at
// a moment earlier than the one before (the clock was set back) replaces them all again: what
// was made starts at the moment it was made, so the days in between would have none.
class NimbrelSessionReminderScheduler final : public SessionReminderControl,
                                              public std::enable_shared_from_this<NimbrelSessionReminderScheduler> {
  public:
    static inline const QString identifierPrefix = QStringLiteral("nimbrel.session.reminder.");
    static constexpr int kWeeks = 8;

    explicit NimbrelSessionReminderScheduler(Platform& platform);
    static NimbrelSessionReminderScheduler& shared();
    static std::shared_ptr<NimbrelSessionReminderScheduler> sharedPtr();

    // Asks for the permission (alert and sound), then reschedules with `sessions` as they are now.
    void refreshReminders(const std::vector<NimbrelSession>& sessions) override;
    void rescheduleReminders(bool granted, const std::vector<NimbrelSession>& sessions);

    static QString reminderLeadTimeText(std::int64_t seconds);
    static QString reminderBody(const SessionReminderFields& session, std::int64_t leadSeconds);

  private:
    using FieldList = std::shared_ptr<const std::vector<SessionReminderFields>>;
    // The sessions of one id, in list order (a list may hold two of one id), whose reminders are
    // pending, and the moment from which they would come out otherwise.
    struct Made {
        std::vector<SessionReminderFields> sessions;
        Date validUntil;
    };

    void reschedule(bool granted, FieldList sessions, std::uint64_t generation);
    // Removes every pending reminder of ours, then makes them all.
    void replaceAll(const QStringList& pendingIdentifiers, const std::vector<SessionReminderFields>& sessions);
    // Remakes only what differs from what was made.
    void replaceChanged(const std::vector<SessionReminderFields>& sessions);
    Made make(std::vector<SessionReminderFields> sessionsOfOneId);
    void removeAllOf(const Uuid& id);
    // Adds the requests of one session; returns the moment from which they would come out otherwise.
    Date scheduleReminders(const SessionReminderFields& session);

    Platform& platform_;
    // Each refresh starts a generation; an older one drops what it has not done yet, so two
    // refreshes never interleave their removals and additions.
    std::uint64_t generation_ = 0;
    // What is pending, by session id; none until a refresh has replaced everything.
    std::optional<std::unordered_map<Uuid, Made>> made_;
    QTimeZone madeInZone_;
    // The moment of the last refresh that was granted.
    std::optional<Date> refreshedAt_;
};

} // namespace nimbrel
