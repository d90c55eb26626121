#include "ui/UiTestPlatform.h"
#include "ui/rules/RulePauseOption.h"
#include "ui/rules/RulesListLogic.h"

#include <gtest/gtest.h>

#include <limits>

namespace nimbrel {
namespace {

NimbrelRule named(const QString& name, bool pinned = false) {
    NimbrelRule r;
    r.name = name;
    r.isPinned = pinned;
    return r;
}

QStringList namesOf(const std::vector<NimbrelRule>& rules) {
    QStringList out;
    for (const NimbrelRule& r : rules)
        out << r.name;
    return out;
}

TEST(RulesListLogic, PinnedFirstThenByNameKeepingTheStoreOrderOfEqualNames) {
    testing::UiTestPlatform env;
    const std::vector<NimbrelRule> stored{named("aardvark"), named("beta", true), named("Alpha", true)};
    EXPECT_EQ(namesOf(sortedRules(stored)), (QStringList{"Alpha", "beta", "aardvark"}));
    EXPECT_EQ(namesOf(stored), (QStringList{"aardvark", "beta", "Alpha"}));

    std::vector<NimbrelRule> same{named("Same"), named("same"), named("SAME")};
    const std::vector<NimbrelRule> sorted = sortedRules(same);
    for (size_t i = 0; i < same.size(); ++i)
        EXPECT_EQ(sorted[i].id, same[i].id);
}

TEST(RulesListLogic, CustomPauseMinutesBecomeSecondsOrNothing) {
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
        {" 15 ", 900},
        {"+5", 300},
        {"\n1\t", 60},
        {"0", std::nullopt},
        {"-5", std::nullopt},
        {"abc", std::nullopt},
        {"1.5", std::nullopt},
        {"", std::nullopt},
        {"1 5", std::nullopt},
        {"+", std::nullopt},
        {"153722867280912930", 153722867280912930LL * 60}, // the largest that fits
        {"153722867280912931", std::nullopt},              // minutes x 60 overflows
        {"99999999999999999999", std::nullopt},            // not even a 64-bit number
    };
    for (const auto& [text, seconds] : cases)
        EXPECT_EQ(customPauseSeconds(QString::fromUtf8(text)), seconds) << text;
}

TEST(RulesListLogic, DefaultNameAndUpsertAndStateButton) {
    EXPECT_EQ(defaultRuleName(3), "Rule 4");
    EXPECT_EQ(defaultRuleName(0), "Rule 1");

    const std::vector<NimbrelRule> stored{named("a"), named("b")};
    EXPECT_EQ(upsertFor(stored, stored[1].id), RuleUpsert::update);
    EXPECT_EQ(upsertFor(stored, Uuid::random()), RuleUpsert::add);

    const Date now{1000};
    const struct {
        bool enabled;
        std::optional<Date> pausedUntil;
        RuleStateButton button;
    } cases[] = {
        {false, now.addingSeconds(300), RuleStateButton::enable},
        {true, now.addingSeconds(300), RuleStateButton::resume},
        {true, Date::distantFuture(), RuleStateButton::resume},
        {true, now.addingSeconds(-1), RuleStateButton::pauseMenu},
        {true, now, RuleStateButton::pauseMenu},
        {true, std::nullopt, RuleStateButton::pauseMenu},
    };
    for (const auto& c : cases) {
        NimbrelRule r = named("r");
        r.isEnabled = c.enabled;
        r.pausedUntil = c.pausedUntil;
        EXPECT_EQ(stateButton(r, now), c.button);
    }
}

TEST(RulePauseOptions, NamesTitlesAndDates) {
    using O = RulePauseOption;
    const Date now{5000};
    const struct {
        O option;
        const char* raw;
        const char* title;
        std::optional<Date> date;
    } cases[] = {
        {O::resume, "resume", "Resume now", std::nullopt},
        {O::fiveMinutes, "fiveMinutes", "Pause for 5 minutes", now.addingSeconds(300)},
        {O::fifteenMinutes, "fifteenMinutes", "Pause for 15 minutes", now.addingSeconds(900)},
        {O::thirtyMinutes, "thirtyMinutes", "Pause for 30 minutes", now.addingSeconds(1800)},
        {O::oneHour, "oneHour", "Pause for 1 hour", now.addingSeconds(3600)},
        {O::twoHours, "twoHours", "Pause for 2 hours", now.addingSeconds(7200)},
        {O::sixHours, "sixHours", "Pause for 6 hours", now.addingSeconds(21600)},
        {O::twelveHours, "twelveHours", "Pause for 12 hours", now.addingSeconds(43200)},
        {O::indefinite, "indefinite", "Pause indefinitely", Date::distantFuture()},
        {O::custom, "custom", "Custom\u2026", std::nullopt},
    };
    ASSERT_EQ(rulePause::allCases().size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        EXPECT_EQ(rulePause::allCases()[i], c.option);
        EXPECT_EQ(rulePause::rawValue(c.option), c.raw);
        EXPECT_EQ(rulePause::fromRawValue(c.raw), c.option);
        EXPECT_EQ(rulePause::title(c.option), QString::fromUtf8(c.title));
        EXPECT_EQ(rulePause::pauseDate(c.option, now), c.date) << c.raw;
    }
    for (const char* other : {"OneHour", "", "pause", "oneHour "})
        EXPECT_FALSE(rulePause::fromRawValue(other)) << other;
    EXPECT_EQ(rulePause::menuOptions().front(), O::fiveMinutes);
    EXPECT_EQ(rulePause::menuOptions().size(), 9u);
}

} // namespace
} // namespace nimbrel
