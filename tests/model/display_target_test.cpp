#include "model/RuleTargets.h"

#include <gtest/gtest.h>

#include <limits>

namespace nimbrel {
namespace {

using Kind = NimbrelDisplayTarget::Kind;

TEST(DisplayTarget, IdsAndNames) {
    struct Case {
        NimbrelDisplayTarget target;
        const char* id;
        const char* name;
    };
    const Case cases[] = {
        {{Kind::automatic, std::nullopt}, "automatic", "Automatic"},
        {{Kind::main, std::nullopt}, "main", "Main Monitor"},
        {{Kind::external, std::nullopt}, "external-0", "External Monitor"},
        {{Kind::external, 0}, "external-0", "External Monitor 1"},
        {{Kind::external, 1}, "external-1", "External Monitor 2"},
        // The index means nothing to the other kinds.
        {{Kind::main, 4}, "main", "Main Monitor"},
        {{Kind::external, -3}, "external--3", "External Monitor -2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.target.id(), QString::fromUtf8(c.id));
        EXPECT_EQ(c.target.displayName(), QString::fromUtf8(c.name));
    }
}

TEST(DisplayTarget, LargestIndexIsNumberedWithoutWrapping) {
    const NimbrelDisplayTarget target{Kind::external, std::numeric_limits<std::int64_t>::max()};
    EXPECT_EQ(target.id(), QStringLiteral("external-9223372036854775807"));
    EXPECT_EQ(target.displayName(), QStringLiteral("External Monitor 9223372036854775808"));
    const NimbrelDisplayTarget lowest{Kind::external, std::numeric_limits<std::int64_t>::min()};
    EXPECT_EQ(lowest.displayName(), QStringLiteral("External Monitor -9223372036854775807"));
}

TEST(DisplayTarget, EqualityTellsAbsentIndexFromZero) {
    EXPECT_EQ((NimbrelDisplayTarget{Kind::external, 2}), (NimbrelDisplayTarget{Kind::external, 2}));
    EXPECT_NE((NimbrelDisplayTarget{Kind::external, std::nullopt}), (NimbrelDisplayTarget{Kind::external, 0}));
    EXPECT_NE((NimbrelDisplayTarget{Kind::main, std::nullopt}), (NimbrelDisplayTarget{Kind::automatic, std::nullopt}));
}

} // namespace
} // namespace nimbrel
