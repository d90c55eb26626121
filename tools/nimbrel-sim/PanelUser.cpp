#include "PanelUser.h"

#include "app/MenuBarViewModel.h"
#include "app/OnboardingViewModel.h"
#include "app/PanelRootViewModel.h"
#include "app/ShellController.h"
#include "app/ShellNames.h"
#include "app/SymbolNames.h"

#include <QHash>

namespace nimbrel::simtool::panel {

namespace {

QString number(double v) {
    return QString::number(v, 'g', 10);
}

QString describeIcon(const MenuBarIconImage& icon) {
    if (icon.kind == MenuBarIconImage::Kind::Symbol)
        return QStringLiteral("%1 (symbol, tinted %2)").arg(icon.name, ShellController::kTemplateTint);
    return QStringLiteral("%1 (asset, %2)").arg(icon.name, assetIconColor(icon.name).value_or(QStringLiteral("?")));
}

QString describeFrame(const ScreenRect& r) {
    return QStringLiteral("{{%1, %2}, {%3, %4}}").arg(number(r.x), number(r.y), number(r.width), number(r.height));
}

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

PanelRootViewModel* shownRoot(const ShellController* shell) {
    if (!shell || !shell->isPanelVisible()) return nullptr;
    return qobject_cast<PanelRootViewModel*>(shell->panelContent());
}

MenuBarViewModel* shownMenu(const ShellController* shell) {
    PanelRootViewModel* root = shownRoot(shell);
    if (!root || root->screen() != NimbrelPanelScreen::Main) return nullptr;
    return qobject_cast<MenuBarViewModel*>(root->menu());
}

OnboardingViewModel* shownOnboarding(const ShellController* shell) {
    if (!shell || !shell->isPanelVisible()) return nullptr;
    return qobject_cast<OnboardingViewModel*>(shell->panelContent());
}

// Opens the main menu's pause menu and chooses the first row that `matches`.
QString choosePauseRow(ShellController* shell, const std::function<bool(const PauseMenuRow&)>& matches,
                       const QString& missing) {
    MenuBarViewModel* menu = shownMenu(shell);
    if (!menu) return QStringLiteral("the main menu is not shown");
    const std::vector<PauseMenuRow> rows = pauseMenuRows(menu->isPaused());
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!matches(rows[i])) continue;
        menu->togglePauseMenu();
        menu->choosePauseRow(int(i));
        return {};
    }
    return missing;
}

} // namespace

QString clickStatusItem(ShellController* shell) {
    if (!shell || !shell->statusItemVisible()) return QStringLiteral("Nimbrel's status item is not in the menu bar");
    shell->statusItemClicked();
    return {};
}

QString openScreen(ShellController* shell, const QString& name) {
    static const QHash<QString, QString> notices = {
        {QStringLiteral("blacklist"), shell::kShowBlacklist}, {QStringLiteral("rules"), shell::kShowRules},
        {QStringLiteral("sessions"), shell::kShowSessions},   {QStringLiteral("activity"), shell::kShowActivity},
        {QStringLiteral("settings"), shell::kShowSettings},
    };
    if (!notices.contains(name))
        return QStringLiteral("no screen \"%1\" (blacklist, rules, sessions, activity or settings)").arg(name);
    MenuBarViewModel* menu = shownMenu(shell);
    if (!menu) return QStringLiteral("the main menu is not shown");
    menu->postPanelNotification(notices.value(name));
    return {};
}

QString back(ShellController* shell) {
    PanelRootViewModel* root = shownRoot(shell);
    if (!root || root->screen() == NimbrelPanelScreen::Main)
        return QStringLiteral("no screen with a way back is shown");
    // The rules and sessions screens are handed the root's back action; the others post the notice.
    if (root->screen() == NimbrelPanelScreen::Rules || root->screen() == NimbrelPanelScreen::Sessions)
        root->requestMainScreen();
    else
        root->post(shell::kShowMainWindow);
    return {};
}

QString pause(ShellController* shell, std::optional<double> seconds) {
    if (!seconds)
        return choosePauseRow(
            shell, [](const PauseMenuRow& r) { return r.action == PauseMenuRow::Action::pauseIndefinitely; },
            QStringLiteral("the pause menu has no \"Until I Resume\""));
    return choosePauseRow(
        shell,
        [&](const PauseMenuRow& r) { return r.action == PauseMenuRow::Action::pauseFor && r.seconds == *seconds; },
        QStringLiteral("the pause menu has no row of %1 seconds (300, 900, 1800, 3600, 21600, 43200, 86400)")
            .arg(number(*seconds)));
}

QString resume(ShellController* shell) {
    return choosePauseRow(
        shell, [](const PauseMenuRow& r) { return r.action == PauseMenuRow::Action::resume; },
        QStringLiteral("the pause menu has no \"Resume Nimbrel\" (nothing is paused)"));
}

QString turnOnboardingSwitchOn(ShellController* shell) {
    OnboardingViewModel* onboarding = shownOnboarding(shell);
    if (!onboarding) return QStringLiteral("the onboarding is not shown");
    if (!onboarding->switchEnabled()) return QStringLiteral("the onboarding's switch is disabled");
    onboarding->requestAccessibility(true);
    return {};
}

QString openSettingsInstead(ShellController* shell) {
    OnboardingViewModel* onboarding = shownOnboarding(shell);
    if (!onboarding) return QStringLiteral("the onboarding is not shown");
    if (onboarding->accessibilityGranted())
        return QStringLiteral("the onboarding offers \"%1\" instead").arg(onboarding->footerTitle());
    onboarding->footerAction();
    return {};
}

QString quitFromOnboarding(ShellController* shell) {
    OnboardingViewModel* onboarding = shownOnboarding(shell);
    if (!onboarding) return QStringLiteral("the onboarding is not shown");
    onboarding->quit();
    return {};
}

QString openPermissions(ShellController* shell) {
    MenuBarViewModel* menu = shownMenu(shell);
    if (!menu) return QStringLiteral("the main menu is not shown");
    menu->openPermissions();
    return {};
}

// ---- what the user sees

Seen seen(const ShellController* program) {
    Seen seen;
    if (!program) return seen;
    const ShellController& shell = *program;
    if (shell.statusItemVisible()) seen.statusItem = describeIcon(shell.statusIcon());
    if (!shell.panelExists() || !shell.isPanelVisible()) return seen;
    const QString frame = QStringLiteral("frame ") + describeFrame(shell.panelFrame());
    if (auto* root = qobject_cast<PanelRootViewModel*>(shell.panelContent())) {
        seen.panel = QStringLiteral("shown, menu, screen %1, %2").arg(root->screenName(), frame);
        if (MenuBarViewModel* menu = shownMenu(&shell)) {
            seen.panelText = QStringLiteral("status %1, pill %2, button %3")
                                 .arg(quoted(menu->statusTitle()), quoted(menu->accessibilityTitle()),
                                      quoted(menu->pauseButtonTitle()));
            if (menu->isCloudSyncing()) seen.panelText += QStringLiteral(", \"Syncing\"");
        }
    } else if (OnboardingViewModel* onboarding = shownOnboarding(&shell)) {
        seen.panel = QStringLiteral("shown, onboarding, ") + frame;
        seen.panelText = QStringLiteral("permission %1, switch %2%3, button %4")
                             .arg(quoted(onboarding->statusLine()),
                                  onboarding->accessibilityGranted() ? QStringLiteral("on") : QStringLiteral("off"),
                                  onboarding->switchEnabled() ? QString() : QStringLiteral(" (disabled)"),
                                  quoted(onboarding->footerTitle()));
    } else {
        seen.panel = QStringLiteral("shown, ") + frame;
    }
    return seen;
}

} // namespace nimbrel::simtool::panel
