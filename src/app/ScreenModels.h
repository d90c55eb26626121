#pragma once

#include "app/PanelRootViewModel.h"
#include "ui/sessions/SessionSymbols.h"

#include <QObject>

#include <memory>

namespace nimbrel {

struct Platform;

// Makes the view model of one of the panel's screens over the shared stores, as the screen
// opens; none for a screen that needs no model of its own.
std::unique_ptr<QObject> makeScreenModel(NimbrelPanelScreen screen, Platform& platform);

// Which names the shell has pictures for: system symbols and the program's own images.
SessionSymbolLookup shellSymbolLookup();

} // namespace nimbrel
