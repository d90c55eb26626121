#include "sessions/Session.h"

#include "model/DailyWindow.h"
#include "model/StoreSyncLinks.h"
#include "platform/Calendar.h"
#include "platform/Files.h"
#include "platform/TextServices.h"
#include "platform/Workspace.h"
#include "sessions/SessionAllowedApps.h"
#include "sessions/SessionPaths.h"

#include <algorithm>

namespace nimbrel {

bool NimbrelSession::isActiveNow(const UserDefaults& defaults, Date now, const Calendar& calendar) const {
    if (isGlobalPauseActive(defaults)) return false;
    return isScheduledAt(calendar.components(now));
}

bool NimbrelSession::isScheduledAt(const DateComponents& today) const {
    if (!isEnabled) return false;
    if (!scheduleWeekdays.contains(static_cast<NimbrelSessionWeekday>(std::clamp(today.weekday, 1, 7) - 1)))
        return false;
    if (scheduleStartTime.hour == scheduleEndTime.hour && scheduleStartTime.minute == scheduleEndTime.minute)
        return true;
    const std::int64_t nowMinutes =
        minutesSinceMidnight(std::clamp(today.hour, 0, 23), std::clamp(today.minute, 0, 59));
    return isWithinDailyWindow(nowMinutes, scheduleStartTime.minutesSinceMidnight(),
                               scheduleEndTime.minutesSinceMidnight());
}

QSet<QString> NimbrelSession::allowedBundleIdentifiers() const {
    QSet<QString> identifiers;
    for (const auto* list : {&allowedApps, &whitelistedApps})
        for (const NimbrelSessionApp& app : *list)
            if (app.bundleIdentifier) identifiers.insert(app.bundleIdentifier->toLower());
    return identifiers;
}

QSet<QString> NimbrelSession::allowedPaths() const {
    QSet<QString> paths;
    for (const auto* list : {&allowedApps, &whitelistedApps})
        for (const NimbrelSessionApp& app : *list)
            if (app.path) paths.insert(standardizedSessionPath(*app.path));
    return paths;
}

bool NimbrelSession::allows(const RunningApplication& app, const UserDefaults& defaults) const {
    return SessionAllowedApps(*this).allows(app, defaults);
}

std::vector<NimbrelSessionApp> NimbrelSession::missingAllowedApps(const Workspace& workspace,
                                                                  const FileSystem& files) const {
    std::vector<NimbrelSessionApp> missing;
    for (const NimbrelSessionApp& app : allowedApps) {
        if (app.isSystemDockItem()) continue;
        if (app.bundleIdentifier && workspace.urlForApplication(*app.bundleIdentifier)) continue;
        if (app.path && files.exists(expandTildeInSessionPath(*app.path))) continue;
        missing.push_back(app);
    }
    return missing;
}

std::vector<NimbrelSessionApp> NimbrelSession::installedAllowedApps(const Workspace& workspace,
                                                                    const FileSystem& files) const {
    return installedAllowedApps(missingAllowedApps(workspace, files));
}

std::vector<NimbrelSessionApp>
NimbrelSession::installedAllowedApps(const std::vector<NimbrelSessionApp>& missing) const {
    QSet<QString> missingKeys;
    for (const NimbrelSessionApp& app : missing)
        missingKeys.insert(app.identityKey());
    std::vector<NimbrelSessionApp> installed;
    for (const NimbrelSessionApp& app : allowedApps)
        if (!missingKeys.contains(app.identityKey())) installed.push_back(app);
    return installed;
}

bool sessionPrecedes(const NimbrelSession& a, const NimbrelSession& b) {
    if (a.isPinned != b.isPinned) return a.isPinned;
    return localizedCaseInsensitiveCompare(a.name, b.name) < 0;
}

void sortSessions(std::vector<NimbrelSession>& sessions) {
    // A list kept in this order stays as it is after most edits: looking is a tenth of sorting.
    if (std::is_sorted(sessions.begin(), sessions.end(), sessionPrecedes)) return;
    std::stable_sort(sessions.begin(), sessions.end(), sessionPrecedes);
}

} // namespace nimbrel
