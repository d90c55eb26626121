#include "SimProgram.h"

#include "ProcessScheduler.h"
#include "app/AppShell.h"
#include "app/MenuBarViewModel.h"
#include "app/OnboardingViewModel.h"
#include "app/PanelRootViewModel.h"
#include "app/ShellNames.h"
#include "app/SymbolNames.h"
#include "platform/NotificationCenter.h"
#include "platform/Screens.h"
#include "platform/SharedInstance.h"

#include <QCoreApplication>
#include <QHash>
#include <QPointer>

namespace nimbrel::simtool {

namespace {

// Nimbrel's item in the primary screen's menu bar, as the desktop window lays it out: 34 points
// wide, 4 points under the top, left of the system's own four items (30 points each, 6 apart)
// and a 14-point margin.
constexpr double kStatusItemWidth = 34;
constexpr double kStatusItemInset = 4;
constexpr double kSystemItemsWidth = 14 + 4 * 30 + 4 * 6;

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

} // namespace

struct SimProgram::Process {
    explicit Process(Platform& machine) : scheduler(*machine.scheduler), platform(machine) {
        platform.scheduler = &scheduler;
        previous = Platform::install(&platform);
    }
    ProcessScheduler scheduler;
    Platform platform;
    Platform* previous = nullptr;
    std::unique_ptr<AppShell> app;
    // The stand-in views: what they hold on to and their connections.
    QObject views;
    QPointer<QObject> content;
    NimbrelPanelScreen shownScreen = NimbrelPanelScreen::Main;
    // What waits for this process's end must not end the next one.
    Lifetime lifetime;
};

SimProgram::SimProgram(Platform& machine, Events events) : machine_(machine), events_(std::move(events)) {}

SimProgram::~SimProgram() {
    end(0, false);
}

bool SimProgram::launch() {
    if (process_) return false;
    process_ = std::make_unique<Process>(machine_);
    Process& p = *process_;
    if (events_.launching) events_.launching(p.platform);
    AppShell::Hooks hooks;
    hooks.terminate = [this] { endSoon(0); };
    hooks.exitProcess = [this](int status) { endSoon(status); };
    hooks.partStarted = events_.partStarted;
    p.app = std::make_unique<AppShell>(p.platform, std::move(hooks));
    ShellController& shell = p.app->shell();
    QObject::connect(&shell, &ShellController::panelContentChanged, &p.views, [this] { contentChanged(); });

    const std::vector<ScreenInfo> screens = p.platform.screens->screens();
    if (!screens.empty()) {
        const ScreenInfo& primary = screens.front();
        const double menuBar = primary.frame.maxY() - primary.visibleFrame.maxY();
        shell.setStatusButtonGeometry(primary.frame.width() - kSystemItemsWidth - kStatusItemWidth, kStatusItemInset,
                                      kStatusItemWidth, std::max(0.0, menuBar - 2 * kStatusItemInset));
    }
    p.app->launch();
    return true;
}

void SimProgram::endSoon(int status) {
    // As `nimbrel` does: the event loop returns on its next turn, then the program cleans up.
    machine_.scheduler->post(process_->lifetime.guard([this, status] { end(status, true); }));
}

void SimProgram::end(int status, bool cleanUp) {
    if (!process_) return;
    Process& p = *process_;
    if (cleanUp) p.app->willTerminate();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    p.app.reset();
    resetSharedInstances();
    p.scheduler.end();
    Platform::install(p.previous);
    process_.reset();
    if (cleanUp && events_.ended) events_.ended(status);
}

// ---- the stand-in views

void SimProgram::contentChanged() {
    Process& p = *process_;
    // The views of the content that goes are taken down first.
    if (auto* root = qobject_cast<PanelRootViewModel*>(p.content.data())) {
        QObject::disconnect(root, nullptr, &p.views, nullptr);
        if (root->screen() == NimbrelPanelScreen::Main)
            if (auto* menu = qobject_cast<MenuBarViewModel*>(root->menu())) menu->disappeared();
    } else if (auto* onboarding = qobject_cast<OnboardingViewModel*>(p.content.data())) {
        onboarding->disappeared();
    }
    p.content = p.app->shell().panelContent();
    if (auto* root = qobject_cast<PanelRootViewModel*>(p.content.data())) {
        // The root view builds its first screen, then asks for its height.
        p.shownScreen = root->screen();
        if (p.shownScreen == NimbrelPanelScreen::Main)
            if (auto* menu = qobject_cast<MenuBarViewModel*>(root->menu())) menu->appeared();
        root->appeared();
        QObject::connect(root, &PanelRootViewModel::screenChanged, &p.views, [this, root] { screenChanged(*root); });
    } else if (auto* onboarding = qobject_cast<OnboardingViewModel*>(p.content.data())) {
        onboarding->appeared();
    }
}

void SimProgram::screenChanged(PanelRootViewModel& root) {
    Process& p = *process_;
    const NimbrelPanelScreen screen = root.screen();
    auto* menu = qobject_cast<MenuBarViewModel*>(root.menu());
    if (menu && screen == NimbrelPanelScreen::Main && p.shownScreen != NimbrelPanelScreen::Main) menu->appeared();
    if (menu && screen != NimbrelPanelScreen::Main && p.shownScreen == NimbrelPanelScreen::Main) menu->disappeared();
    p.shownScreen = screen;
}

PanelRootViewModel* SimProgram::shownRoot() const {
    if (!process_) return nullptr;
    const ShellController& shell = process_->app->shell();
    if (!shell.isPanelVisible()) return nullptr;
    return qobject_cast<PanelRootViewModel*>(shell.panelContent());
}

MenuBarViewModel* SimProgram::shownMenu() const {
    PanelRootViewModel* root = shownRoot();
    if (!root || root->screen() != NimbrelPanelScreen::Main) return nullptr;
    return qobject_cast<MenuBarViewModel*>(root->menu());
}

OnboardingViewModel* SimProgram::shownOnboarding() const {
    if (!process_) return nullptr;
    const ShellController& shell = process_->app->shell();
    if (!shell.isPanelVisible()) return nullptr;
    return qobject_cast<OnboardingViewModel*>(shell.panelContent());
}

// ---- what the user does

QString SimProgram::quit() {
    if (!process_) return QStringLiteral("the program is not running");
    // What the main menu's Quit row posts.
    process_->platform.notifications->post(shell::kQuitRequested);
    return {};
}

QString SimProgram::clickStatusItem() {
    if (!process_ || !process_->app->shell().statusItemVisible())
        return QStringLiteral("Nimbrel's status item is not in the menu bar");
    process_->app->shell().statusItemClicked();
    return {};
}

QString SimProgram::openScreen(const QString& name) {
    static const QHash<QString, QString> notices = {
        {QStringLiteral("blacklist"), shell::kShowBlacklist}, {QStringLiteral("rules"), shell::kShowRules},
        {QStringLiteral("sessions"), shell::kShowSessions},   {QStringLiteral("activity"), shell::kShowActivity},
        {QStringLiteral("settings"), shell::kShowSettings},
    };
    if (!notices.contains(name))
        return QStringLiteral("no screen \"%1\" (blacklist, rules, sessions, activity or settings)").arg(name);
    MenuBarViewModel* menu = shownMenu();
    if (!menu) return QStringLiteral("the main menu is not shown");
    menu->postPanelNotification(notices.value(name));
    return {};
}

QString SimProgram::back() {
    PanelRootViewModel* root = shownRoot();
    if (!root || root->screen() == NimbrelPanelScreen::Main)
        return QStringLiteral("no screen with a way back is shown");
    // The rules and sessions screens are handed the root's back action; the others post the notice.
    if (root->screen() == NimbrelPanelScreen::Rules || root->screen() == NimbrelPanelScreen::Sessions)
        root->requestMainScreen();
    else
        root->post(shell::kShowMainWindow);
    return {};
}

QString SimProgram::choosePauseRow(const std::function<bool(const PauseMenuRow&)>& matches, const QString& missing) {
    MenuBarViewModel* menu = shownMenu();
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

QString SimProgram::pause(std::optional<double> seconds) {
    if (!seconds)
        return choosePauseRow([](const PauseMenuRow& r) { return r.action == PauseMenuRow::Action::pauseIndefinitely; },
                              QStringLiteral("the pause menu has no \"Until I Resume\""));
    return choosePauseRow(
        [&](const PauseMenuRow& r) { return r.action == PauseMenuRow::Action::pauseFor && r.seconds == *seconds; },
        QStringLiteral("the pause menu has no row of %1 seconds (300, 900, 1800, 3600, 21600, 43200, 86400)")
            .arg(number(*seconds)));
}

QString SimProgram::resume() {
    return choosePauseRow([](const PauseMenuRow& r) { return r.action == PauseMenuRow::Action::resume; },
                          QStringLiteral("the pause menu has no \"Resume Nimbrel\" (nothing is paused)"));
}

QString SimProgram::turnOnboardingSwitchOn() {
    OnboardingViewModel* onboarding = shownOnboarding();
    if (!onboarding) return QStringLiteral("the onboarding is not shown");
    if (!onboarding->switchEnabled()) return QStringLiteral("the onboarding's switch is disabled");
    onboarding->requestAccessibility(true);
    return {};
}

QString SimProgram::openSettingsInstead() {
    OnboardingViewModel* onboarding = shownOnboarding();
    if (!onboarding) return QStringLiteral("the onboarding is not shown");
    if (onboarding->accessibilityGranted())
        return QStringLiteral("the onboarding offers \"%1\" instead").arg(onboarding->footerTitle());
    onboarding->footerAction();
    return {};
}

// ---- what the user sees

SimProgram::Seen SimProgram::seen() const {
    Seen seen;
    if (!process_) return seen;
    const ShellController& shell = process_->app->shell();
    if (shell.statusItemVisible()) seen.statusItem = describeIcon(shell.statusIcon());
    if (!shell.panelExists() || !shell.isPanelVisible()) return seen;
    const QString frame = QStringLiteral("frame ") + describeFrame(shell.panelFrame());
    if (auto* root = qobject_cast<PanelRootViewModel*>(shell.panelContent())) {
        seen.panel = QStringLiteral("shown, menu, screen %1, %2").arg(root->screenName(), frame);
        if (MenuBarViewModel* menu = shownMenu()) {
            seen.panelText = QStringLiteral("status %1, pill %2, button %3")
                                 .arg(quoted(menu->statusTitle()), quoted(menu->accessibilityTitle()),
                                      quoted(menu->pauseButtonTitle()));
            if (menu->isCloudSyncing()) seen.panelText += QStringLiteral(", \"Syncing\"");
        }
    } else if (OnboardingViewModel* onboarding = shownOnboarding()) {
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

} // namespace nimbrel::simtool
