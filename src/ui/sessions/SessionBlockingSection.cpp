#include "ui/sessions/SessionBlockingSection.h"

#include "ui/sessions/SessionCardContent.h"
#include "ui/sessions/SessionEditorContext.h"
#include "ui/sessions/SessionWhitelist.h"

namespace nimbrel {

SessionBlockingSection::SessionBlockingSection(SessionEditorContext& context, QObject* parent)
    : QObject(parent), context_(context) {
    connect(&context_, &SessionEditorContext::stateChanged, this, [this] {
        refresh();
        emit changed();
    });
    refresh();
}

QString SessionBlockingSection::countText() const {
    return whitelistCountText(context_.state());
}

bool SessionBlockingSection::whitelistAll() const {
    return context_.state().whitelistAllApps;
}

void SessionBlockingSection::setWhitelistAll(bool on) {
    if (on == whitelistAll()) return;
    context_.change([on](SessionEditorState& state) { state.whitelistAllApps = on; });
}

QString SessionBlockingSection::whitelistAllSubtitle() const {
    return nimbrel::whitelistAllSubtitle(whitelistAll());
}

bool SessionBlockingSection::remind() const {
    return context_.state().remindBeforeSession;
}

void SessionBlockingSection::setRemind(bool on) {
    if (on == remind()) return;
    context_.change([on](SessionEditorState& state) { state.remindBeforeSession = on; });
}

QString SessionBlockingSection::remindSubtitle() const {
    return remindMeSubtitle(remind(), context_.state().remindBeforeSessionSeconds);
}

QString SessionBlockingSection::leadLabel() const {
    return reminderLeadLabel(context_.state().remindBeforeSessionSeconds);
}

QStringList SessionBlockingSection::leadChoices() const {
    QStringList labels;
    for (const SessionReminderLeadChoice& choice : sessionReminderLeadChoices())
        labels << choice.label;
    return labels;
}

QVariantList SessionBlockingSection::stripApps() const {
    const std::vector<NimbrelSessionApp>& apps = context_.state().whitelistedApps;
    QVariantList strip;
    for (std::size_t i = 0; i < apps.size() && i < SessionCardContent::kMaxStripApps; ++i)
        strip.append(QVariantMap{{QStringLiteral("key"), apps[i].identityKey()},
                                 {QStringLiteral("name"), apps[i].displayName},
                                 {QStringLiteral("icon"), context_.appIcon(apps[i])}});
    return strip;
}

QString SessionBlockingSection::stripOverflowText() const {
    const std::size_t count = context_.state().whitelistedApps.size();
    if (count <= SessionCardContent::kMaxStripApps) return {};
    return QStringLiteral("+") + QString::number(count - SessionCardContent::kMaxStripApps);
}

QString SessionBlockingSection::searchText() const {
    return context_.state().whitelistSearchText;
}

void SessionBlockingSection::setSearchText(const QString& text) {
    if (text == searchText()) return;
    context_.change([&](SessionEditorState& state) { state.whitelistSearchText = text; });
}

std::vector<NimbrelSessionApp> SessionBlockingSection::candidates() const {
    return whitelistCandidates(context_.state(), context_.catalogueApps());
}

bool SessionBlockingSection::allCandidates() const {
    return allCandidatesWhitelisted(context_.state(), candidates());
}

void SessionBlockingSection::setAllCandidates(bool on) {
    const std::vector<NimbrelSessionApp> shown = candidates();
    context_.change([&](SessionEditorState& state) { setAllCandidatesWhitelisted(state, shown, on); });
}

void SessionBlockingSection::refresh() {
    const SessionEditorState& state = context_.state();
    QVariantList rows;
    for (const NimbrelSessionApp& app : candidates()) {
        const bool selected = isWhitelisted(state, app);
        const bool dockApp = containsSameApp(state.selectedApps, app);
        rows.append(
            QVariantMap{{QStringLiteral("key"), app.identityKey()},
                        {QStringLiteral("name"), app.displayName},
                        {QStringLiteral("icon"), context_.appIcon(app)},
                        {QStringLiteral("isSelected"), selected},
                        {QStringLiteral("isDockApp"), dockApp},
                        {QStringLiteral("look"), rowLookMap(whitelistRowLook(app, selected, dockApp, false))},
                        {QStringLiteral("hoverLook"), rowLookMap(whitelistRowLook(app, selected, dockApp, true))}});
    }
    libraryRows_.setRows(rows);
}

void SessionBlockingSection::selectReminderLead(int index) {
    const auto& choices = sessionReminderLeadChoices();
    if (index < 0 || index >= static_cast<int>(choices.size())) return;
    const std::int64_t seconds = choices[static_cast<std::size_t>(index)].seconds;
    context_.change([seconds](SessionEditorState& state) { state.remindBeforeSessionSeconds = seconds; });
}

void SessionBlockingSection::openLibrary() {
    context_.change([](SessionEditorState& state) { state.whitelistSearchText.clear(); });
    context_.change([](SessionEditorState& state) { state.isShowingWhitelistLibrary = true; },
                    SessionEditorContext::kEditorSpring);
}

void SessionBlockingSection::closeLibrary() {
    context_.change([](SessionEditorState& state) { state.isShowingWhitelistLibrary = false; },
                    SessionEditorContext::kEditorSpring);
}

void SessionBlockingSection::toggleWhitelisted(const QString& rowKey) {
    // Rows follow the candidates one for one; a key that two apps share is made unique per row,
    // so the row is found by its own key and stands for the candidate at its place.
    const QVariantList& rows = libraryRows_.rows();
    const std::vector<NimbrelSessionApp> shown = candidates();
    for (std::size_t i = 0; i < std::size_t(rows.size()) && i < shown.size(); ++i) {
        if (rows[qsizetype(i)].toMap().value(QStringLiteral("key")).toString() != rowKey) continue;
        context_.change([&](SessionEditorState& state) { nimbrel::toggleWhitelisted(state, shown[i]); });
        return;
    }
}

} // namespace nimbrel
