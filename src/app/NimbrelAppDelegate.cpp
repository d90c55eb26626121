#include "app/NimbrelAppDelegate.h"

#include "app/ShellNames.h"
#include "app/ShellSurface.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"

namespace nimbrel {

namespace {
const QString kLog = QStringLiteral("NimbrelApp");
const QString kIcloudServices = QStringLiteral("com.apple.developer.icloud-services");
const QString kIcloudContainers = QStringLiteral("com.apple.developer.icloud-container-identifiers");
constexpr double kBootstrapDelay = 1.0;
constexpr double kPermissionInterval = 0.75;
constexpr double kOnboardingDelay = 0.25;
constexpr double kExitDelay = 0.25;
constexpr double kHeightAnimation = 0.28;
} // namespace

NimbrelAppDelegate::NimbrelAppDelegate(Platform& platform, ShellSurface& surface, ShellHooks hooks)
    : platform_(platform), surface_(surface), hooks_(std::move(hooks)), currentMenuBarIconName_(shell::kMenuBarIcon) {}

NimbrelAppDelegate::~NimbrelAppDelegate() {
    if (accessibilityPermissionTimer_) accessibilityPermissionTimer_->cancel();
}

bool NimbrelAppDelegate::isTrusted() const {
    return hooks_.isProcessTrusted && hooks_.isProcessTrusted();
}

void NimbrelAppDelegate::applicationDidFinishLaunching() {
    surface_.setDarkAppearance();
    platform_.defaults->setString(shell::kAppleInterfaceStyle, QStringLiteral("Dark"));
    logLine(kLog, QStringLiteral("did finish launching"));
    installStatusItem();
    observeMenuBarIconChanges();
    observeQuitRequests();
    observePauseStateChanges();
    observePanelHeightChanges();
    observeAccessibilityGranted();
    if (hooks_.engine) hooks_.engine().startMonitoring();
    scheduleCloudBackedStoreBootstrap();
    startAccessibilityPermissionTimer();
    if (!isTrusted()) {
        platform_.scheduler->after(kOnboardingDelay, lifetime_.guard([this] { showPanel(PanelMode::Onboarding); }));
    }
}

void NimbrelAppDelegate::applicationWillTerminate() {
    menuBarIconObserver_.reset();
    quitObserver_.reset();
    pauseStateObserver_.reset();
    panelHeightObserver_.reset();
    accessibilityGrantedObserver_.reset();
    if (accessibilityPermissionTimer_) {
        accessibilityPermissionTimer_->cancel();
        accessibilityPermissionTimer_.reset();
    }
}

void NimbrelAppDelegate::installStatusItem() {
    hasStatusItem_ = true;
    hasStatusButton_ = surface_.installStatusItem();
    if (hasStatusButton_) applyMenuBarIcon(shell::kMenuBarIcon);
}

void NimbrelAppDelegate::applyMenuBarIcon(const QString& name) {
    if (!hasStatusItem_ || !hasStatusButton_) return;
    currentMenuBarIconName_ = normalizedMenuBarIconName(name);
    const bool paused = isMenuBarIconPaused(*platform_.defaults, platform_.clock->now().unixSeconds());
    surface_.setStatusIcon(menuBarIconImage(currentMenuBarIconName_, paused, hooks_.iconCatalog));
}

void NimbrelAppDelegate::observeMenuBarIconChanges() {
    menuBarIconObserver_ = platform_.notifications->addObserver(
        shell::kSessionMenuBarIconDidChange, [this, alive = lifetime_.watch()](const Notification& n) {
            if (alive.expired()) return;
            const QVariant symbol = n.userInfo.value(QStringLiteral("symbolName"));
            if (symbol.typeId() != QMetaType::QString) return;
            applyMenuBarIcon(symbol.toString());
        });
}

void NimbrelAppDelegate::observeQuitRequests() {
    quitObserver_ = platform_.notifications->addObserver(shell::kQuitRequested,
                                                         [this, alive = lifetime_.watch()](const Notification&) {
                                                             if (!alive.expired()) quitApplication();
                                                         });
}

void NimbrelAppDelegate::observePauseStateChanges() {
    pauseStateObserver_ = platform_.notifications->addObserver(shell::kPauseStateDidChange,
                                                               [this, alive = lifetime_.watch()](const Notification&) {
                                                                   if (!alive.expired())
                                                                       applyMenuBarIcon(currentMenuBarIconName_);
                                                               });
}

void NimbrelAppDelegate::observePanelHeightChanges() {
    panelHeightObserver_ = platform_.notifications->addObserver(
        shell::kPanelHeightDidChange, [this, alive = lifetime_.watch()](const Notification& n) {
            if (!alive.expired()) handlePanelHeightChange(n);
        });
}

void NimbrelAppDelegate::observeAccessibilityGranted() {
    accessibilityGrantedObserver_ = platform_.notifications->addObserver(
        shell::kAccessibilityWasGranted, [this, alive = lifetime_.watch()](const Notification&) {
            if (!alive.expired()) handleAccessibilityGranted();
        });
}

void NimbrelAppDelegate::scheduleCloudBackedStoreBootstrap() {
    platform_.scheduler->after(kBootstrapDelay, lifetime_.guard([this] { bootstrapCloudBackedStores(); }));
}

QStringList NimbrelAppDelegate::entitlementValues(const QString& key) const {
    if (!hooks_.entitlement) return {};
    const QVariant value = hooks_.entitlement(key);
    if (value.typeId() == QMetaType::QString) return {value.toString()};
    if (value.typeId() == QMetaType::QStringList) return value.toStringList();
    if (value.typeId() == QMetaType::QVariantList) {
        QStringList texts;
        for (const QVariant& item : value.toList()) {
            // A list holding anything but texts is not a list of texts.
            if (item.typeId() != QMetaType::QString) return {};
            texts << item.toString();
        }
        return texts;
    }
    return {};
}

void NimbrelAppDelegate::bootstrapCloudBackedStores() {
    const bool hasCloudKit = entitlementValues(kIcloudServices).contains(QStringLiteral("CloudKit"));
    const bool hasContainer = entitlementValues(kIcloudContainers).contains(shell::kCloudKitContainerIdentifier);
    if (hasCloudKit && hasContainer) {
        logLine(kLog, QStringLiteral("bootstrapping cloud-backed stores"));
        if (hooks_.sessionsStore) hooks_.sessionsStore->applyGlobalPauseState();
        logLine(kLog, QStringLiteral("sessions store bootstrapped"));
        if (hooks_.obtainRulesStore) hooks_.obtainRulesStore();
        logLine(kLog, QStringLiteral("rules store bootstrapped"));
        return;
    }
    logLine(kLog, QStringLiteral("skipped cloud-backed store bootstrap because required CloudKit entitlements are "
                                 "missing from this signed app"));
    if (hooks_.recordErrorActivity) {
        hooks_.recordErrorActivity(QStringLiteral("Cloud Sync Disabled"),
                                   QStringLiteral("This signed build is missing the required CloudKit entitlements. "
                                                  "The app can run, but cloud sync is disabled."));
    }
    // Scheduled sessions must not wait for the panel to be opened; only their cloud side needs
    // the entitlements. The store starts quietly: the "skipped" line is all start-up says here.
    if (hooks_.sessionsStore) hooks_.sessionsStore->applyGlobalPauseState();
}

void NimbrelAppDelegate::startAccessibilityPermissionTimer() {
    if (accessibilityPermissionTimer_) accessibilityPermissionTimer_->cancel();
    accessibilityPermissionTimer_ =
        platform_.scheduler->every(kPermissionInterval, lifetime_.guard([this] { checkAccessibilityPermission(); }));
}

void NimbrelAppDelegate::checkAccessibilityPermission() {
    if (!isTrusted()) return;
    if (hooks_.engine) {
        EngineControl& engine = hooks_.engine();
        if (!engine.hasDockClickMonitor()) engine.startMonitoring();
    }
    if (currentPanelMode_ == PanelMode::Onboarding) {
        logLine(kLog, QStringLiteral("Accessibility permission detected, switching from onboarding to main menu"));
        showPanel(PanelMode::Menu);
    }
}

void NimbrelAppDelegate::handleAccessibilityGranted() {
    if (currentPanelMode_ != PanelMode::Onboarding) return;
    logLine(kLog,
            QStringLiteral("accessibility granted notification received \u2014 switching to main menu immediately"));
    showPanel(PanelMode::Menu);
}

void NimbrelAppDelegate::togglePanel() {
    logLine(kLog, QStringLiteral("menu bar icon clicked"));
    if (hasPanel_ && surface_.isPanelVisible()) {
        surface_.orderPanelOut();
        return;
    }
    showPanelForUser();
}

void NimbrelAppDelegate::handleReopen() {
    logLine(kLog, QStringLiteral("launched again while running: opening the panel"));
    showPanelForUser();
}

void NimbrelAppDelegate::showPanelForUser() {
    checkAccessibilityPermission();
    showPanel(isTrusted() ? PanelMode::Menu : PanelMode::Onboarding);
}

void NimbrelAppDelegate::showPanel(PanelMode asked) {
    const PanelMode mode = isTrusted() ? PanelMode::Menu : asked;
    logLine(kLog, QStringLiteral("showing panel mode=") + panelModeName(mode));
    if (!hasStatusItem_ || !hasStatusButton_) return;
    const std::optional<ScreenRect> button = surface_.statusButtonFrame();
    if (!button) return;

    const bool existed = hasPanel_;
    const std::optional<double> previousTop = existed ? std::optional(surface_.panelFrame().maxY()) : std::nullopt;
    const ScreenRect frame = panelFrame(mode, *button, surface_.visibleFrameForStatusButton(), previousTop);
    if (existed) {
        surface_.setDarkAppearance();
    } else {
        surface_.createPanel(frame);
        hasPanel_ = true;
    }
    if (currentPanelMode_ != mode) {
        surface_.setPanelContent(mode);
        currentPanelMode_ = mode;
    }
    surface_.setPanelFrame(frame);
    surface_.orderPanelFront();
}

void NimbrelAppDelegate::handlePanelHeightChange(const Notification& notification) {
    const QVariant height = notification.userInfo.value(QStringLiteral("height"));
    if (height.typeId() != QMetaType::Double) return;
    animatePanelHeight(height.toDouble());
}

void NimbrelAppDelegate::animatePanelHeight(double height) {
    if (currentPanelMode_ != PanelMode::Menu || !hasPanel_ || !surface_.isPanelVisible()) return;
    if (const std::optional<ScreenRect> frame = panelFrameForHeight(surface_.panelFrame(), height))
        surface_.animatePanelFrame(*frame, kHeightAnimation);
}

void NimbrelAppDelegate::quitApplication() {
    if (hasPanel_) {
        surface_.orderPanelOut();
        surface_.closePanel();
        hasPanel_ = false;
    }
    if (hasStatusItem_) {
        surface_.removeStatusItem();
        hasStatusItem_ = false;
        hasStatusButton_ = false;
    }
    surface_.terminate();
    // Guarded like every delayed step: a delegate taken down meanwhile has ended the program.
    platform_.scheduler->after(kExitDelay, lifetime_.guard([this] { surface_.exitProcess(0); }));
}

} // namespace nimbrel
