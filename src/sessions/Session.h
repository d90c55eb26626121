#pragma once

#include "platform/Date.h"
#include "platform/Uuid.h"
#include "sessions/SessionApp.h"
#include "sessions/SessionValues.h"

#include <QSet>
#include <QString>

#include <vector>

namespace nimbrel {

class Calendar;
struct DateComponents;
class FileSystem;
class UserDefaults;
class Workspace;
struct RunningApplication;

inline const QString kDefaultMenuBarSymbol = QStringLiteral("NIMBREL_MENU_BAR");

// One session: a scheduled focus mode with its Dock apps, allowed apps, wallpapers, menu-bar
// symbol and reminder. A new value holds what a session without any stored keys reads as.
struct NimbrelSession {
    Uuid id = Uuid::random();
    QString name = QStringLiteral("Session");
    bool isEnabled = true;
    bool isPinned = false;
    std::vector<NimbrelSessionApp> allowedApps; // the Dock apps, in Dock order
    std::vector<NimbrelSessionApp> whitelistedApps;
    NimbrelSessionClockTime scheduleStartTime{9, 0};
    NimbrelSessionClockTime scheduleEndTime{17, 0};
    NimbrelSessionWeekdays scheduleWeekdays = allSessionWeekdays();
    std::vector<NimbrelSessionWallpaperSelection> wallpaperSelections;
    bool syncWallpapersAcrossDisplays = true;
    QString menuBarSymbolName = kDefaultMenuBarSymbol;
    bool whitelistAllApps = true;
    bool remindBeforeSession = true;
    std::int64_t remindBeforeSessionSeconds = 120;
    Date createdAt;
    Date updatedAt;

    // Whether the schedule holds at `now` (today's weekday, the daily window) and no global pause is on.
    bool isActiveNow(const UserDefaults& defaults, Date now, const Calendar& calendar) const;
    // The same for a moment already split into its calendar parts, without the pause: for
    // looking at many sessions at one moment.
    bool isScheduledAt(const DateComponents& today) const;
    // Whether `app` may keep running while this session is active (SessionAllowedApps for many apps).
    bool allows(const RunningApplication& app, const UserDefaults& defaults) const;
    // Lower-cased bundle identifiers, and standardized paths (case kept), of the Dock and whitelisted apps.
    QSet<QString> allowedBundleIdentifiers() const;
    QSet<QString> allowedPaths() const;
    // The Dock apps this Mac does not have, and the others, each in list order.
    std::vector<NimbrelSessionApp> missingAllowedApps(const Workspace& workspace, const FileSystem& files) const;
    std::vector<NimbrelSessionApp> installedAllowedApps(const Workspace& workspace, const FileSystem& files) const;
    // The same, given what missingAllowedApps gave: the Mac is not asked again.
    std::vector<NimbrelSessionApp> installedAllowedApps(const std::vector<NimbrelSessionApp>& missing) const;

    friend bool operator==(const NimbrelSession&, const NimbrelSession&) = default;
};

// The session order: pinned first, then by name (localized, ignoring case); stable.
bool sessionPrecedes(const NimbrelSession& a, const NimbrelSession& b);
void sortSessions(std::vector<NimbrelSession>& sessions);

} // namespace nimbrel
