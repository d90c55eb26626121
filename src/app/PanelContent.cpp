#include "app/PanelContent.h"

#include "platform/Platform.h"

namespace nimbrel {

std::unique_ptr<QObject> makePanelContent(PanelMode mode, Platform& platform, GlobalPauseController& pause,
                                          const PanelContentHooks& hooks) {
    if (mode == PanelMode::Onboarding) return std::make_unique<OnboardingViewModel>(platform, hooks.onboarding);
    auto root = std::make_unique<PanelRootViewModel>(*platform.notifications, hooks.stores);
    root->setMenu(std::make_unique<MenuBarViewModel>(platform, pause, hooks.menu));
    return root;
}

} // namespace nimbrel
