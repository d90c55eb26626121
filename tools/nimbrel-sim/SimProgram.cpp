#include "SimProgram.h"

#include "ProcessCloud.h"
#include "ProcessScheduler.h"
#include "app/AppShell.h"
#include "app/MenuBarViewModel.h"
#include "app/OnboardingViewModel.h"
#include "app/PanelRootViewModel.h"
#include "app/ShellNames.h"
#include "platform/Files.h"
#include "platform/NotificationCenter.h"
#include "platform/Screens.h"
#include "platform/SharedInstance.h"

#include <QCoreApplication>
#include <QPointer>

namespace nimbrel::simtool {

namespace {

// Nimbrel's item in the primary screen's menu bar, as the desktop window lays it out: 34 points
// wide, 4 points under the top, left of the system's own four items (30 points each, 6 apart)
// and a 14-point margin.
constexpr double kStatusItemWidth = 34;
constexpr double kStatusItemInset = 4;
constexpr double kSystemItemsWidth = 14 + 4 * 30 + 4 * 6;

} // namespace

struct SimProgram::Process {
    explicit Process(Platform& machine) : scheduler(*machine.scheduler), platform(machine) {
        platform.scheduler = &scheduler;
        if (machine.cloud) {
            cloud = std::make_unique<ProcessCloud>(*machine.cloud);
            platform.cloud = cloud.get();
        }
        previous = Platform::install(&platform);
    }
    ProcessScheduler scheduler;
    std::unique_ptr<ProcessCloud> cloud;
    Platform platform;
    Platform* previous = nullptr;
    std::unique_ptr<AppShell> app;
    // The stand-in views: what they hold on to and their connections.
    QObject views;
    QPointer<QObject> content;
    NimbrelPanelScreen shownScreen = NimbrelPanelScreen::Main;
    bool ending = false;
    // What waits for this process's end must not end the next one.
    Lifetime lifetime;
};

SimProgram::SimProgram(Platform& machine, Events events) : machine_(machine), events_(std::move(events)) {}

SimProgram::~SimProgram() {
    end(0, false);
}

bool SimProgram::isEnding() const {
    return process_ && process_->ending;
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
    process_->ending = true;
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
    if (p.cloud) p.cloud->end();
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

// ---- what the user does

QString SimProgram::quit() {
    if (!process_) return QStringLiteral("the program is not running");
    // What the main menu's Quit row posts.
    process_->platform.notifications->post(shell::kQuitRequested);
    return {};
}

bool SimProgram::kill() {
    if (!process_) return false;
    // What its objects write as they go would not be written by a killed process.
    const AtomicWriteFault previous =
        setAtomicWriteFaultForTesting([](const QString&) { return QStringLiteral("The process was killed."); });
    end(0, false);
    setAtomicWriteFaultForTesting(previous);
    return true;
}

Platform* SimProgram::platform() const {
    return process_ ? &process_->platform : nullptr;
}

ShellController* SimProgram::shell() const {
    return process_ ? &process_->app->shell() : nullptr;
}

} // namespace nimbrel::simtool
