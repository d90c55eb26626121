#include "model/RuleCoding.h"
#include "model/RuleSamples.h"

#include <gtest/gtest.h>

#include <QSet>
#include <unordered_set>

namespace nimbrel {
namespace {

TEST(RuleValues, ActionIdIsItsPayloadsAndEqualPayloadsMakeEqualActions) {
    const SystemBehaviorRuleAction payload{.behavior = NimbrelSystemBehavior::hideApp};
    const auto a = NimbrelRuleAction::runSystemBehavior(payload);
    const auto b = NimbrelRuleAction::runSystemBehavior(payload);
    EXPECT_EQ(a.id(), payload.id);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.caseName(), QStringLiteral("runSystemBehavior"));

    SystemBehaviorRuleAction other = payload;
    other.behavior = NimbrelSystemBehavior::ignoreApp;
    EXPECT_NE(a, NimbrelRuleAction::runSystemBehavior(other));
}

TEST(RuleValues, ActionsOfDifferentCasesWithTheSameIdDiffer) {
    const Uuid id = Uuid::random();
    const auto folder = NimbrelRuleAction::openFolder(
        OpenFolderRuleAction{.id = id, .folder = {"A", "/a"}, .placement = {}, .displayTarget = {}});
    const auto app = NimbrelRuleAction::openApp(
        OpenAppRuleAction{.id = id, .app = {"A", {}, {}}, .placement = {}, .displayTarget = {}});
    EXPECT_EQ(folder.id(), app.id());
    EXPECT_NE(folder, app);
}

TEST(RuleValues, BuiltInCodeValues) {
    const NimbrelRule rule =
        NimbrelRule::make("Mail", true, true, NimbrelRuleTrigger{1, {"Mail", {}, {}}}, {}, Date{1000});
    EXPECT_FALSE(rule.id.isNull());
    EXPECT_EQ(rule.createdAt, Date{1000});
    EXPECT_EQ(rule.updatedAt, Date{1000});
    EXPECT_FALSE(rule.pausedUntil.has_value());
    EXPECT_EQ(rule.availability, NimbrelRuleAvailability::defaultAvailability());

    const auto& standard = NimbrelRuleAvailability::defaultAvailability();
    EXPECT_EQ(standard.mode, NimbrelRuleAvailabilityMode::always);
    EXPECT_EQ(standard.activeDays.size(), 7u);
    EXPECT_FALSE(standard.startTime || standard.endTime);
    EXPECT_EQ(&standard, &NimbrelRuleAvailability::defaultAvailability());

    const ArrangeWindowsRuleAction arrange;
    EXPECT_EQ(arrange.layout, NimbrelWindowLayout::fullSize);
    EXPECT_TRUE(arrange.layoutSlots.empty());
    EXPECT_TRUE(TerminalScriptCommand{}.command.isEmpty());
    // Every payload built in code gets its own identity.
    EXPECT_NE(OpenAppRuleAction{}.id, OpenAppRuleAction{}.id);
    EXPECT_NE(TerminalScriptCommand{}.id, TerminalScriptCommand{}.id);
    EXPECT_NE(NimbrelLayoutSlot{}.id, NimbrelLayoutSlot{}.id);
    EXPECT_NE(NimbrelRule::make("a", true, false, {}, {}, Date{}).id,
              NimbrelRule::make("a", true, false, {}, {}, Date{}).id);
}

TEST(RuleValues, CopiesAreIndependent) {
    NimbrelRule original = samples::rule();
    NimbrelRule copy = original;
    copy.actions.pop_back();
    copy.availability.activeDays.insert(NimbrelWeekday::sunday);
    EXPECT_EQ(original.actions.size(), 6u);
    EXPECT_FALSE(original.availability.activeDays.count(NimbrelWeekday::sunday));
    EXPECT_NE(original, copy);
}

TEST(RuleValues, HashingFollowsEquality) {
    const NimbrelRuleAppTarget withPath{"Safari", "com.apple.Safari", "/Applications/Safari.app"};
    const NimbrelRuleAppTarget withoutPath{"Safari", "com.apple.Safari", std::nullopt};
    const NimbrelRuleAppTarget emptyPath{"Safari", "com.apple.Safari", QString()};
    std::unordered_set<NimbrelRuleAppTarget> apps{withPath, withoutPath, emptyPath, withPath};
    EXPECT_EQ(apps.size(), 3u);

    QSet<NimbrelDisplayTarget> displays{{NimbrelDisplayTarget::Kind::external, std::nullopt},
                                        {NimbrelDisplayTarget::Kind::external, 0},
                                        {NimbrelDisplayTarget::Kind::external, 0}};
    EXPECT_EQ(displays.size(), 2);

    EXPECT_EQ(qHash(NimbrelClockTime{9, 30}), qHash(NimbrelClockTime{9, 30}));
    std::unordered_set<NimbrelClockTime> times{{9, 30}, {9, 30}, {30, 9}};
    EXPECT_EQ(times.size(), 2u);
    std::unordered_set<NimbrelFolderTarget> folders{{"a", "/x"}, {"a", "/x"}, {"b", "/x"}};
    EXPECT_EQ(folders.size(), 2u);
}

TEST(RuleValues, EnumListsAndIds) {
    EXPECT_EQ(allCases<NimbrelWindowPlacement>().size(), 9u);
    EXPECT_EQ(allCases<NimbrelSystemBehavior>().back(), NimbrelSystemBehavior::hideApp);
    EXPECT_EQ(id(NimbrelBrowserOpeningMode::newWindow), QStringLiteral("newWindow"));
    EXPECT_EQ(id(NimbrelRuleAppCapability::universalWindowPlacement), QStringLiteral("universalWindowPlacement"));
    EXPECT_EQ(json::enumFromName<NimbrelWindowLayout>("dividedInFour"), NimbrelWindowLayout::dividedInFour);
}

} // namespace
} // namespace nimbrel
