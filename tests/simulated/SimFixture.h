#pragma once

#include "platform/VirtualScheduler.h"
#include "platform/simulated/SimulatedPlatform.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace nimbrel::sim::testing {

// A fresh default Mac in a temporary folder, on virtual time.
class SimTest : public ::testing::Test {
  protected:
    SimTest() : sim(scheduler, scheduler, dir.path() + QStringLiteral("/SimulatedMac")) {}

    SimulatedMac& mac() { return sim.mac(); }
    SimAccessibility& ax() { return sim.accessibility(); }

    App& appNamed(const QString& name) {
        for (App& a : mac().apps())
            if (a.name == name) return a;
        throw std::runtime_error("no app " + name.toStdString());
    }
    std::vector<AXElement> windowsOf(int pid) {
        return ax()
            .attribute(ax().applicationElement(pid), QStringLiteral("AXWindows"))
            .toElements()
            .value_or(std::vector<AXElement>{});
    }
    QString title(const AXElement& e) {
        return ax().attribute(e, QStringLiteral("AXTitle")).toString().value_or(QString());
    }
    std::optional<DockTile> tileTitled(const QString& title) {
        for (const DockTile& t : mac().dockTiles())
            if (t.title == title) return t;
        return std::nullopt;
    }
    Point centre(const Rect& r) { return {r.midX(), r.midY()}; }

    QTemporaryDir dir;
    VirtualScheduler scheduler;
    SimulatedPlatform sim;
};

} // namespace nimbrel::sim::testing
