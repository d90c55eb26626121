#pragma once

#include "sessions/SessionServices.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace nimbrel {

struct Platform;
struct NimbrelSession;

// A session's start reminders: one-shot notifications "<name> starts soon", a chosen number
// of seconds before each start, for each weekday of the next eight weeks. Every refresh
// replaces all pending reminders by those of the session list it was given.
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
    static QString reminderBody(const NimbrelSession& session, std::int64_t leadSeconds);

  private:
    void reschedule(bool granted, std::vector<NimbrelSession> sessions, std::uint64_t generation);
    void scheduleReminders(const NimbrelSession& session);

    Platform& platform_;
    // Each refresh starts a generation; an older one drops what it has not done yet, so two
    // refreshes never interleave their removals and additions.
    std::uint64_t generation_ = 0;
};

} // namespace nimbrel
