#include "SimFixture.h"

#include "platform/simulated/SimDesktopDump.h"

using namespace nimbrel;
using namespace nimbrel::sim;
using namespace nimbrel::sim::testing;

namespace {
class UnreadableAttributes : public SimTest {};
} // namespace

TEST_F(UnreadableAttributes, ListedReadsFailOthersAnswerAndTheFaultIsKept) {
    App& notes = appNamed(QStringLiteral("Notes"));
    notes.windows.front().unreadableAttributes = {QStringLiteral("AXPosition"), QStringLiteral("AXTitle")};
    const AXElement window = ax().windowElement(notes.pid, notes.windows.front().id);
    AXValue value;
    EXPECT_EQ(ax().copyAttributeValue(window, QStringLiteral("AXPosition"), &value), AXError::cannotComplete);
    EXPECT_EQ(ax().copyAttributeValue(window, QStringLiteral("AXTitle"), &value), AXError::cannotComplete);
    EXPECT_EQ(ax().copyAttributeValue(window, QStringLiteral("AXSize"), &value), AXError::success);
    // Writes still work: the fault is about reading.
    EXPECT_EQ(ax().setAttributeValue(window, QStringLiteral("AXMinimized"), AXValue(true)), AXError::success);
    EXPECT_TRUE(notes.windows.back().minimized);

    const QStringList before = describeDesktop(mac());
    EXPECT_TRUE(before.filter(QStringLiteral("unreadable=AXPosition,AXTitle")).size() == 1);
    ASSERT_TRUE(sim.save());
    SimulatedPlatform reopened(scheduler, scheduler, sim.folder());
    EXPECT_EQ(describeDesktop(reopened.mac()), before);
}
