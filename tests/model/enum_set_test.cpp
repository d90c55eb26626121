#include "model/RuleEnums.h"

#include <gtest/gtest.h>

#include <vector>

namespace nimbrel {
namespace {

using W = NimbrelWeekday;

TEST(EnumSet, SetSemanticsWithoutOrderOrRepeats) {
    NimbrelWeekdaySet days{W::sunday, W::monday, W::sunday};
    EXPECT_EQ(days.size(), 2u);
    EXPECT_EQ(days, (NimbrelWeekdaySet{W::monday, W::sunday}));
    EXPECT_NE(days, (NimbrelWeekdaySet{W::monday}));
    EXPECT_TRUE(days.contains(W::sunday));
    EXPECT_EQ(days.count(W::friday), 0u);

    days.erase(W::sunday);
    days.insert(W::friday);
    EXPECT_EQ(std::vector<W>(days.begin(), days.end()), (std::vector<W>{W::monday, W::friday}));
    days.clear();
    EXPECT_TRUE(days.empty());
    EXPECT_EQ(days.begin(), days.end());
}

TEST(EnumSet, IteratesInDeclarationOrderToTheLastCase) {
    const std::vector<W> reversed{W::sunday, W::saturday, W::friday, W::thursday, W::wednesday, W::tuesday, W::monday};
    const NimbrelWeekdaySet all(reversed.begin(), reversed.end());
    EXPECT_EQ(std::vector<W>(all.begin(), all.end()), allCases<W>());
    EXPECT_EQ(all, allWeekdays());
}

} // namespace
} // namespace nimbrel
