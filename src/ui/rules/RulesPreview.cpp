#include "ui/rules/RulesPreview.h"

#include "engine/PlacementGeometry.h"
#include "model/RuleCoding.h"
#include "model/RulesStore.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "platform/Screens.h"
#include "platform/UserDefaults.h"
#include "sync/CloudSyncManager.h"
#include "ui/common/InstalledAppsCatalogue.h"
#include "ui/rules/RulesViewModel.h"

namespace nimbrel {

namespace {

NimbrelRule rule(const QString& name, std::int64_t clicks, NimbrelRuleAppTarget app,
                 std::vector<NimbrelRuleAction> actions, Date now) {
    return NimbrelRule::make(name, true, false, NimbrelRuleTrigger{clicks, std::move(app)}, std::move(actions), now);
}

OpenBrowserWebsiteRuleAction website(const QString& url, NimbrelWindowPlacement placement) {
    OpenBrowserWebsiteRuleAction action;
    action.browser = {QStringLiteral("Safari"), QStringLiteral("com.apple.Safari"), std::nullopt};
    action.urlString = url;
    action.openingMode = NimbrelBrowserOpeningMode::newWindow;
    action.placement = placement;
    return action;
}

} // namespace

OfflineRulesStore::OfflineRulesStore() = default;
OfflineRulesStore::OfflineRulesStore(OfflineRulesStore&&) noexcept = default;
OfflineRulesStore& OfflineRulesStore::operator=(OfflineRulesStore&&) noexcept = default;
OfflineRulesStore::~OfflineRulesStore() {
    // The store first: it may still reach the sync manager while it goes.
    store.reset();
    sync.reset();
}

OfflineRulesStore OfflineRulesStore::make(Platform& platform, const std::vector<NimbrelRule>& rules) {
    if (!rules.empty())
        platform.defaults->setData(NimbrelRulesStore::defaultsKey,
                                   encodeRules(rules, json::DateForm::SecondsSince2001));
    OfflineRulesStore made;
    made.sync = std::make_unique<NimbrelCloudSyncManager>(platform);
    made.sync->setSyncEnabled(false);
    StoreSyncLinks links;
    links.isSyncEnabled = [] { return false; };
    links.syncManager = [sync = made.sync.get()]() -> NimbrelCloudSyncManager& { return *sync; };
    made.store = NimbrelRulesStore::create(platform, std::move(links));
    return made;
}

std::vector<NimbrelRule> previewRules(Date now) {
    const NimbrelRuleAppTarget finder{QStringLiteral("Finder"), QStringLiteral("com.apple.finder"), std::nullopt};
    const NimbrelRuleAppTarget safari{QStringLiteral("Safari"), QStringLiteral("com.apple.Safari"), std::nullopt};
    const NimbrelRuleAppTarget terminal{QStringLiteral("Terminal"), QStringLiteral("com.apple.Terminal"), std::nullopt};
    const NimbrelRuleAppTarget figma{QStringLiteral("Figma"), QStringLiteral("com.figma.Desktop"),
                                     QStringLiteral("/Applications/Figma.app")};

    OpenFolderRuleAction downloads;
    downloads.folder = {QStringLiteral("Downloads"), QStringLiteral("~/Downloads")};
    downloads.placement = NimbrelWindowPlacement::leftHalf;
    OpenFolderRuleAction documents;
    documents.folder = {QStringLiteral("Documents"), QStringLiteral("~/Documents")};
    documents.placement = NimbrelWindowPlacement::rightHalf;
    NimbrelRule folders =
        rule(QStringLiteral("Work Folders"), 1, finder,
             {NimbrelRuleAction::openFolder(downloads), NimbrelRuleAction::openFolder(documents)}, now);
    folders.isPinned = true;

    NimbrelRule news = rule(QStringLiteral("Morning News"), 2, safari,
                            {NimbrelRuleAction::openBrowserWebsite(website(
                                 QStringLiteral("https://news.example.com/today"), NimbrelWindowPlacement::leftHalf)),
                             NimbrelRuleAction::openBrowserWebsite(
                                 website(QStringLiteral("mail.example.com"), NimbrelWindowPlacement::rightHalf))},
                            now);
    news.pausedUntil = now.addingSeconds(2 * 3600);
    news.availability = {NimbrelRuleAvailabilityMode::scheduled, workWeekdays(), NimbrelClockTime{7, 0},
                         NimbrelClockTime{10, 30}};

    TerminalScriptRuleAction script;
    script.terminalApp = terminal;
    script.commands = {{Uuid::random(), QStringLiteral("cd ~/Projects/site")},
                       {Uuid::random(), QStringLiteral("git pull")},
                       {Uuid::random(), QStringLiteral("npm run deploy")}};
    script.stopOnFirstFailure = true;
    NimbrelRule deploy =
        rule(QStringLiteral("Deploy Site"), 3, terminal, {NimbrelRuleAction::runTerminalScript(script)}, now);
    deploy.availability.mode = NimbrelRuleAvailabilityMode::scheduled;
    deploy.availability.activeDays = workWeekdays();
    deploy.availability.startTime = NimbrelClockTime{9, 0};
    deploy.availability.endTime = NimbrelClockTime{17, 30};

    OpenAppRuleAction design;
    design.app = figma;
    design.placement = NimbrelWindowPlacement::fullScreen;
    NimbrelRule review = rule(QStringLiteral("Design Review"), 1, figma, {NimbrelRuleAction::openApp(design)}, now);

    return {folders, news, deploy, review};
}

void seedRulesPreview(Platform& platform) {
    platform.defaults->setData(NimbrelRulesStore::defaultsKey,
                               encodeRules(previewRules(platform.clock->now()), json::DateForm::SecondsSince2001));
}

RulesViewModel::EditorServices previewEditorServices(Platform& platform) {
    RulesViewModel::EditorServices services;
    services.catalogue = [&platform] { return NimbrelInstalledApps::create(platform); };
    services.externalScreens = [&platform] {
        if (!platform.screens) return std::vector<NimbrelDisplayTarget>{};
        return placement::displayTargets(platform.screens->screens(), platform.screens->mainScreen());
    };
    return services;
}

} // namespace nimbrel
