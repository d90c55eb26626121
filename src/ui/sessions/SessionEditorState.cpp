#include "ui/sessions/SessionEditorState.h"

#include <QStringList>

#include <algorithm>

namespace nimbrel {

SessionEditorState SessionEditorState::make(const std::optional<NimbrelSession>& session, const QString& defaultName,
                                            const std::function<std::vector<NimbrelSessionApp>()>& defaultDockApps) {
    SessionEditorState state;
    state.session = session;
    state.defaultName = defaultName;
    const NimbrelSession source = session.value_or(NimbrelSession{});
    state.name = session ? source.name : QString();
    state.selectedApps = normalizedDockApps(session ? source.allowedApps : defaultDockApps());
    state.whitelistedApps = source.whitelistedApps;
    state.startHour = source.scheduleStartTime.hour;
    state.startMinute = source.scheduleStartTime.minute;
    state.endHour = source.scheduleEndTime.hour;
    state.endMinute = source.scheduleEndTime.minute;
    state.selectedWeekdays = source.scheduleWeekdays;
    state.wallpaperSelections = source.wallpaperSelections;
    state.syncWallpapersAcrossDisplays = source.syncWallpapersAcrossDisplays;
    state.menuBarSymbolName = source.menuBarSymbolName;
    state.whitelistAllApps = source.whitelistAllApps;
    state.remindBeforeSession = source.remindBeforeSession;
    state.remindBeforeSessionSeconds = source.remindBeforeSessionSeconds;
    return state;
}

bool SessionEditorState::canSave() const {
    return !selectedApps.empty() && !selectedWeekdays.empty();
}

std::optional<NimbrelSession> SessionEditorState::savedSession(Date now) const {
    const QString trimmedName = name.trimmed();
    if (!canSave()) return std::nullopt;
    NimbrelSession saved;
    if (session) {
        saved = *session;
    } else {
        saved.isEnabled = true;
        saved.isPinned = false;
        saved.createdAt = now;
    }
    saved.name = trimmedName.isEmpty() ? defaultName : trimmedName;
    saved.allowedApps = normalizedDockApps(selectedApps);
    saved.whitelistedApps = whitelistedApps;
    saved.scheduleStartTime = {std::clamp<std::int64_t>(startHour, 0, 23),
                               std::clamp<std::int64_t>(startMinute, 0, 59)};
    saved.scheduleEndTime = {std::clamp<std::int64_t>(endHour, 0, 23), std::clamp<std::int64_t>(endMinute, 0, 59)};
    saved.scheduleWeekdays = selectedWeekdays;
    saved.wallpaperSelections = effectiveWallpaperSelections();
    saved.syncWallpapersAcrossDisplays = syncWallpapersAcrossDisplays;
    saved.menuBarSymbolName = effectiveMenuBarSymbolName();
    saved.whitelistAllApps = whitelistAllApps;
    saved.remindBeforeSession = remindBeforeSession;
    saved.remindBeforeSessionSeconds = remindBeforeSessionSeconds;
    saved.updatedAt = now;
    return saved;
}

void SessionEditorState::setSelectedApps(const std::vector<NimbrelSessionApp>& apps) {
    selectedApps = normalizedDockApps(apps);
}

std::vector<NimbrelSessionWallpaperSelection> SessionEditorState::effectiveWallpaperSelections() const {
    using Type = NimbrelSessionDisplayTarget::Type;
    std::vector<NimbrelSessionWallpaperSelection> result;
    for (const NimbrelSessionWallpaperSelection& selection : wallpaperSelections) {
        if (syncWallpapersAcrossDisplays && selection.displayTarget.type == Type::automatic) return {selection};
        if (!syncWallpapersAcrossDisplays && selection.displayTarget.type == Type::screenIndex)
            result.push_back(selection);
    }
    return result;
}

QString SessionEditorState::effectiveMenuBarSymbolName() const {
    const QString trimmed = menuBarSymbolName.trimmed();
    return trimmed.isEmpty() ? kDefaultMenuBarSymbol : trimmed;
}

std::vector<NimbrelSessionApp> normalizedDockApps(const std::vector<NimbrelSessionApp>& apps) {
    const std::vector<NimbrelSessionApp> unique = deduplicatedApps(apps);
    const auto isFinderKey = [](const NimbrelSessionApp& app) { return app.identityKey() == kFinderIdentityKey; };
    const auto finder = std::find_if(unique.begin(), unique.end(), isFinderKey);
    std::vector<NimbrelSessionApp> result{finder != unique.end() ? *finder : NimbrelSessionApp::finder()};
    std::copy_if(unique.begin(), unique.end(), std::back_inserter(result),
                 [&](const NimbrelSessionApp& app) { return !isFinderKey(app); });
    return result;
}

bool appMatchesSearch(const NimbrelSessionApp& app, const QString& query) {
    const QString nameText = app.displayName.toLower();
    const QString bundleText = app.bundleIdentifier.value_or(QString()).toLower();
    const QString pathText = app.path.value_or(QString()).toLower();
    if (nameText.contains(query) || bundleText.contains(query) || pathText.contains(query)) return true;
    QString compactName = nameText;
    QString compactQuery = query;
    compactName.remove(QLatin1Char(' '));
    compactQuery.remove(QLatin1Char(' '));
    if (compactName.contains(compactQuery)) return true;
    const QStringList words = query.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return std::all_of(words.begin(), words.end(), [&](const QString& word) {
        return nameText.contains(word) || bundleText.contains(word) || pathText.contains(word);
    });
}

QString searchQuery(const QString& text) {
    return text.trimmed().toLower();
}

bool containsSameApp(const std::vector<NimbrelSessionApp>& apps, const NimbrelSessionApp& app) {
    const QString key = app.identityKey();
    return std::any_of(apps.begin(), apps.end(),
                       [&](const NimbrelSessionApp& other) { return other.identityKey() == key; });
}

} // namespace nimbrel
