#include "ui/rules/RuleEditorViewModel.h"

#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "ui/common/AppIcons.h"
#include "ui/rules/AppPickerViewModel.h"
#include "ui/rules/RuleActionsViewModel.h"
#include "ui/rules/RuleScheduleViewModel.h"
#include "ui/rules/TerminalCommandsViewModel.h"

namespace nimbrel {

namespace {
// The spring of the app picker coming in and going out.
constexpr double kPickerResponse = 0.46;
constexpr double kPickerDamping = 0.88;

QString timesText(std::int64_t count) {
    return QString::number(count) + QStringLiteral(" time") + (count == 1 ? QString() : QStringLiteral("s"));
}
} // namespace

RuleEditorViewModel::RuleEditorViewModel(Platform& platform, std::optional<NimbrelRule> rule, QString defaultName,
                                         std::shared_ptr<NimbrelInstalledApps> catalogue, Services services,
                                         QObject* parent)
    : QObject(parent), platform_(platform), rule_(std::move(rule)), defaultName_(std::move(defaultName)),
      catalogue_(std::move(catalogue)), services_(std::move(services)), state_(loadEditorState(rule_)) {
    // The chosen app's name, hint and sections follow the catalogue when its scan finishes.
    appsObserver_ = catalogue_->apps().observe([this](const auto&) { emit changed(); });
    loadingObserver_ = catalogue_->isLoading().observe([this](bool) { emit changed(); });
    picker_ = std::make_unique<AppPickerViewModel>(*this);
    actions_ = std::make_unique<RuleActionsViewModel>(*this);
    terminal_ = std::make_unique<TerminalCommandsViewModel>(*this);
    schedule_ = std::make_unique<RuleScheduleViewModel>(*this);
}

RuleEditorViewModel::~RuleEditorViewModel() = default;

QObject* RuleEditorViewModel::picker() const {
    return picker_.get();
}
QObject* RuleEditorViewModel::actions() const {
    return actions_.get();
}
QObject* RuleEditorViewModel::terminal() const {
    return terminal_.get();
}
QObject* RuleEditorViewModel::schedule() const {
    return schedule_.get();
}

void RuleEditorViewModel::edit(const std::function<void(RuleEditorState&)>& edit) {
    edit(state_);
    emit changed();
}

void RuleEditorViewModel::setName(const QString& name) {
    if (name == state_.name) return;
    motion_.withoutAnimation([&] { edit([&](RuleEditorState& s) { s.name = name; }); });
}

QString RuleEditorViewModel::subtitle() const {
    return rule_ ? QStringLiteral("Edit and organize your automation rule.")
                 : QStringLiteral("Name your rule and build an automation.");
}

QString RuleEditorViewModel::clickCountText() const {
    return timesText(state_.clickCount);
}

QStringList RuleEditorViewModel::clickCountMenu() const {
    return {timesText(1), timesText(2), timesText(3)};
}

QString RuleEditorViewModel::chosenAppSubtitle() const {
    const NimbrelRuleAppTarget app = selectedApp();
    if (app.bundleIdentifier && !app.bundleIdentifier->isEmpty()) return *app.bundleIdentifier;
    return QStringLiteral("Choose an app to trigger this rule");
}

QVariantMap RuleEditorViewModel::appIcon(const std::optional<QString>& bundleIdentifier,
                                         const std::optional<QString>& path) const {
    if (bundleIdentifier)
        for (const NimbrelInstalledApps::InstalledApp& entry : apps())
            if (entry.bundleIdentifier == *bundleIdentifier)
                return fileIcon(*platform_.workspace, *platform_.files, entry.path).toVariant();
    if (path) return fileIcon(*platform_.workspace, *platform_.files, *path).toVariant();
    return genericAppIcon().toVariant();
}

QVariantMap RuleEditorViewModel::chosenAppIcon() const {
    if (!isAppChosen(state_)) return genericAppIcon().toVariant();
    const NimbrelRuleAppTarget app = selectedApp();
    return appIcon(app.bundleIdentifier, app.path);
}

QString RuleEditorViewModel::actionBlockName() const {
    switch (block()) {
    case RuleActionBlock::finder:
        return QStringLiteral("finder");
    case RuleActionBlock::browser:
        return QStringLiteral("browser");
    case RuleActionBlock::terminal:
        return QStringLiteral("terminal");
    case RuleActionBlock::universal:
        break;
    }
    return QStringLiteral("universal");
}

std::vector<NimbrelDisplayTarget> RuleEditorViewModel::externalScreens() const {
    return services_.externalScreens ? services_.externalScreens() : std::vector<NimbrelDisplayTarget>{};
}

void RuleEditorViewModel::setClickCount(int count) {
    motion_.withoutAnimation([&] { edit([count](RuleEditorState& s) { s.clickCount = count; }); });
}

void RuleEditorViewModel::setShowingAppPicker(bool showing) {
    edit([showing](RuleEditorState& s) { s.isShowingAppPicker = showing; });
}

void RuleEditorViewModel::openAppPicker() {
    motion_.withoutAnimation([this] { edit([](RuleEditorState& s) { s.appPickerSearchText.clear(); }); });
    motion_.withSpringAnimation(kPickerResponse, kPickerDamping, [this] { setShowingAppPicker(true); });
}

void RuleEditorViewModel::closeAppPicker() {
    motion_.withSpringAnimation(kPickerResponse, kPickerDamping, [this] { setShowingAppPicker(false); });
}

void RuleEditorViewModel::cancel() {
    if (services_.onCancel) services_.onCancel();
}

void RuleEditorViewModel::save() {
    const std::optional<NimbrelRule> rule =
        buildRule(state_, RuleSaveContext{rule_, defaultName_, apps(), platform_.clock->now()});
    if (rule && services_.onSave) services_.onSave(*rule);
}

} // namespace nimbrel
