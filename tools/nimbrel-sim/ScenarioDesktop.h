#pragma once

#include "platform/simulated/SimulatedPlatform.h"

#include <QJsonObject>
#include <QStringList>

namespace nimbrel::simtool {

// Changes the default desktop as a scenario's "desktop" object asks; returns the problems
// found (each change that could not be made), in order.
QStringList applyDesktop(sim::SimulatedPlatform& sim, const QJsonObject& desktop);

// Adds a window described as in "desktop"/"windows" in front of the app's others; returns its id.
std::uint64_t addScenarioWindow(sim::SimulatedMac& mac, sim::App& app, const QJsonObject& window);

// A running application by name or bundle identifier.
sim::App* findApp(sim::SimulatedMac& mac, const QString& nameOrBundleId);

} // namespace nimbrel::simtool
