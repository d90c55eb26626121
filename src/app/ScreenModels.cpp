#include "app/ScreenModels.h"

#include "engine/WindowManager.h"
#include "model/RulesStore.h"
#include "platform/Platform.h"
#include "ui/common/InstalledAppsCatalogue.h"
#include "ui/rules/RulesViewModel.h"

namespace nimbrel {

std::unique_ptr<QObject> makeScreenModel(NimbrelPanelScreen screen, Platform& platform) {
    switch (screen) {
    case NimbrelPanelScreen::Rules:
        return std::make_unique<RulesViewModel>(
            platform, NimbrelRulesStore::sharedPtr(),
            RulesViewModel::EditorServices{[] { return NimbrelInstalledApps::sharedPtr(); },
                                           [] { return WindowManager::shared().externalScreens(); }});
    case NimbrelPanelScreen::Main:
    case NimbrelPanelScreen::Blacklist:
    case NimbrelPanelScreen::Sessions:
    case NimbrelPanelScreen::Activity:
    case NimbrelPanelScreen::Settings:
        break;
    }
    return nullptr;
}

} // namespace nimbrel
