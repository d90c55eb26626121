#include "ui/sessions/SessionDockAppsSection.h"

#include "ui/sessions/SessionDockApps.h"
#include "ui/sessions/SessionEditorContext.h"

namespace nimbrel {

namespace {

std::optional<NimbrelSessionApp> appWithKey(const std::vector<NimbrelSessionApp>& apps, const QString& key) {
    for (const NimbrelSessionApp& app : apps)
        if (app.identityKey() == key) return app;
    return std::nullopt;
}

} // namespace

SessionDockAppsSection::SessionDockAppsSection(SessionEditorContext& context, QObject* parent)
    : QObject(parent), context_(context) {
    connect(&context_, &SessionEditorContext::stateChanged, this, [this] {
        refresh();
        emit changed();
    });
    refresh();
}

void SessionDockAppsSection::refresh() {
    const SessionEditorState& state = context_.state();
    QVariantList tiles;
    QVariantList order;
    for (const NimbrelSessionApp& app : state.selectedApps) {
        const QString key = app.identityKey();
        const QVariantMap icon = context_.appIcon(app);
        const bool finder = key == kFinderIdentityKey;
        tiles.append(QVariantMap{{"key", key}, {"name", app.displayName}, {"icon", icon}});
        order.append(QVariantMap{{"key", key},
                                 {"name", app.displayName},
                                 {"icon", icon},
                                 {"isFinder", finder},
                                 {"canMoveUp", canMoveDockApp(state, app, -1)},
                                 {"canMoveDown", canMoveDockApp(state, app, 1)},
                                 {"look", rowLookMap(dockOrderRowLook(finder, false))},
                                 {"hoverLook", rowLookMap(dockOrderRowLook(finder, true))}});
    }
    tiles_.setRows(tiles);
    orderRows_.setRows(order);

    QVariantList picker;
    for (const NimbrelSessionApp& app : pickerApps(state, context_.defaultDockApps(), context_.catalogueApps())) {
        const bool selected = containsSameApp(state.selectedApps, app);
        picker.append(QVariantMap{{"key", app.identityKey()},
                                  {"name", app.displayName},
                                  {"icon", context_.appIcon(app)},
                                  {"isSelected", selected},
                                  {"look", rowLookMap(dockPickerRowLook(app, selected, false))},
                                  {"hoverLook", rowLookMap(dockPickerRowLook(app, selected, true))}});
    }
    pickerRows_.setRows(picker);
}

QString SessionDockAppsSection::countText() const {
    return dockAppsCountText(context_.state().selectedApps.size());
}

QString SessionDockAppsSection::searchText() const {
    return context_.state().appSearchText;
}

void SessionDockAppsSection::setSearchText(const QString& text) {
    if (text == searchText()) return;
    context_.change([&](SessionEditorState& state) { state.appSearchText = text; });
}

void SessionDockAppsSection::togglePickerApp(const QString& key) {
    const auto app =
        appWithKey(pickerApps(context_.state(), context_.defaultDockApps(), context_.catalogueApps()), key);
    if (!app) return;
    DockToggleResult result = DockToggleResult::added;
    context_.change([&](SessionEditorState& state) { result = toggleDockApp(state, *app); });
    if (result == DockToggleResult::refused) context_.beep();
}

void SessionDockAppsSection::unselectDockApp(const QString& key) {
    const auto app = appWithKey(context_.state().selectedApps, key);
    if (!app) return;
    if (key == kFinderIdentityKey) {
        context_.beep();
        return;
    }
    context_.change([&](SessionEditorState& state) { toggleDockApp(state, *app); });
}

void SessionDockAppsSection::moveDockApp(const QString& key, int offset) {
    const auto app = appWithKey(context_.state().selectedApps, key);
    if (!app || !canMoveDockApp(context_.state(), *app, offset)) return;
    context_.change([&](SessionEditorState& state) { nimbrel::moveDockApp(state, *app, offset); },
                    SpringParameters{kMoveResponse, kMoveDamping});
}

} // namespace nimbrel
