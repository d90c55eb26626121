#include "app/AppShell.h"

#include "activity/ActivityRecorder.h"
#include "activity/ActivityStore.h"
#include "app/SymbolNames.h"
#include "app/SystemSymbols.h"
#include "model/BlacklistStore.h"
#include "model/RulesStore.h"
#include "model/SettingsStore.h"
#include "platform/Accessibility.h"
#include "platform/CodeSignature.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "platform/Workspace.h"
#include "sessions/SessionsStore.h"
#include "sync/CloudSyncManager.h"

#include <algorithm>

namespace nimbrel {

namespace {

const QString kAccessibilitySettings =
    QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility");

std::optional<ScreenRect> toScreenRect(const std::optional<ScreenInfo>& screen) {
    if (!screen) return std::nullopt;
    const Rect& v = screen->visibleFrame;
    return ScreenRect{v.minX(), v.minY(), v.width(), v.height()};
}

PanelRootViewModel::Stores panelStores() {
    PanelRootViewModel::Stores stores;
    stores.obtain = [] {
        NimbrelRulesStore::shared();
        NimbrelSessionsStore::shared();
    };
    stores.enabledRuleCount = [] {
        const auto& rules = NimbrelRulesStore::shared().rules().get();
        return int(std::count_if(rules.begin(), rules.end(), [](const NimbrelRule& r) { return r.isEnabled; }));
    };
    stores.sessionCount = [] { return int(NimbrelSessionsStore::shared().sessions().get().size()); };
    stores.observeCounts = [](std::function<void()> changed) {
        auto rules = std::make_shared<ObserverToken>(
            NimbrelRulesStore::shared().rules().observe([changed](const auto&) { changed(); }));
        auto sessions = std::make_shared<ObserverToken>(
            NimbrelSessionsStore::shared().sessions().observe([changed](const auto&) { changed(); }));
        return ObserverToken([rules, sessions] {
            rules->reset();
            sessions->reset();
        });
    };
    stores.screenOpened = [](NimbrelPanelScreen screen) {
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
    return stores;
}

} // namespace

AppShell::AppShell(Platform& platform, Hooks hooks) : platform_(platform), hooks_(std::move(hooks)) {
    pause_ = std::make_unique<GlobalPauseController>(
        platform_,
        GlobalPauseController::Hooks{[](bool enabled) { NimbrelCloudSyncManager::shared().setSyncEnabled(enabled); },
                                     [this](const QString& title, const QString& message) {
                                         recordNimbrelActivity(platform_, NimbrelActivityType::info, title, message);
                                     }});

    auto trusted = [this] { return platform_.accessibility->isProcessTrusted(); };
    auto openSettings = [this] { platform_.workspace->open(kAccessibilitySettings); };
    contentHooks_.stores = panelStores();
    contentHooks_.stores.makeScreenModel = hooks_.makeScreenModel;
    contentHooks_.menu.isProcessTrusted = trusted;
    contentHooks_.menu.openAccessibilitySettings = openSettings;
    contentHooks_.menu.isSyncing = [] { return NimbrelCloudSyncManager::shared().syncState.get().isSyncing(); };
    contentHooks_.menu.observeSyncing = [](std::function<void(bool)> changed) {
        return NimbrelCloudSyncManager::shared().syncState.observe(
            [changed = std::move(changed)](const NimbrelCloudSyncState& state) { changed(state.isSyncing()); });
    };
    contentHooks_.onboarding.isProcessTrusted = trusted;
    contentHooks_.onboarding.promptForTrust = [this] {
        if (!platform_.accessibility->isProcessTrustedWithOptions(true) && hooks_.trustPromptShown)
            hooks_.trustPromptShown();
    };
    contentHooks_.onboarding.openAccessibilitySettings = openSettings;
    contentHooks_.onboarding.terminate = hooks_.terminate;
    contentHooks_.onboarding.closeKeyWindow = [this] { shell_->closePanel(); };

    ShellController::Hooks shellHooks;
    shellHooks.primaryScreenHeight = [this] { return platform_.screens->primaryScreenHeight(); };
    shellHooks.visibleFrame = [this] {
        // The status item sits in the primary screen's menu bar.
        const std::vector<ScreenInfo> all = platform_.screens->screens();
        return toScreenRect(all.empty() ? platform_.screens->mainScreen() : std::optional(all.front()));
    };
    shellHooks.makePanelContent = [this](PanelMode mode) {
        return makePanelContent(mode, platform_, *pause_, contentHooks_);
    };
    shellHooks.terminate = hooks_.terminate;
    shellHooks.exitProcess = hooks_.exitProcess;
    shell_ = std::make_unique<ShellController>(std::move(shellHooks));

    ShellHooks delegateHooks;
    delegateHooks.isProcessTrusted = trusted;
    delegateHooks.entitlement = [this](const QString& key) {
        return platform_.codeSignature->valueForEntitlement(key);
    };
    delegateHooks.recordErrorActivity = [this](const QString& title, const QString& message) {
        recordNimbrelActivity(platform_, NimbrelActivityType::error, title, message);
    };
    delegateHooks.iconCatalog = {[](const QString& name) { return isSystemSymbol(name); },
                                 [](const QString& name) { return assetIconFile(name).has_value(); }};
    parts_ = std::make_unique<ProgramParts>(platform_, hooks_.partStarted);
    parts_->addTo(delegateHooks);
    delegate_ = std::make_unique<NimbrelAppDelegate>(platform_, *shell_, std::move(delegateHooks));
    QObject::connect(shell_.get(), &ShellController::togglePanelRequested, shell_.get(),
                     [this] { delegate_->togglePanel(); });
}

AppShell::~AppShell() = default;

void AppShell::launch() {
    pause_->start();
    delegate_->applicationDidFinishLaunching();
}

void AppShell::willTerminate() {
    delegate_->applicationWillTerminate();
}

} // namespace nimbrel
