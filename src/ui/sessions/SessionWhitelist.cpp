#include "ui/sessions/SessionWhitelist.h"

#include "platform/TextServices.h"

#include <QSet>

#include <algorithm>

namespace nimbrel {

const std::vector<SessionReminderLeadChoice>& sessionReminderLeadChoices() {
    static const std::vector<SessionReminderLeadChoice> choices{
        {30, QStringLiteral("30 seconds")},  {60, QStringLiteral("1 minute")},    {120, QStringLiteral("2 minutes")},
        {300, QStringLiteral("5 minutes")},  {600, QStringLiteral("10 minutes")}, {900, QStringLiteral("15 minutes")},
        {1800, QStringLiteral("30 minutes")}};
    return choices;
}

QString reminderLeadLabel(std::int64_t seconds) {
    for (const SessionReminderLeadChoice& choice : sessionReminderLeadChoices())
        if (choice.seconds == seconds) return choice.label;
    if (seconds < 60) return QString::number(seconds) + QStringLiteral("s");
    if (seconds >= 3600) return QString::number(seconds / 3600) + QStringLiteral(" hr");
    return QString::number(seconds / 60) + QStringLiteral(" min");
}

QString whitelistCountText(const SessionEditorState& state) {
    if (state.whitelistAllApps) return QStringLiteral("All allowed");
    return QString::number(state.whitelistedApps.size()) + QStringLiteral(" allowed");
}

QString whitelistAllSubtitle(bool whitelistAllApps) {
    return whitelistAllApps ? QStringLiteral("Every app can run during this session")
                            : QStringLiteral("Only selected apps can run during this session");
}

QString remindMeSubtitle(bool remindBeforeSession, std::int64_t seconds) {
    if (!remindBeforeSession) return QStringLiteral("No notification before session starts");
    return QStringLiteral("Notifies ") + reminderLeadLabel(seconds) + QStringLiteral(" before this session starts");
}

bool isWhitelisted(const SessionEditorState& state, const NimbrelSessionApp& app) {
    return containsSameApp(state.whitelistedApps, app);
}

bool whitelistCandidateOrder(const SessionEditorState& state, const NimbrelSessionApp& first,
                             const NimbrelSessionApp& second) {
    const bool firstListed = isWhitelisted(state, first);
    if (firstListed != isWhitelisted(state, second)) return firstListed;
    return localizedCaseInsensitiveCompare(first.displayName, second.displayName) < 0;
}

std::vector<NimbrelSessionApp> whitelistCandidates(const SessionEditorState& state,
                                                   const std::vector<NimbrelSessionApp>& catalogue) {
    const QString query = searchQuery(state.whitelistSearchText);
    std::vector<NimbrelSessionApp> sorted = catalogue;
    std::stable_sort(sorted.begin(), sorted.end(), [&](const NimbrelSessionApp& a, const NimbrelSessionApp& b) {
        return whitelistCandidateOrder(state, a, b);
    });
    if (query.isEmpty()) return sorted;
    std::vector<NimbrelSessionApp> matching;
    std::copy_if(sorted.begin(), sorted.end(), std::back_inserter(matching),
                 [&](const NimbrelSessionApp& app) { return appMatchesSearch(app, query); });
    return matching;
}

void toggleWhitelisted(SessionEditorState& state, const NimbrelSessionApp& app) {
    const QString key = app.identityKey();
    if (isWhitelisted(state, app)) {
        std::erase_if(state.whitelistedApps,
                      [&](const NimbrelSessionApp& other) { return other.identityKey() == key; });
        return;
    }
    state.whitelistedApps.push_back(app);
}

bool allCandidatesWhitelisted(const SessionEditorState& state, const std::vector<NimbrelSessionApp>& candidates) {
    if (searchQuery(state.whitelistSearchText).isEmpty()) return state.whitelistAllApps;
    if (candidates.empty()) return false;
    return std::all_of(candidates.begin(), candidates.end(),
                       [&](const NimbrelSessionApp& app) { return isWhitelisted(state, app); });
}

void setAllCandidatesWhitelisted(SessionEditorState& state, const std::vector<NimbrelSessionApp>& candidates, bool on) {
    if (searchQuery(state.whitelistSearchText).isEmpty()) {
        state.whitelistAllApps = on;
        return;
    }
    setWhitelistedForCandidates(state, candidates, on);
}

void setWhitelistedForCandidates(SessionEditorState& state, const std::vector<NimbrelSessionApp>& candidates, bool on) {
    if (on) {
        for (const NimbrelSessionApp& candidate : candidates)
            if (!isWhitelisted(state, candidate)) state.whitelistedApps.push_back(candidate);
        return;
    }
    QSet<QString> keys;
    for (const NimbrelSessionApp& candidate : candidates)
        keys.insert(candidate.identityKey());
    std::erase_if(state.whitelistedApps,
                  [&](const NimbrelSessionApp& app) { return keys.contains(app.identityKey()); });
}

SessionRowLook whitelistRowLook(const NimbrelSessionApp& app, bool isSelected, bool isDockApp, bool isHovering) {
    SessionRowLook look;
    if (isSelected && isHovering) {
        look.subtitle = QStringLiteral("Click to remove from whitelist");
        look.subtitleColor = sessionToneColor(SessionTone::red, 0.85);
    } else if (isSelected) {
        look.subtitle = QStringLiteral("Whitelisted");
        look.subtitleColor = sessionToneColor(SessionTone::green, 0.72);
    } else if (isHovering) {
        look.subtitle = QStringLiteral("Click to whitelist");
        look.subtitleColor = sessionToneColor(SessionTone::green, 0.72);
    } else if (isDockApp) {
        look.subtitle = QStringLiteral("Already in session Dock \u00B7 also allowed");
        look.subtitleColor = sessionToneColor(SessionTone::green, 0.72);
    } else {
        look.subtitle = app.bundleIdentifier.value_or(app.path.value_or(QStringLiteral("System app")));
        look.subtitleColor = sessionToneColor(SessionTone::white, 0.42);
    }
    // Red while a whitelisted row is about to be removed, green when whitelisted or hovered.
    const auto state = [&](double red, double green, double white) {
        if (isSelected && isHovering) return sessionToneColor(SessionTone::red, red);
        if (isSelected || isHovering) return sessionToneColor(SessionTone::green, green);
        return sessionToneColor(SessionTone::white, white);
    };
    look.fill = state(0.22, 0.18, 0.04);
    look.outline = state(0.72, 0.68, 0.1);
    return look;
}

} // namespace nimbrel
