#include "ui/sessions/SessionEditorViewModel.h"

#include "platform/Platform.h"
#include "platform/Scheduler.h"

namespace nimbrel {

namespace {

SessionEditorState initialState(const std::optional<NimbrelSession>& session, const QString& defaultName,
                                const SessionEditorContext::Services& services) {
    return SessionEditorState::make(session, defaultName, [&] {
        return NimbrelSessionApp::defaultDockApps(*services.platform.workspace, *services.platform.files);
    });
}

} // namespace

SessionEditorViewModel::SessionEditorViewModel(const std::optional<NimbrelSession>& session, const QString& defaultName,
                                               SessionEditorContext::Services services, Ends ends, QObject* parent)
    : QObject(parent), context_(initialState(session, defaultName, services), services), ends_(std::move(ends)),
      schedule_(context_), wallpaper_(context_), symbols_(context_), blocking_(context_), dockApps_(context_) {
    connect(&context_, &SessionEditorContext::stateChanged, this, &SessionEditorViewModel::changed);
}

void SessionEditorViewModel::setName(const QString& name) {
    if (name == state().name) return;
    context_.change([&](SessionEditorState& s) { s.name = name; });
}

QString SessionEditorViewModel::subtitle() const {
    return state().isNew() ? QStringLiteral("Name your session and build a scheduled Dock.")
                           : QStringLiteral("Edit this scheduled Dock session.");
}

QString SessionEditorViewModel::saveTitle() const {
    return state().isNew() ? QStringLiteral("Create Session") : QStringLiteral("Save Session");
}

void SessionEditorViewModel::save() {
    const std::optional<NimbrelSession> saved = state().savedSession(context_.platform().clock->now());
    if (saved && ends_.onSave) ends_.onSave(*saved);
}

void SessionEditorViewModel::cancel() {
    if (ends_.onCancel) ends_.onCancel();
}

} // namespace nimbrel
