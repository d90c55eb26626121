#include "program/NimbrelProgram.h"

#include "app/QmlSetup.h"
#include "app/ScreenModels.h"
#include "app/ShellNames.h"
#include "app/SymbolImageProvider.h"
#include "desktop/DesktopQml.h"
#include "model/SettingsStore.h"
#include "platform/BuildVersion.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/SharedInstance.h"
#include "platform/SystemInfo.h"
#include "platform/local/TerminationSignals.h"
#include "program/TrayIcon.h"
#include "ui/screens/AccountPicture.h"

#include <QCoreApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace nimbrel {

namespace {

QString signalName(int number) {
    switch (number) {
    case SIGINT:
        return QStringLiteral("SIGINT");
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    default:
        return QStringLiteral("signal %1").arg(number);
    }
}

} // namespace

namespace {

// The name, domain and version the application object reports, set before anything of the
// program is made: the settings screen shows the version as the program's own.
NimbrelProgram::Host identifiedApplication(NimbrelProgram::Host host) {
    QCoreApplication::setApplicationName(QStringLiteral("Nimbrel"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("nimbrel.com"));
    applyBuildVersion();
    return host;
}

} // namespace

NimbrelProgram::NimbrelProgram(Host host, Locations locations)
    : host_(identifiedApplication(host)), facilities_(std::make_unique<ProgramFacilities>(std::move(locations))),
      platform_(facilities_->platform()) {
    ProgramFacilities& f = *facilities_;
    previousPlatform_ = Platform::install(&platform_);
    // Pictures from the cloud are decoded with the screens' image library.
    installAccountPictureScaler();
    // From the start: a signal that comes before the loop runs is taken up once it does.
    signals_ = std::make_unique<TerminationSignals>([this](int number) { handleSignal(number); });

    glass_ = std::make_unique<GlassStyle>(
        f.notifications(), [this] { return NimbrelSettingsStore::isLiquidGlassActive(platform_); },
        [this] { return platform_.systemInfo->operatingSystemVersion().majorVersion; });
    hover_ = std::make_unique<HoverGeometry>();
    if (host_ == Host::desktop) {
        desktop_ = std::make_unique<DesktopViewModel>(f.simulated().mac(), f.scheduler());
        // An open panel or an alert is answered by a person at the desktop window, as on a Mac.
        f.simulated().alerts().setOpenPanelPresenter(
            [panel = &desktop_->openPanel()](const OpenPanelRequest& request) { return panel->run(request); });
        f.simulated().alerts().setModalLoop(
            [alert = &desktop_->alert()](const AlertRequest& request) { return alert->run(request); });
    }

    AppShell::Hooks hooks;
    hooks.terminate = [] { QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); };
    hooks.exitProcess = [this](int status) {
        // The loop did not end in time. Everything is saved first; then the process ends
        // without running the destructors of objects still in use.
        willTerminate();
        std::fflush(nullptr);
        std::_Exit(status);
    };
    // The simulated Mac's prompt leads to the same switch in System Settings.
    hooks.trustPromptShown = [this] {
        if (desktop_) desktop_->openAccessibilitySettings();
    };
    hooks.makeScreenModel = [this](NimbrelPanelScreen screen) { return makeScreenModel(screen, platform_); };
    app_ = std::make_unique<AppShell>(platform_, std::move(hooks));
}

NimbrelProgram::~NimbrelProgram() {
    facilities_->simulated().alerts().setOpenPanelPresenter({});
    facilities_->simulated().alerts().setModalLoop({});
    signals_.reset();
    // No worker may outlive what the stores and the engine hand it.
    facilities_->scheduler().stop();
    qml_.reset();
    app_.reset();
    resetSharedInstances();
    Platform::install(previousPlatform_);
}

bool NimbrelProgram::start() {
    qml_ = std::make_unique<QQmlApplicationEngine>();
    setUpQmlEngine(*qml_, {&app_->shell(), glass_.get(), hover_.get()});
    setUpDesktopQml(*qml_, desktop_.get());
    qml_->load(QUrl(host_ == Host::desktop ? QStringLiteral("qrc:/Nimbrel/Desktop/DesktopWindow.qml")
                                           : QStringLiteral("qrc:/Nimbrel/Desktop/PanelWindow.qml")));
    if (qml_->rootObjects().isEmpty()) return false;

    tray_ = makeTrayIcon(QStringLiteral("Nimbrel"), [this] { app_->delegate().togglePanel(); });
    if (tray_) connect(&app_->shell(), &ShellController::statusItemChanged, this, &NimbrelProgram::updateTrayIcon);
    app_->launch();
    return true;
}

QQuickWindow* NimbrelProgram::desktopWindow() const {
    if (!qml_ || qml_->rootObjects().isEmpty()) return nullptr;
    return qobject_cast<QQuickWindow*>(qml_->rootObjects().constFirst());
}

void NimbrelProgram::onFirstPanelFrame(std::function<void()> ready) {
    QQuickWindow* window = desktopWindow();
    if (!window) return;
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(window, &QQuickWindow::frameSwapped, this, [this, connection, ready] {
        if (!app_->shell().isPanelVisible()) return;
        disconnect(*connection);
        ready();
    });
}

void NimbrelProgram::updateTrayIcon() {
    if (!tray_) return;
    if (!app_->shell().statusItemVisible()) {
        tray_->setVisible(false);
        return;
    }
    const QString source = app_->shell().statusIconSource();
    const QString id = source.mid(QStringLiteral("image://symbol/").size());
    tray_->setIcon(renderSymbolOrStandIn(id, QSize(64, 64)));
    tray_->setVisible(true);
}

void NimbrelProgram::willTerminate() {
    if (!app_ || terminated_) return;
    terminated_ = true;
    app_->willTerminate();
    facilities_->shutDown();
    // Only now: a signal during the writes above waits unread instead of cutting them short.
    signals_.reset();
}

void NimbrelProgram::handleSignal(int number) {
    logLine(QStringLiteral("NimbrelApp"), QStringLiteral("received %1, quitting").arg(signalName(number)));
    // Saved before anything else, in case the quit does not get far.
    facilities_->flush();
    quit();
}

void NimbrelProgram::quit() {
    platform_.notifications->post(shell::kQuitRequested);
}

void NimbrelProgram::reopen() {
    app_->delegate().handleReopen();
}

} // namespace nimbrel
