#include "ui/rules/RuleActionsViewModel.h"

#include "platform/Alerts.h"
#include "platform/Platform.h"
#include "ui/rules/RuleEditorViewModel.h"

#include <QJSEngine>

namespace nimbrel {

namespace {

QString lastPathComponent(const QString& path) {
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

QStringList folderMenuFor(const std::optional<NimbrelFolderTarget>& custom) {
    QStringList titles;
    for (FolderChoice choice : folderChoice::allCases())
        titles << folderChoice::menuTitle(choice, custom);
    return titles;
}

QString customButtonTitle(const std::optional<NimbrelFolderTarget>& custom) {
    return custom ? custom->displayName : QStringLiteral("Choose Custom Folder");
}

template <typename Row> Row* rowWithId(std::vector<Row>& rows, const QString& id) {
    for (Row& row : rows)
        if (row.id.toString() == id) return &row;
    return nullptr;
}

} // namespace

RuleActionsViewModel::RuleActionsViewModel(RuleEditorViewModel& editor) : QObject(nullptr), editor_(editor) {
    QJSEngine::setObjectOwnership(this, QJSEngine::CppOwnership);
    connect(&editor_, &RuleEditorViewModel::changed, this, [this] {
        refreshRows();
        emit changed();
    });
    refreshRows();
}

void RuleActionsViewModel::editRow(const std::function<void(RuleEditorState&)>& change) {
    editor_.motion()->withoutAnimation([&] { editor_.edit(change); });
}

RuleActionsViewModel::PlacementFields RuleActionsViewModel::placementFields(RuleEditorState& state,
                                                                            const QString& rowId) {
    if (rowId.isEmpty()) return {&state.placement, &state.displayTarget};
    if (auto* row = rowWithId(state.childActions, rowId)) return {&row->placement, &row->displayTarget};
    if (auto* row = rowWithId(state.browserChildActions, rowId)) return {&row->placement, &row->displayTarget};
    return {};
}

QString RuleActionsViewModel::folderTitle() const {
    return folderChoice::menuTitle(editor_.state().folder, editor_.state().customFolderTarget);
}

QStringList RuleActionsViewModel::folderMenu() const {
    return folderMenuFor(editor_.state().customFolderTarget);
}

bool RuleActionsViewModel::isCustomFolder() const {
    return editor_.state().folder == FolderChoice::custom;
}

QString RuleActionsViewModel::customFolderButtonTitle() const {
    return customButtonTitle(editor_.state().customFolderTarget);
}

QString RuleActionsViewModel::placementTitle() const {
    return title(editor_.state().placement);
}

QString RuleActionsViewModel::monitorTitle() const {
    return editor_.state().displayTarget.displayName();
}

QString RuleActionsViewModel::websiteText() const {
    return editor_.state().browserURLText;
}

QString RuleActionsViewModel::openingModeTitle() const {
    return title(editor_.state().browserOpeningMode);
}

bool RuleActionsViewModel::opensNewWindow() const {
    return editor_.state().browserOpeningMode == NimbrelBrowserOpeningMode::newWindow;
}

QStringList RuleActionsViewModel::placementMenu() const {
    QStringList titles;
    for (NimbrelWindowPlacement placement : allCases<NimbrelWindowPlacement>())
        titles << title(placement);
    return titles;
}

QStringList RuleActionsViewModel::monitorMenu() const {
    const std::vector<NimbrelDisplayTarget> screens = editor_.externalScreens();
    if (screens.empty()) return {};
    QStringList titles{NimbrelDisplayTarget{}.displayName()};
    for (const NimbrelDisplayTarget& screen : screens)
        titles << screen.displayName();
    return titles;
}

QStringList RuleActionsViewModel::openingModeMenu() const {
    QStringList titles;
    for (NimbrelBrowserOpeningMode mode : allCases<NimbrelBrowserOpeningMode>())
        titles << title(mode);
    return titles;
}

void RuleActionsViewModel::refreshRows() {
    std::vector<QVariantMap> folders;
    for (const RuleEditorChildAction& row : editor_.state().childActions)
        folders.push_back(
            QVariantMap{{QStringLiteral("id"), row.id.toString()},
                        {QStringLiteral("folderTitle"), folderChoice::menuTitle(row.folder, row.customFolderTarget)},
                        {QStringLiteral("folderMenu"), folderMenuFor(row.customFolderTarget)},
                        {QStringLiteral("isCustomFolder"), row.folder == FolderChoice::custom},
                        {QStringLiteral("customFolderButtonTitle"), customButtonTitle(row.customFolderTarget)},
                        {QStringLiteral("placementTitle"), title(row.placement)},
                        {QStringLiteral("monitorTitle"), row.displayTarget.displayName()}});
    folderRows_.setRows(std::move(folders));
    std::vector<QVariantMap> websites;
    for (const RuleEditorBrowserChildAction& row : editor_.state().browserChildActions)
        websites.push_back(
            QVariantMap{{QStringLiteral("id"), row.id.toString()},
                        {QStringLiteral("websiteText"), row.urlString},
                        {QStringLiteral("openingModeTitle"), title(row.openingMode)},
                        {QStringLiteral("opensNewWindow"), row.openingMode == NimbrelBrowserOpeningMode::newWindow},
                        {QStringLiteral("placementTitle"), title(row.placement)},
                        {QStringLiteral("monitorTitle"), row.displayTarget.displayName()}});
    websiteRows_.setRows(std::move(websites));
}

void RuleActionsViewModel::chooseFolder(const QString& rowId, int index) {
    const std::vector<FolderChoice> choices = folderChoice::allCases();
    if (index < 0 || index >= int(choices.size())) return;
    const FolderChoice choice = choices[size_t(index)];
    editRow([&](RuleEditorState& s) {
        if (rowId.isEmpty())
            s.folder = choice;
        else if (auto* row = rowWithId(s.childActions, rowId))
            row->folder = choice;
    });
    if (choice == FolderChoice::custom) chooseCustomFolder(rowId);
}

void RuleActionsViewModel::chooseCustomFolder(const QString& rowId) {
    Alerts* alerts = editor_.platform().alerts;
    if (!alerts) return;
    OpenPanelRequest request;
    request.title = QStringLiteral("Select Folder");
    request.prompt = QStringLiteral("Select");
    request.canChooseFiles = false;
    request.canChooseDirectories = true;
    request.allowsMultipleSelection = false;
    request.canCreateDirectories = false;
    const std::optional<QStringList> chosen = alerts->runOpenPanel(request);
    if (!chosen || chosen->isEmpty() || chosen->first().isEmpty()) return; // cancelled: nothing changes
    const QString path = chosen->first();
    const QString name = lastPathComponent(path);
    const NimbrelFolderTarget folder{name.isEmpty() ? path : name, path};
    editRow([&](RuleEditorState& s) {
        if (rowId.isEmpty())
            s.customFolderTarget = folder;
        else if (auto* row = rowWithId(s.childActions, rowId))
            row->customFolderTarget = folder;
    });
}

void RuleActionsViewModel::choosePlacement(const QString& rowId, int index) {
    const std::vector<NimbrelWindowPlacement> placements = allCases<NimbrelWindowPlacement>();
    if (index < 0 || index >= int(placements.size())) return;
    editRow([&](RuleEditorState& s) {
        if (auto* placement = placementFields(s, rowId).placement) *placement = placements[size_t(index)];
    });
}

void RuleActionsViewModel::chooseMonitor(const QString& rowId, int index) {
    const std::vector<NimbrelDisplayTarget> screens = editor_.externalScreens();
    if (index < 0 || index > int(screens.size())) return;
    const NimbrelDisplayTarget target = index == 0 ? NimbrelDisplayTarget{} : screens[size_t(index - 1)];
    editRow([&](RuleEditorState& s) {
        if (auto* display = placementFields(s, rowId).display) *display = target;
    });
}

void RuleActionsViewModel::setWebsiteText(const QString& rowId, const QString& text) {
    editRow([&](RuleEditorState& s) {
        if (rowId.isEmpty())
            s.browserURLText = text;
        else if (auto* row = rowWithId(s.browserChildActions, rowId))
            row->urlString = text;
    });
}

void RuleActionsViewModel::chooseOpeningMode(const QString& rowId, int index) {
    const std::vector<NimbrelBrowserOpeningMode> modes = allCases<NimbrelBrowserOpeningMode>();
    if (index < 0 || index >= int(modes.size())) return;
    editRow([&](RuleEditorState& s) {
        if (rowId.isEmpty())
            s.browserOpeningMode = modes[size_t(index)];
        else if (auto* row = rowWithId(s.browserChildActions, rowId))
            row->openingMode = modes[size_t(index)];
    });
}

void RuleActionsViewModel::addFinderChildAction() {
    editRow([](RuleEditorState& s) { s.childActions.push_back(RuleEditorChildAction{}); });
}

void RuleActionsViewModel::removeFinderChildAction(const QString& rowId) {
    editRow([&](RuleEditorState& s) {
        std::erase_if(s.childActions, [&](const RuleEditorChildAction& row) { return row.id.toString() == rowId; });
    });
}

void RuleActionsViewModel::addBrowserChildAction() {
    editRow([](RuleEditorState& s) { s.browserChildActions.push_back(RuleEditorBrowserChildAction{}); });
}

void RuleActionsViewModel::removeBrowserChildAction(const QString& rowId) {
    editRow([&](RuleEditorState& s) {
        std::erase_if(s.browserChildActions,
                      [&](const RuleEditorBrowserChildAction& row) { return row.id.toString() == rowId; });
    });
}

} // namespace nimbrel
