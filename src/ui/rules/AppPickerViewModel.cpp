#include "ui/rules/AppPickerViewModel.h"

#include "platform/Platform.h"
#include "ui/common/AppIcons.h"
#include "ui/rules/AppPickerFilter.h"
#include "ui/rules/RuleEditorViewModel.h"

#include <QJSEngine>

namespace nimbrel {

AppPickerViewModel::AppPickerViewModel(RuleEditorViewModel& editor) : QObject(nullptr), editor_(editor) {
    QJSEngine::setObjectOwnership(this, QJSEngine::CppOwnership);
    connect(&editor_, &RuleEditorViewModel::changed, this, [this] {
        refreshRowModel();
        emit changed();
    });
    refreshRowModel();
}

void AppPickerViewModel::refreshRowModel() {
    // A hidden picker keeps its last rows, also while it slides out.
    if (editor_.isShowingAppPicker()) rowModel_.setRows(rowMaps());
}

QString AppPickerViewModel::searchText() const {
    return editor_.state().appPickerSearchText;
}

void AppPickerViewModel::setSearchText(const QString& text) {
    if (text == searchText()) return;
    editor_.motion()->withoutAnimation(
        [&] { editor_.edit([&](RuleEditorState& s) { s.appPickerSearchText = text; }); });
}

bool AppPickerViewModel::isLoading() const {
    return editor_.apps().empty() && editor_.isCatalogueLoading();
}

std::vector<QVariantMap> AppPickerViewModel::rowMaps() const {
    const QString selected = editor_.state().bundleIdentifier;
    std::vector<QVariantMap> out;
    for (const NimbrelInstalledApps::InstalledApp& app : filteredApps(editor_.apps(), searchText(), selected))
        out.push_back(QVariantMap{{QStringLiteral("id"), app.id},
                                  {QStringLiteral("displayName"), app.displayName},
                                  {QStringLiteral("bundleIdentifier"), app.bundleIdentifier},
                                  {QStringLiteral("path"), app.path},
                                  {QStringLiteral("isSelected"), app.bundleIdentifier == selected}});
    return out;
}

QVariantList AppPickerViewModel::rows() const {
    QVariantList out;
    for (QVariantMap& row : rowMaps())
        out.append(std::move(row));
    return out;
}

QVariantMap AppPickerViewModel::rowLook(bool isSelected, bool isHovering, const QString& bundleIdentifier) const {
    const AppPickerRowLook look = pickerRowLook(isSelected, isHovering, bundleIdentifier);
    return {{QStringLiteral("tone"), look.tone}, {QStringLiteral("subtitle"), look.subtitle}};
}

QVariantMap AppPickerViewModel::rowIcon(const QString& path) const {
    Platform& platform = editor_.platform();
    return fileIcon(*platform.workspace, *platform.files, path).toVariant();
}

void AppPickerViewModel::selectApp(const QString& bundleIdentifier) {
    editor_.motion()->withoutAnimation([&] {
        editor_.edit([&](RuleEditorState& s) {
            s.bundleIdentifier = bundleIdentifier;
            s.storedTrigger.reset(); // another app is picked
        });
    });
    editor_.closeAppPicker();
}

void AppPickerViewModel::removeSelectedApp(const QString&) {
    editor_.motion()->withoutAnimation([&] {
        editor_.edit([](RuleEditorState& s) {
            s.bundleIdentifier.clear();
            s.storedTrigger.reset();
        });
    });
}

} // namespace nimbrel
