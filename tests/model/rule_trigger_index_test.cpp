#include "model/AppCapabilities.h"
#include "model/RuleTriggerIndex.h"

#include <gtest/gtest.h>

#include <variant>

namespace nimbrel {
namespace {

// An index that follows its list arranged anew finds for every tap what an index made for the
// arranged list finds, also when the list grew shorter: it names no place past the list's end.
TEST(RuleTriggerIndex, ArrangedAnewItFindsWhatAnIndexOfTheNewListFinds) {
    const QString apps[] = {QStringLiteral("Mail"), QStringLiteral("Notes"), QStringLiteral("Safari")};
    std::vector<NimbrelRule> held;
    for (int i = 0; i < 9; ++i) {
        const QString& app = apps[i % 3];
        held.push_back(NimbrelRule::make(QString::number(i), true, false,
                                         NimbrelRuleTrigger{1 + i % 2, {app, QStringLiteral("com.") + app, {}}}, {},
                                         Date{1000.0 + i}));
        if (i == 8) held.back().pausedUntil = Date{2000.0};
    }
    const NimbrelRule added =
        NimbrelRule::make(QStringLiteral("added"), true, false, NimbrelRuleTrigger{1, {apps[0], {}, {}}}, {}, Date{});
    using Place = std::variant<size_t, const NimbrelRule*>; // a held rule by its position, or another
    const struct {
        const char* what;
        std::vector<Place> places;
    } cases[] = {
        {"the last ones left out", {size_t(0), size_t(1), size_t(2), size_t(3)}},
        {"shorter, the last ones first, one added", {size_t(8), size_t(6), &added, size_t(0)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RuleTriggerIndex index(held);
        RuleListArrangement arrangement;
        std::vector<NimbrelRule> arranged;
        for (const Place& place : c.places) {
            const size_t* at = std::get_if<size_t>(&place);
            arranged.push_back(at ? held[*at] : *std::get<const NimbrelRule*>(place));
            arrangement.places.push_back(at ? RuleListArrangement::Place{&held[*at], *at}
                                            : RuleListArrangement::Place{std::get<const NimbrelRule*>(place)});
        }
        index.arrange(arrangement);
        const RuleTriggerIndex fresh(arranged);
        for (size_t i = 0; i < arranged.size(); ++i)
            EXPECT_EQ(index.foldedName(i), fresh.foldedName(i)) << i;
        for (const QString& app : apps)
            for (const std::int64_t clicks : {1, 2}) {
                const NimbrelRuleAppTarget tapped{app, QStringLiteral("com.") + app, {}};
                EXPECT_EQ(index.candidates(tapped, normalizedAppName(app), clicks),
                          fresh.candidates(tapped, normalizedAppName(app), clicks))
                    << app.toStdString() << " " << clicks;
            }
    }
}

} // namespace
} // namespace nimbrel
