#pragma once

#include "app/MenuBarViewModel.h"
#include "app/OnboardingViewModel.h"
#include "app/PanelGeometry.h"
#include "app/PanelRootViewModel.h"

#include <QObject>

#include <memory>

namespace nimbrel {

struct Platform;
class GlobalPauseController;

// What the panel's content is made of, for each mode.
struct PanelContentHooks {
    PanelRootViewModel::Stores stores;
    MenuBarViewModel::Hooks menu;
    OnboardingViewModel::Hooks onboarding;
};

// The view model of the panel's content: the root view (with its main menu) in menu mode,
// the onboarding in onboarding mode.
std::unique_ptr<QObject> makePanelContent(PanelMode mode, Platform& platform, GlobalPauseController& pause,
                                          const PanelContentHooks& hooks);

} // namespace nimbrel
