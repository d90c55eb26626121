#include "app/ScreenModels.h"

#include "activity/ActivityStore.h"
#include "app/SymbolNames.h"
#include "engine/WindowManager.h"
#include "model/BlacklistStore.h"
#include "model/RulesStore.h"
#include "model/SettingsStore.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "sessions/SessionsStore.h"
#include "sync/CloudKitStatusProvider.h"
#include "sync/CloudSyncManager.h"
#include "ui/common/InstalledAppsCatalogue.h"
#include "ui/rules/RulesViewModel.h"
#include "ui/screens/ActivityViewModel.h"
#include "ui/screens/BlacklistViewModel.h"
#include "ui/screens/SettingsViewModel.h"
#include "ui/sessions/SessionsViewModel.h"

#include <QClipboard>
#include <QGuiApplication>

namespace nimbrel {

namespace {

// The activity screen's sync over the shared sync manager, told apart as it ends: sync off,
// no account (waited for while it is being checked, as sync now waits), or the pulls run; a
// pull that failed on the way is what the sync came to, so the button never claims a sync
// that did not happen.
SyncNowLink sharedSyncNowLink(Platform& platform) {
    return {[&platform](std::function<void(SyncNowOutcome)> done) {
        std::shared_ptr<NimbrelCloudSyncManager> manager = NimbrelCloudSyncManager::sharedPtr();
        if (!manager->isSyncEnabled()) {
            platform.scheduler->post([done] { done({SyncNowOutcome::Kind::syncOff, {}}); });
            return;
        }
        manager->waitForAccountStatus([manager, done](bool available) {
            if (!available)
                return done({SyncNowOutcome::Kind::accountUnavailable,
                             NimbrelCloudKitStatusProvider::shared().status.get().errorMessage});
            // The stores whose pulls sync now runs come into being now if they are not there yet.
            NimbrelSettingsStore::shared();
            NimbrelSessionsStore::shared();
            NimbrelRulesStore::shared();
            auto failure = std::make_shared<std::optional<QString>>();
            auto watch =
                std::make_shared<ObserverToken>(manager->syncState.observe([failure](const NimbrelCloudSyncState& s) {
                    if (s.kind == NimbrelCloudSyncState::Kind::failed && !*failure) *failure = s.errorMessage;
                }));
            manager->syncNow([done, failure, watch] {
                if (*failure) return done({SyncNowOutcome::Kind::failed, **failure});
                done({SyncNowOutcome::Kind::synced, {}});
            });
        });
    }};
}

void copyToClipboard(const QString& text) {
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) app->clipboard()->setText(text);
}

} // namespace

SessionSymbolLookup shellSymbolLookup() {
    return {[](const QString& name) { return symbolIconFile(name).has_value(); },
            [](const QString& name) { return assetIconFile(name).has_value(); }};
}

std::unique_ptr<QObject> makeScreenModel(NimbrelPanelScreen screen, Platform& platform) {
    switch (screen) {
    case NimbrelPanelScreen::Sessions:
        return std::make_unique<SessionsViewModel>(
            SessionsViewModel::Services{platform, NimbrelSessionsStore::sharedPtr(),
                                        [] { return NimbrelInstalledApps::sharedPtr(); }, shellSymbolLookup()});
    case NimbrelPanelScreen::Rules:
        return std::make_unique<RulesViewModel>(
            platform, NimbrelRulesStore::sharedPtr(),
            RulesViewModel::EditorServices{[] { return NimbrelInstalledApps::sharedPtr(); },
                                           [] { return WindowManager::shared().externalScreens(); }});
    case NimbrelPanelScreen::Blacklist:
        return std::make_unique<BlacklistViewModel>(platform, BlacklistStore::sharedPtr());
    case NimbrelPanelScreen::Activity:
        return std::make_unique<ActivityViewModel>(
            platform, NimbrelActivityStore::shared(platform),
            ActivityViewModel::Hooks{sharedSyncNowLink(platform), copyToClipboard});
    case NimbrelPanelScreen::Settings:
        return std::make_unique<SettingsViewModel>(platform, NimbrelSettingsStore::shared());
    case NimbrelPanelScreen::Main:
        break;
    }
    return nullptr;
}

} // namespace nimbrel
