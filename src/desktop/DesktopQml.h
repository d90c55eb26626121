#pragma once

class QQmlEngine;

namespace nimbrel {

class DesktopViewModel;

// Publishes the desktop's view model to QML as the singleton `Desktop` of
// "Nimbrel.DesktopModels" (registered once per process; each engine gets the model current
// when it first asks), and registers the shared items its sheets use ("Nimbrel.Quick"). The
// shell's own models are set up separately (setUpQmlEngine).
void setUpDesktopQml(QQmlEngine& engine, DesktopViewModel* desktop);

} // namespace nimbrel
