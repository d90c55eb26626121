#include "ui/sessions/SessionDockApps.h"

#include "platform/TextServices.h"

#include <algorithm>

namespace nimbrel {

namespace {

bool isFinderApp(const NimbrelSessionApp& app) {
    return app.identityKey() == kFinderIdentityKey;
}

std::optional<std::size_t> dockIndex(const SessionEditorState& state, const NimbrelSessionApp& app) {
    const QString key = app.identityKey();
    const auto found = std::find_if(state.selectedApps.begin(), state.selectedApps.end(),
                                    [&](const NimbrelSessionApp& other) { return other.identityKey() == key; });
    if (found == state.selectedApps.end()) return std::nullopt;
    return static_cast<std::size_t>(found - state.selectedApps.begin());
}

} // namespace

std::vector<NimbrelSessionApp> pickerApps(const SessionEditorState& state,
                                          const std::vector<NimbrelSessionApp>& defaultDockApps,
                                          const std::vector<NimbrelSessionApp>& catalogue) {
    std::vector<NimbrelSessionApp> candidates = defaultDockApps;
    candidates.insert(candidates.end(), catalogue.begin(), catalogue.end());
    std::vector<NimbrelSessionApp> apps = normalizedDockApps(candidates);
    const QString query = searchQuery(state.appSearchText);
    if (!query.isEmpty())
        std::erase_if(apps, [&](const NimbrelSessionApp& app) { return !appMatchesSearch(app, query); });
    std::stable_sort(apps.begin(), apps.end(), [](const NimbrelSessionApp& a, const NimbrelSessionApp& b) {
        return localizedCaseInsensitiveCompare(a.displayName, b.displayName) < 0;
    });
    return apps;
}

bool canMoveDockApp(const SessionEditorState& state, const NimbrelSessionApp& app, int offset) {
    if (isFinderApp(app)) return false;
    const std::optional<std::size_t> index = dockIndex(state, app);
    if (!index) return false;
    const auto target = static_cast<std::int64_t>(*index) + offset;
    return target >= 1 && target < static_cast<std::int64_t>(state.selectedApps.size());
}

bool moveDockApp(SessionEditorState& state, const NimbrelSessionApp& app, int offset) {
    if (!canMoveDockApp(state, app, offset)) return false;
    const std::size_t index = *dockIndex(state, app);
    std::vector<NimbrelSessionApp> apps = state.selectedApps;
    const NimbrelSessionApp moving = apps.at(index);
    apps.erase(apps.begin() + static_cast<std::ptrdiff_t>(index));
    apps.insert(apps.begin() + static_cast<std::ptrdiff_t>(index) + offset, moving);
    state.setSelectedApps(apps);
    return true;
}

DockToggleResult toggleDockApp(SessionEditorState& state, const NimbrelSessionApp& app) {
    const bool selected = containsSameApp(state.selectedApps, app);
    if (isFinderApp(app) && selected) {
        state.setSelectedApps(state.selectedApps);
        return DockToggleResult::refused;
    }
    std::vector<NimbrelSessionApp> apps = state.selectedApps;
    if (selected) {
        const QString key = app.identityKey();
        std::erase_if(apps, [&](const NimbrelSessionApp& other) { return other.identityKey() == key; });
    } else {
        apps.push_back(app);
    }
    state.setSelectedApps(apps);
    return selected ? DockToggleResult::removed : DockToggleResult::added;
}

QString dockAppsCountText(std::size_t count) {
    return QString::number(count) + QStringLiteral(" selected");
}

SessionRowLook dockPickerRowLook(const NimbrelSessionApp& app, bool isSelected, bool isHovering) {
    SessionRowLook look;
    const bool highlighted = isSelected || isHovering;
    if (isSelected && isFinderApp(app))
        look.subtitle = QStringLiteral("Finder is locked as the first Dock app");
    else if (isSelected)
        look.subtitle = QStringLiteral("Selected \u00B7 reorder above");
    else if (isHovering)
        look.subtitle = QStringLiteral("Click to add to Dock");
    else
        look.subtitle = app.bundleIdentifier.value_or(app.path.value_or(QStringLiteral("System app")));
    look.subtitleColor =
        highlighted ? sessionToneColor(SessionTone::green, 0.72) : sessionToneColor(SessionTone::white, 0.42);
    look.fill = highlighted ? sessionToneColor(SessionTone::green, 0.18) : sessionToneColor(SessionTone::white, 0.04);
    look.outline =
        highlighted ? sessionToneColor(SessionTone::green, 0.68) : sessionToneColor(SessionTone::white, 0.10);
    return look;
}

SessionRowLook dockOrderRowLook(bool isFinder, bool isHovering) {
    if (isFinder && isHovering)
        return {QStringLiteral("Finder cannot be unselected"), sessionToneColor(SessionTone::yellow, 0.92),
                sessionToneColor(SessionTone::yellow, 0.20), sessionToneColor(SessionTone::yellow, 0.72)};
    if (isFinder)
        return {QStringLiteral("Locked as first Dock app"), sessionToneColor(SessionTone::white, 0.48),
                sessionToneColor(SessionTone::green, 0.14), sessionToneColor(SessionTone::green, 0.42)};
    if (isHovering)
        return {QStringLiteral("Click to remove from Dock"), sessionToneColor(SessionTone::red, 0.85),
                sessionToneColor(SessionTone::red, 0.22), sessionToneColor(SessionTone::red, 0.72)};
    return {QStringLiteral("Position in Dock"), sessionToneColor(SessionTone::white, 0.42),
            sessionToneColor(SessionTone::green, 0.14), sessionToneColor(SessionTone::green, 0.42)};
}

} // namespace nimbrel
