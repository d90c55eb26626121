#include "program/NimbrelProgram.h"

#include "app/PanelRootViewModel.h"
#include "app/QmlSetup.h"
#include "app/ScreenModels.h"
#include "app/SharedEngineControl.h"
#include "app/SharedSessionsStoreHook.h"
#include "app/ShellNames.h"
#include "app/SymbolImageProvider.h"
#include "app/SymbolNames.h"
#include "desktop/DesktopQml.h"
#include "model/ActivityRecorder.h"
#include "model/ActivityStore.h"
#include "model/BlacklistStore.h"
#include "model/RulesStore.h"
#include "model/SettingsStore.h"
#include "platform/Accessibility.h"
#include "platform/CodeSignature.h"
#include "platform/Keychain.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/Screens.h"
#include "platform/SharedInstance.h"
#include "platform/SystemInfo.h"
#include "platform/Workspace.h"
#include "platform/local/AutostartLoginItems.h"
#include "platform/local/DesktopUserNotifications.h"
#include "platform/local/EventLoopScheduler.h"
#include "platform/local/JsonFileUserDefaults.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "sync/CloudSyncManager.h"

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

namespace {

std::optional<ScreenRect> toScreenRect(const std::optional<ScreenInfo>& screen) {
    if (!screen) return std::nullopt;
    const Rect& v = screen->visibleFrame;
    return ScreenRect{v.minX(), v.minY(), v.width(), v.height()};
}

} // namespace

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

    sim::SimulatedMac& mac = f.simulated->mac();
    ShellController::Hooks shellHooks;
    shellHooks.primaryScreenHeight = [&mac] { return mac.primaryHeight(); };
    shellHooks.visibleFrame = [this] {
        // The status item sits in the primary screen's menu bar.
        const std::vector<ScreenInfo> all = platform_.screens->screens();
        return toScreenRect(all.empty() ? platform_.screens->mainScreen() : std::optional(all.front()));
    };
    shellHooks.makePanelContent = [this](PanelMode mode) {
        return makePanelContent(mode, platform_, *pause_, contentHooks_);
    };
    shellHooks.terminate = [] { QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); };
    shellHooks.exitProcess = [this](int status) {
        willTerminate();
        std::exit(status);
    };
    shell_ = std::make_unique<ShellController>(std::move(shellHooks));
    glass_ = std::make_unique<GlassStyle>(
        f.notifications, [this] { return NimbrelSettingsStore::isLiquidGlassActive(platform_); },
        [this] { return platform_.systemInfo->operatingSystemVersion().majorVersion; });
    hover_ = std::make_unique<HoverGeometry>();
    desktop_ = std::make_unique<DesktopViewModel>(mac, f.scheduler);
    engine_ = std::make_unique<SharedEngineControl>(platform_);
    sessionsStore_ = std::make_unique<SharedSessionsStoreHook>();

    pause_ = std::make_unique<GlobalPauseController>(
        platform_,
        GlobalPauseController::Hooks{[](bool enabled) { NimbrelCloudSyncManager::shared().setSyncEnabled(enabled); },
                                     [this](const QString& title, const QString& message) {
                                         recordNimbrelActivity(platform_, NimbrelActivityType::info, title, message);
                                     }});

    auto trusted = [this] { return platform_.accessibility->isProcessTrusted(); };
    auto openSettings = [this] {
        platform_.workspace->open(
            QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"));
    };
    contentHooks_.stores.obtain = [] {
        NimbrelRulesStore::shared();
        NimbrelSessionsStore::shared();
    };
    contentHooks_.stores.enabledRuleCount = [] {
        const auto& rules = NimbrelRulesStore::shared().rules().get();
        return int(std::count_if(rules.begin(), rules.end(), [](const NimbrelRule& r) { return r.isEnabled; }));
    };
    contentHooks_.stores.sessionCount = [] { return int(NimbrelSessionsStore::shared().sessions().get().size()); };
    contentHooks_.stores.observeCounts = [](std::function<void()> changed) {
        auto rules = std::make_shared<ObserverToken>(
            NimbrelRulesStore::shared().rules().observe([changed](const auto&) { changed(); }));
        auto sessions = std::make_shared<ObserverToken>(
            NimbrelSessionsStore::shared().sessions().observe([changed](const auto&) { changed(); }));
        return ObserverToken([rules, sessions] {
            rules->reset();
            sessions->reset();
        });
    };
    contentHooks_.stores.screenOpened = [](NimbrelPanelScreen screen) {
        switch (screen) {
        case NimbrelPanelScreen::Blacklist:
            BlacklistStore::shared();
            break;
        case NimbrelPanelScreen::Activity:
            NimbrelActivityStore::shared();
            break;
        case NimbrelPanelScreen::Settings:
            NimbrelSettingsStore::shared();
            break;
        default:
            break;
        }
    };
    contentHooks_.stores.makeScreenModel = [this](NimbrelPanelScreen screen) {
        return makeScreenModel(screen, platform_);
    };
    contentHooks_.menu.isProcessTrusted = trusted;
    contentHooks_.menu.openAccessibilitySettings = openSettings;
    // The sync manager reports no syncing state until the cloud subsystem lands.
    contentHooks_.menu.isSyncing = [] { return false; };
    contentHooks_.onboarding.isProcessTrusted = trusted;
    contentHooks_.onboarding.promptForTrust = [this] {
        // The simulated Mac's prompt leads to the same switch in System Settings.
        if (!platform_.accessibility->isProcessTrustedWithOptions(true)) desktop_->openAccessibilitySettings();
    };
    contentHooks_.onboarding.openAccessibilitySettings = openSettings;
    contentHooks_.onboarding.terminate = [] {
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    };
    contentHooks_.onboarding.closeKeyWindow = [this] { shell_->closePanel(); };

    ShellHooks hooks;
    hooks.isProcessTrusted = [this] { return platform_.accessibility->isProcessTrusted(); };
    hooks.engine = [this]() -> EngineControl& { return *engine_; };
    hooks.sessionsStore = sessionsStore_.get();
    hooks.entitlement = [this](const QString& key) { return platform_.codeSignature->valueForEntitlement(key); };
    hooks.obtainRulesStore = [] { NimbrelRulesStore::shared(); };
    hooks.recordErrorActivity = [this](const QString& title, const QString& message) {
        recordNimbrelActivity(platform_, NimbrelActivityType::error, title, message);
    };
    hooks.iconCatalog = {[](const QString& name) { return symbolIconFile(name).has_value(); },
                         [](const QString& name) { return assetIconFile(name).has_value(); }};
    delegate_ = std::make_unique<NimbrelAppDelegate>(platform_, *shell_, std::move(hooks));
    connect(shell_.get(), &ShellController::togglePanelRequested, this, [this] { delegate_->togglePanel(); });
}

NimbrelProgram::~NimbrelProgram() {
    qml_.reset();
    delegate_.reset();
    resetSharedInstances();
    Platform::install(previousPlatform_);
}

bool NimbrelProgram::start() {
    qml_ = std::make_unique<QQmlApplicationEngine>();
    setUpQmlEngine(*qml_, {shell_.get(), glass_.get(), hover_.get()});
    setUpDesktopQml(*qml_, desktop_.get());
    qml_->load(QUrl(QStringLiteral("qrc:/Nimbrel/Desktop/DesktopWindow.qml")));
    if (qml_->rootObjects().isEmpty()) return false;

    if (qobject_cast<QApplication*>(QCoreApplication::instance()) && QSystemTrayIcon::isSystemTrayAvailable()) {
        tray_ = std::make_unique<QSystemTrayIcon>();
        tray_->setToolTip(QStringLiteral("Nimbrel"));
        connect(tray_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger) delegate_->togglePanel();
        });
        connect(shell_.get(), &ShellController::statusItemChanged, this, &NimbrelProgram::updateTrayIcon);
    }
    pause_->start();
    delegate_->applicationDidFinishLaunching();
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
        if (!shell_->isPanelVisible()) return;
        disconnect(*connection);
        ready();
    });
}

void NimbrelProgram::updateTrayIcon() {
    if (!tray_) return;
    if (!shell_->statusItemVisible()) {
        tray_->hide();
        return;
    }
    const QString source = shell_->statusIconSource();
    const QString id = source.mid(QStringLiteral("image://symbol/").size());
    const QImage image = renderSymbol(id, QSize(64, 64));
    if (!image.isNull()) tray_->setIcon(QIcon(QPixmap::fromImage(image)));
    tray_->show();
}

void NimbrelProgram::willTerminate() {
    if (!delegate_ || terminated_) return;
    terminated_ = true;
    delegate_->applicationWillTerminate();
    QString error;
    if (!facilities_->simulated->save(&error))
        logLine(QStringLiteral("NimbrelApp"), QStringLiteral("could not save the simulated Mac: ") + error);
}

} // namespace nimbrel
