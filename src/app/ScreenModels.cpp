#include "app/ScreenModels.h"

#include "platform/Platform.h"

namespace nimbrel {

std::unique_ptr<QObject> makeScreenModel(NimbrelPanelScreen screen, Platform& platform) {
    (void)platform;
    switch (screen) {
    case NimbrelPanelScreen::Main:
    case NimbrelPanelScreen::Blacklist:
    case NimbrelPanelScreen::Rules:
    case NimbrelPanelScreen::Sessions:
    case NimbrelPanelScreen::Activity:
    case NimbrelPanelScreen::Settings:
        break;
    }
    return nullptr;
}

} // namespace nimbrel
