#include "program/NimbrelProgram.h"

#include "app/QmlSetup.h"
#include "app/ScreenModels.h"
#include "app/SymbolImageProvider.h"
#include "desktop/DesktopQml.h"
#include "model/SettingsStore.h"
#include "platform/Keychain.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/SharedInstance.h"
#include "platform/SystemInfo.h"
#include "platform/local/AutostartLoginItems.h"
#include "platform/local/DesktopUserNotifications.h"
#include "platform/local/EventLoopScheduler.h"
#include "platform/local/JsonFileUserDefaults.h"
#include "platform/simulated/SimulatedPlatform.h"

#include <QApplication>
#include <QDir>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QSystemTrayIcon>

#include <cstdlib>

namespace nimbrel {

struct NimbrelProgram::Facilities {
    Locations locations = Locations::forThisMachine();
    EventLoopScheduler scheduler;
    SystemClock clock;
    NotificationCenter notifications;
    std::unique_ptr<JsonFileUserDefaults> defaults;
    std::unique_ptr<sim::SimulatedPlatform> simulated;
    std::unique_ptr<DesktopUserNotifications> userNotifications;
    std::unique_ptr<FileKeychain> keychain;
    std::unique_ptr<AutostartLoginItems> loginItems;
};

NimbrelProgram::NimbrelProgram() : facilities_(std::make_unique<Facilities>()) {
    Facilities& f = *facilities_;
    const QString support = f.locations.nimbrelSupportFolder();
    QDir().mkpath(support);
    QDir().mkpath(f.locations.preferences);
    f.defaults = std::make_unique<JsonFileUserDefaults>(JsonFileUserDefaults::filePath(f.locations));

    f.simulated = std::make_unique<sim::SimulatedPlatform>(f.scheduler, f.clock,
                                                           sim::SimulatedPlatform::defaultFolder(f.locations));
    if (!f.simulated->loadProblem().isEmpty())
        logLine(QStringLiteral("NimbrelApp"),
                QStringLiteral("simulated Mac state set aside: ") + f.simulated->loadProblem());
    // A Mac that has never run Nimbrel has not granted it the permission yet.
    if (!f.simulated->restoredFromDisk()) f.simulated->mac().setTrusted(false);
    f.userNotifications = std::make_unique<DesktopUserNotifications>(f.scheduler, f.clock);
    // The device id must outlive a restart.
    f.keychain = std::make_unique<FileKeychain>(support + QStringLiteral("/keychain.json"));

    platform_.scheduler = &f.scheduler;
    platform_.clock = &f.clock;
    platform_.notifications = &f.notifications;
    platform_.defaults = f.defaults.get();
    platform_.locations = f.locations;
    f.simulated->fill(platform_);
    platform_.userNotifications = f.userNotifications.get();
    platform_.keychain = f.keychain.get();
    // Opening at login is this machine's own: an autostart entry for this executable.
    f.loginItems = std::make_unique<AutostartLoginItems>(AutostartLoginItems::defaultFolder(),
                                                         QCoreApplication::applicationFilePath());
    platform_.loginItems = f.loginItems.get();
    previousPlatform_ = Platform::install(&platform_);

    glass_ = std::make_unique<GlassStyle>(
        f.notifications, [this] { return NimbrelSettingsStore::isLiquidGlassActive(platform_); },
        [this] { return platform_.systemInfo->operatingSystemVersion().majorVersion; });
    hover_ = std::make_unique<HoverGeometry>();
    desktop_ = std::make_unique<DesktopViewModel>(f.simulated->mac(), f.scheduler);

    AppShell::Hooks hooks;
    hooks.terminate = [] { QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); };
    hooks.exitProcess = [this](int status) {
        willTerminate();
        std::exit(status);
    };
    // The simulated Mac's prompt leads to the same switch in System Settings.
    hooks.trustPromptShown = [this] { desktop_->openAccessibilitySettings(); };
    hooks.makeScreenModel = [this](NimbrelPanelScreen screen) { return makeScreenModel(screen, platform_); };
    app_ = std::make_unique<AppShell>(platform_, std::move(hooks));
}

NimbrelProgram::~NimbrelProgram() {
    qml_.reset();
    app_.reset();
    resetSharedInstances();
    Platform::install(previousPlatform_);
}

bool NimbrelProgram::start() {
    qml_ = std::make_unique<QQmlApplicationEngine>();
    setUpQmlEngine(*qml_, {&app_->shell(), glass_.get(), hover_.get()});
    setUpDesktopQml(*qml_, desktop_.get());
    qml_->load(QUrl(QStringLiteral("qrc:/Nimbrel/Desktop/DesktopWindow.qml")));
    if (qml_->rootObjects().isEmpty()) return false;

    if (qobject_cast<QApplication*>(QCoreApplication::instance()) && QSystemTrayIcon::isSystemTrayAvailable()) {
        tray_ = std::make_unique<QSystemTrayIcon>();
        tray_->setToolTip(QStringLiteral("Nimbrel"));
        connect(tray_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger) app_->delegate().togglePanel();
        });
        connect(&app_->shell(), &ShellController::statusItemChanged, this, &NimbrelProgram::updateTrayIcon);
    }
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
        tray_->hide();
        return;
    }
    const QString source = app_->shell().statusIconSource();
    const QString id = source.mid(QStringLiteral("image://symbol/").size());
    const QImage image = renderSymbol(id, QSize(64, 64));
    if (!image.isNull()) tray_->setIcon(QIcon(QPixmap::fromImage(image)));
    tray_->show();
}

void NimbrelProgram::willTerminate() {
    if (!app_ || terminated_) return;
    terminated_ = true;
    app_->willTerminate();
    QString error;
    if (!facilities_->simulated->save(&error))
        logLine(QStringLiteral("NimbrelApp"), QStringLiteral("could not save the simulated Mac: ") + error);
}

} // namespace nimbrel
