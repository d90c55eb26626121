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

// Sets the Mac's cloud account and network as a "cloud" object asks: "account" (available,
// noAccount, restricted, couldNotDetermine, temporarilyUnavailable), "accountError" (the account
// check fails with this text), "offline", "latency" (seconds). Returns the problems found.
QStringList applyCloudConditions(CloudConditions& conditions, const QJsonObject& cloud);

// A running application by name or bundle identifier.
sim::App* findApp(sim::SimulatedMac& mac, const QString& nameOrBundleId);

} // namespace nimbrel::simtool
