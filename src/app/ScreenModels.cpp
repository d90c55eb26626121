#include "app/ScreenModels.h"

#include "model/ActivityStore.h"
#include "model/BlacklistStore.h"
#include "model/RulesStore.h"
#include "model/SettingsStore.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "sync/CloudKitStatusProvider.h"
#include "sync/CloudSyncManager.h"
#include "ui/rules/RulesViewModel.h"
#include "ui/screens/ActivityViewModel.h"
#include "ui/screens/BlacklistViewModel.h"
#include "ui/screens/SettingsViewModel.h"

#include <QClipboard>
#include <QGuiApplication>

namespace nimbrel {

namespace {

// The activity screen's sync over today's sync manager: off and unavailable accounts are
// told apart before the pulls run, so the button never claims a sync that did not happen.
SyncNowLink sharedSyncNowLink(Platform& platform) {
    return {[&platform](std::function<void(SyncNowOutcome)> done) {
        auto later = [&platform, done](SyncNowOutcome outcome) {
            platform.scheduler->post([done, outcome] { done(outcome); });
        };
        NimbrelCloudSyncManager& manager = NimbrelCloudSyncManager::shared();
        if (!manager.isSyncEnabled()) return later({SyncNowOutcome::Kind::syncOff, {}});
        const NimbrelCloudKitAccountStatus status = NimbrelCloudKitStatusProvider::shared().status.get();
        if (status.kind != NimbrelCloudKitAccountStatus::Kind::available)
            return later({SyncNowOutcome::Kind::accountUnavailable, status.errorMessage});
        manager.syncNow([done] { done({SyncNowOutcome::Kind::synced, {}}); });
    }};
}

void copyToClipboard(const QString& text) {
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) app->clipboard()->setText(text);
}

} // namespace

std::unique_ptr<QObject> makeScreenModel(NimbrelPanelScreen screen, Platform& platform) {
    switch (screen) {
    case NimbrelPanelScreen::Rules:
        return std::make_unique<RulesViewModel>(platform, NimbrelRulesStore::sharedPtr());
    case NimbrelPanelScreen::Blacklist:
        return std::make_unique<BlacklistViewModel>(platform, BlacklistStore::sharedPtr());
    case NimbrelPanelScreen::Activity:
        return std::make_unique<ActivityViewModel>(
            platform, NimbrelActivityStore::shared(platform),
            ActivityViewModel::Hooks{sharedSyncNowLink(platform), copyToClipboard});
    case NimbrelPanelScreen::Settings:
        return std::make_unique<SettingsViewModel>(platform, NimbrelSettingsStore::shared());
    case NimbrelPanelScreen::Main:
    case NimbrelPanelScreen::Sessions:
        break;
    }
    return nullptr;
}

} // namespace nimbrel
