#include "ui/sessions/SessionEditorContext.h"

#include "platform/Alerts.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "ui/sessions/SessionAppIcon.h"

namespace nimbrel {

SessionEditorContext::SessionEditorContext(SessionEditorState state, Services services, QObject* parent)
    : QObject(parent), state_(std::move(state)), services_(std::move(services)) {
    if (services_.catalogue) catalogue_ = services_.catalogue();
    // The catalogue's first scan may finish while the editor is open: the pickers fill then.
    if (catalogue_) catalogueObserver_ = catalogue_->apps().observe([this](const auto&) { emit stateChanged(); });
}

SessionEditorContext::~SessionEditorContext() = default;

void SessionEditorContext::change(const std::function<void(SessionEditorState&)>& edit,
                                  std::optional<SpringParameters> spring) {
    const auto apply = [&] {
        edit(state_);
        emit stateChanged();
    };
    if (spring)
        motion_.withSpringAnimation(spring->response, spring->dampingFraction, apply);
    else
        motion_.withoutAnimation(apply);
}

std::vector<NimbrelSessionApp> SessionEditorContext::catalogueApps() const {
    std::vector<NimbrelSessionApp> apps;
    if (!catalogue_) return apps;
    for (const NimbrelInstalledApps::InstalledApp& entry : catalogue_->apps().get())
        apps.push_back(NimbrelSessionApp::normalizing(entry.displayName, entry.bundleIdentifier, entry.path));
    return apps;
}

std::vector<NimbrelSessionApp> SessionEditorContext::defaultDockApps() const {
    return NimbrelSessionApp::defaultDockApps(*services_.platform.workspace, *services_.platform.files);
}

QVariantMap SessionEditorContext::appIcon(const NimbrelSessionApp& app) const {
    return sessionAppIcon(app, *services_.platform.workspace, *services_.platform.files);
}

void SessionEditorContext::beep() {
    services_.platform.alerts->beep();
}

} // namespace nimbrel
