#pragma once

#include "platform/simulated/SimulatedMac.h"

#include <QStringList>

namespace nimbrel::sim {

// The desktop as text, one line per screen, Dock tile, application and window, in a
// stable order (for transcripts and for people): screens with their desktop pictures,
// the Dock's tiles in order, then the running applications in launch order with their
// windows front to back.
QStringList describeDesktop(const SimulatedMac& mac);

} // namespace nimbrel::sim
