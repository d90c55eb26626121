#pragma once

#include "ui/sessions/SessionEditorState.h"
#include "ui/sessions/SessionTones.h"

#include <QString>

#include <vector>

// The editor's app blocking card: the whitelist, the reminder and its lead time, and the
// whitelist library's candidates and rows. Apps are the same app when their session app
// keys are equal.
namespace nimbrel {

struct SessionReminderLeadChoice {
    std::int64_t seconds;
    QString label;
};

// 30 s, 1, 2, 5, 10, 15 and 30 minutes, in that order.
const std::vector<SessionReminderLeadChoice>& sessionReminderLeadChoices();
// The choice's label for a listed lead time, else "45s", "1 min", "2 hr" (whole units).
QString reminderLeadLabel(std::int64_t seconds);

// "All allowed", or the number of whitelisted apps ("3 allowed").
QString whitelistCountText(const SessionEditorState& state);
QString whitelistAllSubtitle(bool whitelistAllApps);
QString remindMeSubtitle(bool remindBeforeSession, std::int64_t seconds);

bool isWhitelisted(const SessionEditorState& state, const NimbrelSessionApp& app);
// Whitelisted apps first, then each group by name (localized, ignoring case); stable.
bool whitelistCandidateOrder(const SessionEditorState& state, const NimbrelSessionApp& first,
                             const NimbrelSessionApp& second);
// The library's rows: the catalogue's apps (already converted) in that order, filtered by the
// search text.
std::vector<NimbrelSessionApp> whitelistCandidates(const SessionEditorState& state,
                                                   const std::vector<NimbrelSessionApp>& catalogue);

// Removes every entry with the app's key, or appends the app.
void toggleWhitelisted(SessionEditorState& state, const NimbrelSessionApp& app);
// The library's "All" switch: without a search it is "Whitelist All"; with one it covers
// exactly the candidates shown.
bool allCandidatesWhitelisted(const SessionEditorState& state, const std::vector<NimbrelSessionApp>& candidates);
void setAllCandidatesWhitelisted(SessionEditorState& state, const std::vector<NimbrelSessionApp>& candidates, bool on);
void setWhitelistedForCandidates(SessionEditorState& state, const std::vector<NimbrelSessionApp>& candidates, bool on);

// How a library row reads and is tinted, with the pointer over it or not.
SessionRowLook whitelistRowLook(const NimbrelSessionApp& app, bool isSelected, bool isDockApp, bool isHovering);

} // namespace nimbrel
