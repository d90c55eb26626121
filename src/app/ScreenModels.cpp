#include "app/ScreenModels.h"

#include "app/SymbolNames.h"
#include "platform/Platform.h"
#include "sessions/SessionsStore.h"
#include "ui/sessions/SessionsViewModel.h"

namespace nimbrel {

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
    case NimbrelPanelScreen::Main:
    case NimbrelPanelScreen::Blacklist:
    case NimbrelPanelScreen::Rules:
    case NimbrelPanelScreen::Activity:
    case NimbrelPanelScreen::Settings:
        break;
    }
    return nullptr;
}

} // namespace nimbrel
