#include "model/RuleCoding.h"
#include "model/RuleListBytes.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <functional>
#include <variant>

namespace nimbrel {
namespace {

constexpr auto kForm = json::DateForm::SecondsSince2001;

NimbrelRule sample(const QString& name) {
    NimbrelRuleTrigger trigger{1,
                               NimbrelRuleAppTarget{name + QStringLiteral(" \"app\"\\é"), std::nullopt, std::nullopt}};
    return NimbrelRule::make(name, true, false, trigger, {NimbrelRuleAction::runSystemBehavior({})}, Date{1000.5});
}

std::vector<NimbrelRule> decoded(const QByteArray& bytes) {
    auto list = decodeRules(bytes, kForm);
    EXPECT_TRUE(list) << list.error.toStdString();
    return list ? *list.value : std::vector<NimbrelRule>{};
}

// Applies one edit to both the list and its bytes, as the store does.
struct Edited {
    std::vector<NimbrelRule> rules;
    RuleListBytes bytes;

    void replace(size_t at, const NimbrelRule& rule) {
        bytes.apply(RuleListEdit::replace(at, rules[at], rule));
        rules[at] = rule;
    }
    void append(const NimbrelRule& rule) {
        bytes.apply(RuleListEdit::append(rules.size(), rule));
        rules.push_back(rule);
    }
    void erase(size_t at) {
        bytes.apply(RuleListEdit::erase(at, rules[at]));
        rules.erase(rules.begin() + std::ptrdiff_t(at));
    }
    // Each place a held rule, by its position, or a new one.
    void arrange(const std::vector<std::variant<size_t, NimbrelRule>>& places) {
        RuleListArrangement arrangement;
        std::vector<NimbrelRule> next;
        for (const auto& place : places) {
            const size_t* held = std::get_if<size_t>(&place);
            next.push_back(held ? rules[*held] : std::get<NimbrelRule>(place));
            arrangement.places.push_back(held ? RuleListArrangement::Place{&rules[*held], *held}
                                              : RuleListArrangement::Place{&std::get<NimbrelRule>(place)});
        }
        bytes.arrange(arrangement);
        rules = std::move(next);
    }
};

TEST(RuleListBytes, EveryEditLeavesWhatEncodingTheWholeListWrites) {
    const std::vector<std::pair<const char*, std::function<void(Edited&)>>> edits = {
        {"append to empty", [](Edited& e) { e.append(sample("a")); }},
        {"append", [](Edited& e) { e.append(sample("b")); }},
        {"append a third", [](Edited& e) { e.append(sample("c")); }},
        {"replace the middle with a longer one", [](Edited& e) { e.replace(1, sample("a much longer name")); }},
        {"replace the first with a shorter one", [](Edited& e) { e.replace(0, sample("x")); }},
        {"replace the last", [](Edited& e) { e.replace(2, sample("z")); }},
        {"arranged anew, reversed",
         [](Edited& e) {
             e.arrange({size_t(2), size_t(1), size_t(0)});
         }},
        {"arranged anew, one new, one left out",
         [](Edited& e) {
             e.arrange({size_t(2), sample("m"), size_t(0)});
         }},
        {"erase the middle", [](Edited& e) { e.erase(1); }},
        {"erase the last", [](Edited& e) { e.erase(1); }},
        {"append after erasing", [](Edited& e) { e.append(sample("d")); }},
        {"erase the first", [](Edited& e) { e.erase(0); }},
        {"erase the only one", [](Edited& e) { e.erase(0); }},
        {"append to emptied", [](Edited& e) { e.append(sample("e")); }},
    };
    Edited made{{}, RuleListBytes({}, kForm)};
    EXPECT_EQ(made.bytes.bytes(), encodeRules({}, kForm));
    for (const auto& [what, edit] : edits) {
        edit(made);
        EXPECT_EQ(made.bytes.bytes(), encodeRules(made.rules, kForm)) << what;
    }
}

// A text is put together in the memory of the text before the last once nothing else holds it,
// and never in memory that something still holds (the stored value the defaults keep).
TEST(RuleListBytes, ATextReusesTheMemoryOfTheOneBeforeTheLastOnlyWhenNothingHoldsIt) {
    const std::vector<NimbrelRule> rules = {sample("a"), sample("b"), sample("c")};
    Edited edited{rules, RuleListBytes(rules, kForm)};
    const char* first = edited.bytes.bytes().constData();
    const qsizetype firstCapacity = edited.bytes.bytes().capacity();
    edited.replace(1, sample("B"));
    // Takes the first text's memory, were it freed, so that no later text lands there by chance.
    QByteArray blocker;
    blocker.reserve(firstCapacity);
    const QByteArray stored = edited.bytes.bytes();
    const std::vector<NimbrelRule> storedRules = edited.rules;
    edited.replace(0, sample("A"));
    EXPECT_EQ(edited.bytes.bytes().constData(), first);
    edited.replace(2, sample("C"));
    EXPECT_NE(edited.bytes.bytes().constData(), stored.constData());
    EXPECT_EQ(stored, encodeRules(storedRules, kForm));
    EXPECT_EQ(edited.bytes.bytes(), encodeRules(edited.rules, kForm));
}

TEST(RuleListBytes, StoredBytesAreKeptAsReadAndEditedInPlace) {
    const std::vector<NimbrelRule> rules = {sample("a"), sample("b"), sample("c")};
    const QByteArray compact = encodeRules(rules, kForm);
    QByteArray spaced = compact.sliced(1).chopped(1);
    spaced.replace("},{", "} ,\n\t{").prepend("\n [ ").append(" ]\r\n");
    ASSERT_EQ(decoded(spaced), rules);

    for (const QByteArray& stored : {compact, spaced}) {
        auto kept = RuleListBytes::fromStored(stored, rules.size(), kForm);
        ASSERT_TRUE(kept) << stored.toStdString();
        EXPECT_EQ(kept->bytes(), compact) << "the array is made compact, the objects kept";
        Edited edited{rules, *kept};
        edited.replace(1, sample("B"));
        edited.erase(2);
        edited.append(sample("d"));
        EXPECT_EQ(edited.bytes.bytes(), encodeRules(edited.rules, kForm));
    }
    // A stored object in another form than the program's own is kept byte for byte, and
    // still reads as the same rule.
    QByteArray foreign = compact;
    foreign.replace("\"isPinned\":false", "\"isPinned\" : false,\"unknown\":[\"]}\",{\"x\":1}]");
    ASSERT_EQ(decoded(foreign), rules);
    auto kept = RuleListBytes::fromStored(foreign, rules.size(), kForm);
    ASSERT_TRUE(kept);
    Edited edited{rules, *kept};
    edited.replace(2, sample("C"));
    EXPECT_TRUE(edited.bytes.bytes().contains("\"unknown\":[\"]}\",{\"x\":1}]"));
    EXPECT_EQ(decoded(edited.bytes.bytes()), edited.rules);
}

TEST(RuleListBytes, BytesOfAnotherShapeAreNotTaken) {
    const QByteArray one = encodeRule(sample("a"), kForm);
    const std::vector<std::pair<QByteArray, size_t>> refused = {
        {"[" + one + "]", 2},            // another number of rules
        {one, 1},                        // not an array
        {"[" + one + "," + one, 2},      // unterminated
        {"[" + one + ",1]", 2},          // not an object
        {"[" + one + "]x", 1},           // trailing text
        {"[" + one.chopped(1) + "]", 1}, // an object never closed
    };
    for (const auto& [bytes, count] : refused)
        EXPECT_FALSE(RuleListBytes::fromStored(bytes, count, kForm)) << bytes.toStdString();
    EXPECT_EQ(RuleListBytes::fromStored(" [ ] ", 0, kForm)->bytes(), QByteArray("[]"));
}

} // namespace
} // namespace nimbrel
