#pragma once

#include "ShotSupport.h"

#include <vector>

namespace nimbrel {

// Every picture nimbrel-shot takes, by kind: the panel's screens in the states a person
// reaches (PanelShots.cpp), a screen's whole scrolling content (WholeShots.cpp) and the real
// program in its desktop window (DesktopShots.cpp).
std::vector<Shot> panelShots();
std::vector<Shot> wholeShots();
std::vector<Shot> desktopShots();

} // namespace nimbrel
