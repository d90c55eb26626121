#include "ScenarioDesktop.h"
#include "platform/VirtualScheduler.h"
#include "platform/simulated/SimulatedPlatform.h"

#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace nimbrel::simtool {
namespace {

TEST(ScenarioDesktop, OpenPanelsAreAnsweredInOrder) {
    QTemporaryDir dir;
    VirtualScheduler scheduler;
    sim::SimulatedPlatform sim(scheduler, scheduler, dir.path());
    applyDesktop(sim, QJsonDocument::fromJson(R"({"openPanelAnswers": [["/Users/anna/Projects"], null]})").object());
    EXPECT_EQ(sim.alerts().runOpenPanel({}), QStringList{"/Users/anna/Projects"});
    EXPECT_FALSE(sim.alerts().runOpenPanel({}));
    EXPECT_FALSE(sim.alerts().runOpenPanel({})); // unanswered: cancelled
}

} // namespace
} // namespace nimbrel::simtool
