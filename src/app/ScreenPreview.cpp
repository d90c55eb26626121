#include "app/ScreenPreview.h"

#include "app/MenuBarViewModel.h"
#include "app/PanelRootViewModel.h"
#include "app/ScreenModels.h"
#include "platform/SharedInstance.h"
#include "ui/rules/RulesPreview.h"
#include "ui/screens/ScreenPreviewData.h"
#include "ui/sessions/SessionEditorViewModel.h"
#include "ui/sessions/SessionsViewModel.h"

#include <QQuickItem>

namespace nimbrel {

namespace {
// Room for the paused menu below the pause button, past the panel's bottom.
constexpr double kRoomBelow = 380;
} // namespace

ScreenPreview::ScreenPreview(PreviewMac mac)
    : pictureSize_(panelSize(PanelMode::Menu).width + 2 * kMargin, panelSize(PanelMode::Menu).height + 2 * kMargin) {
    platform_.scheduler = &scheduler_;
    platform_.clock = &scheduler_;
    platform_.notifications = &notifications_;
    platform_.defaults = &defaults_;
    platform_.locations = Locations::underRoot(programFolders_.path());
    if (mac) {
        mac_ = mac(platform_);
        previousPlatform_ = Platform::install(&platform_);
        seedSettingsActivityBlacklistPreview(platform_);
        seedRulesPreview(platform_);
        sessions_ = std::make_unique<SessionsPreview>(platform_, shellSymbolLookup());
        scheduler_.runUntilIdle();
    }

    pause_ = std::make_unique<GlobalPauseController>(platform_, GlobalPauseController::Hooks{});
    contentHooks_.stores.enabledRuleCount = [] { return 2; };
    contentHooks_.stores.sessionCount = [] { return 3; };
    contentHooks_.menu.isProcessTrusted = [] { return true; };
    contentHooks_.onboarding.isProcessTrusted = [] { return false; };
    contentHooks_.stores.makeScreenModel = [this](NimbrelPanelScreen screen) -> std::unique_ptr<QObject> {
        if (!mac_) return nullptr;
        if (screen == NimbrelPanelScreen::Sessions) return sessions_->makeViewModel();
        return makeScreenModel(screen, platform_);
    };

    ShellController::Hooks hooks;
    // The picture is the screen the panel hangs in.
    hooks.primaryScreenHeight = [this] { return pictureSize_.height(); };
    hooks.visibleFrame = [this] {
        return std::optional(ScreenRect{0, 0, pictureSize_.width(), pictureSize_.height()});
    };
    hooks.makePanelContent = [this](PanelMode mode) {
        return makePanelContent(mode, platform_, *pause_, contentHooks_);
    };
    shell_ = std::make_unique<ShellController>(std::move(hooks));
    glass_ = std::make_unique<GlassStyle>(
        notifications_, [] { return false; }, [] { return 14; });
    hover_ = std::make_unique<HoverGeometry>();
}

ScreenPreview::~ScreenPreview() {
    shell_.reset();
    sessions_.reset();
    if (!mac_) return;
    resetSharedInstances();
    Platform::install(previousPlatform_);
}

QStringList ScreenPreview::screenNames() {
    return QStringList{"onboarding", "main",     "blacklist",  "rules",      "sessions",
                       "activity",   "settings", "pause-menu", "paused-menu"} +
           sessionEditorShots();
}

QStringList ScreenPreview::sessionEditorShots() {
    return {"session-schedule", "session-wallpaper",      "session-symbol",           "session-blocking",
            "session-dock",     "session-symbol-library", "session-whitelist-library"};
}

bool ScreenPreview::arrange(const QString& screen, QQuickItem* panel, int step) {
    // What the screens post for their next turn (their entrance among them) runs first.
    scheduler_.runUntilIdle();
    if (step == 0) return true;
    if (!sessionEditorShots().contains(screen)) return false;
    auto* root = qobject_cast<PanelRootViewModel*>(shell_->panelContent());
    auto* list = root ? qobject_cast<SessionsViewModel*>(root->screenModel()) : nullptr;
    if (!list || list->sortedSessions().empty()) return false;
    if (step == 1) {
        list->editSession(list->sortedSessions().front().id.toString());
        SessionEditorViewModel* editor = list->editorModel();
        if (screen == QStringLiteral("session-symbol-library")) editor->symbols()->openLibrary();
        if (screen == QStringLiteral("session-whitelist-library")) editor->blocking()->openLibrary();
        return true;
    }
    if (step > 2 || screen.endsWith(QStringLiteral("-library"))) return false;
    // Scrolls the editor's column so that the section's card stands at its top.
    auto* scroller = panel->findChild<QQuickItem*>(QStringLiteral("editorScroll"));
    auto* section = panel->findChild<QQuickItem*>(screen.mid(8) + QStringLiteral("Section"));
    if (!scroller || !section) return false;
    const double bottom = scroller->property("contentHeight").toDouble() - scroller->height();
    scroller->setProperty("contentY", std::clamp(section->y(), 0.0, std::max(bottom, 0.0)));
    return true;
}

bool ScreenPreview::show(const QString& screen) {
    if (!screenNames().contains(screen)) return false;
    const PanelMode mode = screen == QStringLiteral("onboarding") ? PanelMode::Onboarding : PanelMode::Menu;
    const PanelSize size = panelSize(mode);
    const double below = screen == QStringLiteral("paused-menu") ? kRoomBelow : 0;
    pictureSize_ = QSizeF(size.width + 2 * kMargin, size.height + 2 * kMargin + below);
    const ScreenRect frame{kMargin, pictureSize_.height() - kMargin - size.height, size.width, size.height};
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
    if (sessionEditorShots().contains(screen)) notifications_.post(QStringLiteral("Nimbrel.showSessions"));
    return true;
}

QSizeF ScreenPreview::pictureSize() const {
    return pictureSize_;
}

bool openPauseMenu(ShellController& shell, bool paused) {
    auto* root = qobject_cast<PanelRootViewModel*>(shell.panelContent());
    auto* menu = root ? qobject_cast<MenuBarViewModel*>(root->menu()) : nullptr;
    if (!menu) return false;
    if (paused) menu->choosePauseRow(1); // "15 Minutes"; closes the menu
    if (!menu->showingPauseMenu()) menu->togglePauseMenu();
    return true;
}

std::unique_ptr<QObject> ScreenPreview::makeContent(PanelMode mode) {
    return makePanelContent(mode, platform_, *pause_, contentHooks_);
}

QmlModels ScreenPreview::models() {
    return {shell_.get(), glass_.get(), hover_.get()};
}

} // namespace nimbrel
