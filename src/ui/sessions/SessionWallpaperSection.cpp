#include "ui/sessions/SessionWallpaperSection.h"

#include "platform/Alerts.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "ui/sessions/SessionEditorContext.h"
#include "ui/sessions/SessionWallpapers.h"

namespace nimbrel {

SessionWallpaperSection::SessionWallpaperSection(SessionEditorContext& context, QObject* parent)
    : QObject(parent), context_(context) {
    connect(&context_, &SessionEditorContext::stateChanged, this, &SessionWallpaperSection::changed);
}

bool SessionWallpaperSection::sync() const {
    return context_.state().syncWallpapersAcrossDisplays;
}

void SessionWallpaperSection::setSync(bool on) {
    if (on == sync()) return;
    context_.change([on](SessionEditorState& state) { state.syncWallpapersAcrossDisplays = on; });
}

QString SessionWallpaperSection::description() const {
    return sessionWallpaperDescription(sync());
}

int SessionWallpaperSection::screenCount() const {
    // Read afresh at each drawing: displays connected or removed show at the next redraw.
    return static_cast<int>(context_.platform().screens->screens().size());
}

QVariantList SessionWallpaperSection::rows() const {
    QVariantList rows;
    for (const SessionWallpaperRow& row : sessionWallpaperRows(context_.state(), screenCount()))
        rows.append(QVariantMap{{QStringLiteral("title"), row.title},
                                {QStringLiteral("subtitle"), row.subtitle},
                                {QStringLiteral("buttonTitle"), row.buttonTitle}});
    return rows;
}

void SessionWallpaperSection::chooseWallpaper(int row) {
    const std::vector<SessionWallpaperRow> rows = sessionWallpaperRows(context_.state(), screenCount());
    if (row < 0 || row >= static_cast<int>(rows.size())) return;
    const NimbrelSessionDisplayTarget target = rows[static_cast<std::size_t>(row)].target;
    OpenPanelRequest request;
    request.canChooseFiles = true;
    request.canChooseDirectories = false;
    request.allowsMultipleSelection = false;
    request.allowedContentTypes = {QStringLiteral("public.image")};
    const std::optional<QStringList> chosen = context_.platform().alerts->runOpenPanel(request);
    if (!chosen || chosen->isEmpty() || chosen->first().isEmpty()) return;
    const QString path = chosen->first();
    context_.change([&](SessionEditorState& state) { storeChosenWallpaper(state, target, path); });
}

} // namespace nimbrel
