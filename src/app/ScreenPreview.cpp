#include "app/ScreenPreview.h"

#include "app/PanelRootViewModel.h"

namespace nimbrel {

namespace {
constexpr double kPreviewHeight = 500 + 2 * ScreenPreview::kMargin;
}

ScreenPreview::ScreenPreview() {
    platform_.scheduler = &scheduler_;
    platform_.clock = &scheduler_;
    platform_.notifications = &notifications_;
    platform_.defaults = &defaults_;

    pause_ = std::make_unique<GlobalPauseController>(platform_, GlobalPauseController::Hooks{});
    contentHooks_.stores.enabledRuleCount = [] { return 2; };
    contentHooks_.stores.sessionCount = [] { return 3; };
    contentHooks_.menu.isProcessTrusted = [] { return true; };
    contentHooks_.onboarding.isProcessTrusted = [] { return false; };

    ShellController::Hooks hooks;
    hooks.primaryScreenHeight = [] { return kPreviewHeight; };
    hooks.visibleFrame = [] { return std::optional<ScreenRect>(); };
    hooks.makePanelContent = [this](PanelMode mode) {
        return makePanelContent(mode, platform_, *pause_, contentHooks_);
    };
    shell_ = std::make_unique<ShellController>(std::move(hooks));
    glass_ = std::make_unique<GlassStyle>(
        notifications_, [] { return false; }, [] { return 14; });
    hover_ = std::make_unique<HoverGeometry>();
}

ScreenPreview::~ScreenPreview() = default;

QStringList ScreenPreview::screenNames() {
    return {"onboarding", "main", "blacklist", "rules", "sessions", "activity", "settings"};
}

bool ScreenPreview::show(const QString& screen) {
    if (!screenNames().contains(screen)) return false;
    const PanelMode mode = screen == QStringLiteral("onboarding") ? PanelMode::Onboarding : PanelMode::Menu;
    const PanelSize size = panelSize(mode);
    const ScreenRect frame{kMargin, kPreviewHeight - kMargin - size.height, size.width, size.height};
    shell_->createPanel(frame);
    shell_->setPanelContent(mode);
    shell_->setPanelFrame(frame);
    shell_->orderPanelFront();
    static const QHash<QString, QString> notices = {
        {"blacklist", "Nimbrel.showBlacklist"}, {"rules", "Nimbrel.showRules"},
        {"sessions", "Nimbrel.showSessions"},   {"activity", "Nimbrel.showActivity"},
        {"settings", "Nimbrel.showSettings"},
    };
    if (notices.contains(screen)) notifications_.post(notices.value(screen));
    return true;
}

std::unique_ptr<QObject> ScreenPreview::makeContent(PanelMode mode) {
    return makePanelContent(mode, platform_, *pause_, contentHooks_);
}

QmlModels ScreenPreview::models() {
    return {shell_.get(), glass_.get(), hover_.get()};
}

} // namespace nimbrel
