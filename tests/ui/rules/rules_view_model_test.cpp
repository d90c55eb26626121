#include "RulesScreenFixture.h"
#include "sessions/SessionsStore.h"
#include "sync/CloudPayloads.h"

#include <cmath>
#include <random>

#include <QSignalSpy>

namespace nimbrel {
namespace {

class RulesViewModelTest : public testing::RulesScreenFixture {};

TEST_F(RulesViewModelTest, PauseChoicesReachTheStore) {
    start({rule("A")});
    const Date now = env.scheduler.now();
    const struct {
        const char* option;
        std::optional<Date> until;
        bool enabled;
    } cases[] = {
        {"fiveMinutes", now.addingSeconds(300), true},
        {"twelveHours", now.addingSeconds(43200), true},
        {"indefinite", Date::distantFuture(), true},
        {"resume", std::nullopt, true},
        {"disable", std::nullopt, false},
        {"fiveMinutes", now.addingSeconds(300), true},
    };
    for (const auto& c : cases) {
        model->pauseRule(id(0), QString::fromLatin1(c.option));
        EXPECT_EQ(stored(0).pausedUntil, c.until) << c.option;
        EXPECT_EQ(stored(0).isEnabled, c.enabled) << c.option;
        EXPECT_EQ(persisted().at(0).pausedUntil, c.until) << c.option;
    }
    EXPECT_EQ(model->cards().at(0).stateButton, RuleStateButton::resume);

    // The screen stays open while the Mac moves to Tokyo: the sessions store's next tick finds the
    // new zone, and the card shows the pause's end in it.
    const auto statusText = [&] {
        for (const RulePillContent& pill : model->cards().at(0).pills)
            if (!pill.state.isEmpty()) return pill.label;
        return QString();
    };
    EXPECT_EQ(statusText(), "Paused until 12:05 PM");
    const auto sessions = NimbrelSessionsStore::create(env.platform, NimbrelSessionsStore::Parts::none());
    QSignalSpy changed(qobject_cast<QAbstractItemModel*>(model->cardsModel()), &QAbstractItemModel::dataChanged);
    setCurrentTimeZone(QTimeZone("Asia/Tokyo"));
    env.scheduler.advance(NimbrelSessionsStore::kActivationInterval);
    EXPECT_EQ(statusText(), "Paused until 9:05 PM");
    // The card is made anew in the new zone, and the view hears that its pills changed too.
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_TRUE(changed.last().at(2).value<QList<int>>().contains(RuleCardListModel::PillsRole));
    // A zone of one name whose offset changed.
    setCurrentTimeZone(QTimeZone("Nimbrel/Here", 3600, "Here", "HRE"));
    env.scheduler.advance(NimbrelSessionsStore::kActivationInterval);
    setCurrentTimeZone(QTimeZone("Nimbrel/Here", -3 * 3600, "Here", "HRE"));
    env.scheduler.advance(NimbrelSessionsStore::kActivationInterval);
    EXPECT_EQ(statusText(), "Paused until 9:05 AM");
}

TEST_F(RulesViewModelTest, CustomPauseTakesWholeMinutesAndKeepsTheSheetForAnythingElse) {
    start({rule("A")});
    const Date now = env.scheduler.now();
    model->pauseRule(id(0), "custom");
    EXPECT_TRUE(model->isShowingCustomPause());
    EXPECT_FALSE(stored(0).pausedUntil);
    for (const char* bad : {"0", "-5", "abc", "1.5", "", "153722867280912931"}) {
        model->setCustomPauseMinutesText(QString::fromLatin1(bad));
        model->applyCustomPause();
        EXPECT_TRUE(model->isShowingCustomPause()) << bad;
        EXPECT_EQ(model->customPauseMinutesText(), QString::fromLatin1(bad));
        EXPECT_FALSE(stored(0).pausedUntil) << bad;
    }
    model->setCustomPauseMinutesText(" 15 ");
    model->applyCustomPause();
    EXPECT_FALSE(model->isShowingCustomPause());
    EXPECT_EQ(model->customPauseMinutesText(), "");
    EXPECT_EQ(stored(0).pausedUntil, now.addingSeconds(900));

    // Each custom choice starts empty; cancel closes and clears.
    model->pauseRule(id(0), "custom");
    model->setCustomPauseMinutesText("7");
    model->cancelCustomPause();
    EXPECT_FALSE(model->isShowingCustomPause());
    EXPECT_FALSE(model->customPauseRule());
    model->pauseRule(id(0), "custom");
    EXPECT_EQ(model->customPauseMinutesText(), "");
}

TEST_F(RulesViewModelTest, AFarCustomPauseIsStoredExactly) {
    start({rule("A")});
    model->pauseRule(id(0), "custom");
    model->setCustomPauseMinutesText("2000000000");
    model->applyCustomPause();
    const Date expected = env.scheduler.now().addingSeconds(120e9);
    EXPECT_EQ(stored(0).pausedUntil, expected);
    EXPECT_EQ(persisted().at(0).pausedUntil, expected);
    // Beyond the far-future date the card reads it as an indefinite pause.
    EXPECT_EQ(model->cards().at(0).pills.back().label, "Paused");
}

TEST_F(RulesViewModelTest, CardButtonsEditTheStoreAndTheListFollows) {
    start({rule("b"), rule("a")});
    EXPECT_FALSE(model->isEmpty());
    EXPECT_EQ(model->cards().at(0).name, "a");

    model->toggleRulePinned(id(0)); // "b"
    EXPECT_TRUE(stored(0).isPinned);
    EXPECT_EQ(model->cards().at(0).name, "b");
    model->toggleRuleEnabled(id(1));
    EXPECT_FALSE(stored(1).isEnabled);
    EXPECT_EQ(model->cards().at(1).stateButton, RuleStateButton::enable);
    EXPECT_FALSE(model->motion()->animated());

    model->deleteRule(id(0));
    ASSERT_EQ(store().rules().get().size(), 1u);
    EXPECT_EQ(stored(0).name, "a");
    EXPECT_EQ(model->motion()->current(), (SpringParameters{0.2, 1.0}));
    model->deleteRule(id(0));
    EXPECT_TRUE(model->isEmpty());
    EXPECT_TRUE(persisted().empty());
}

TEST_F(RulesViewModelTest, EditorSessionsAreFreshAndSavingUpserts) {
    start({rule("A"), rule("B"), rule("C")});
    EXPECT_EQ(model->defaultNameForNewRule(), "Rule 4");
    model->editRule(id(1));
    const QString first = model->editorSessionId();
    ASSERT_TRUE(model->editorSession()->rule);
    EXPECT_EQ(model->editorSession()->rule->name, "B");
    EXPECT_EQ(model->motion()->current(), (SpringParameters{0.46, 0.88}));
    model->closeEditor();
    EXPECT_FALSE(model->isEditorOpen());
    model->editRule(id(1));
    EXPECT_NE(model->editorSessionId(), first);

    QSignalSpy shown(model.get(), &CardListViewModel::cardToShow);
    NimbrelRule edited = stored(1);
    edited.name = "0B";
    model->saveRule(edited);
    EXPECT_FALSE(model->isEditorOpen());
    EXPECT_EQ(stored(1).name, "0B");
    EXPECT_EQ(store().rules().get().size(), 3u);
    EXPECT_EQ(shown.value(0), QVariantList{0}) << "the list shows the saved card where it now sorts";
    model->toggleRulePinned(id(2));
    EXPECT_EQ(shown.value(1), QVariantList{0}) << "and a pinned one";

    model->createRule();
    EXPECT_FALSE(model->editorSession()->rule);
    model->saveRule(rule("D"));
    ASSERT_EQ(store().rules().get().size(), 4u);
    EXPECT_EQ(stored(3).name, "D");
}

TEST_F(RulesViewModelTest, TheEntranceStartsOneTurnAfterTheScreenAppears) {
    start({});
    EXPECT_TRUE(model->isEmpty());
    model->appeared();
    EXPECT_FALSE(model->hasAnimatedIn());
    env.scheduler.runUntilIdle();
    EXPECT_TRUE(model->hasAnimatedIn());
}

TEST_F(RulesViewModelTest, AMissingTriggerAppIsWarnedAboutInPurple) {
    NimbrelRule missing = rule("Design", "Figma", "com.figma.Desktop");
    missing.isEnabled = false;
    start({missing});
    const RuleCardContent& card = model->cards().at(0);
    EXPECT_TRUE(card.triggerAppMissing);
    EXPECT_EQ(card.warningText, "Figma is not installed on this Mac. This rule cannot run until the app is installed.");
    EXPECT_EQ(card.pills.back().label, "Unsupported");
    EXPECT_EQ(card.pills.back().state, "unsupported");
    EXPECT_EQ(card.stateButton, RuleStateButton::enable);
    EXPECT_TRUE(card.pills[1].icon.generic);
}

// A change of the rules makes anew only the cards of the rules it touched (and of pauses that ran
// out meanwhile), yet the screen shows what a fresh redraw of every card shows, in its order.
TEST_F(RulesViewModelTest, AChangeRemakesOnlyTheCardsItTouchedAndTheyShowWhatAFreshRedrawShows) {
    std::vector<NimbrelRule> rules;
    for (const char* name : {"delta", "Alpha", "charlie", "bravo", "alpha", "echo"})
        rules.push_back(rule(name));
    start(rules);
    const auto fresh = [&] {
        return RuleCardBuilder(*env.platform.workspace, *env.platform.files, env.scheduler.now())
            .cards(store().rules().get());
    };
    const auto idOf = [&](const QString& name) {
        for (const NimbrelRule& r : store().rules().get())
            if (r.name == name) return r.id.toString();
        return QString();
    };
    const auto renamed = [&](const QString& id, const QString& to) {
        NimbrelRule r = *std::find_if(store().rules().get().begin(), store().rules().get().end(),
                                      [&](const NimbrelRule& held) { return held.id.toString() == id; });
        r.name = to;
        return r;
    };
    // Another Mac's changes as a pull brings them.
    const auto merge = [&](std::vector<NimbrelRule> pulled, const QString& deleted) {
        std::vector<NimbrelCloudPayloadRecord> records(pulled.size());
        for (size_t i = 0; i < pulled.size(); ++i) {
            pulled[i].updatedAt = env.scheduler.now().addingSeconds(1);
            records[i].objectID = pulled[i].id.toString();
            records[i].payload = encodeCloudJSON(toJson(pulled[i], json::DateForm::ISO8601));
            records[i].updatedAt = pulled[i].updatedAt;
        }
        NimbrelCloudTombstone tombstone;
        tombstone.objectID = deleted;
        store().applyCloudRules(records, {tombstone});
    };
    const struct {
        const char* what;
        std::function<void()> change;
        std::uint64_t cardsMade;
    } steps[] = {
        {"renamed to sort last", [&] { model->saveRule(renamed(idOf("Alpha"), "zulu")); }, 1},
        {"pinned", [&] { model->toggleRulePinned(idOf("echo")); }, 1},
        {"paused", [&] { model->pauseRule(idOf("bravo"), "fiveMinutes"); }, 1},
        {"deleted", [&] { model->deleteRule(idOf("charlie")); }, 0},
        {"added, named as another", [&] { model->saveRule(rule("ALPHA")); }, 1},
        {"the pause ran out, another rule disabled",
         [&] {
             env.scheduler.advance(301);
             model->toggleRuleEnabled(idOf("delta"));
         },
         2},
        {"merged: one added first, one changed, one deleted",
         [&] {
             merge({rule("Alpha"), renamed(idOf("echo"), "Alpha")}, idOf("zulu"));
         },
         2},
    };
    for (const auto& step : steps) {
        const std::uint64_t before = model->cardsMade();
        step.change();
        EXPECT_EQ(model->cardsMade() - before, step.cardsMade) << step.what;
        EXPECT_EQ(model->cards(), fresh()) << step.what;
    }

    std::mt19937 random(11);
    const auto any = [&] { return store().rules().get().at(random() % store().rules().get().size()).id.toString(); };
    const QString names[] = {"alpha", "Bravo", "bravo", "Charlie", "delta"};
    const auto nameList = [](const std::vector<NimbrelRule>& list) {
        QStringList out;
        for (const NimbrelRule& r : list)
            out << r.name;
        return out;
    };
    for (int i = 0; i < 300; ++i) {
        env.scheduler.advance(double(random() % 200));
        switch (store().rules().get().empty() ? 0 : random() % 7) {
        case 0: {
            NimbrelRule r = rule(names[random() % 5]);
            r.createdAt = r.createdAt.addingSeconds(-double(random() % 5000));
            model->saveRule(r);
            break;
        }
        case 1:
            model->saveRule(renamed(any(), names[random() % 5]));
            break;
        case 2:
            model->toggleRulePinned(any());
            break;
        case 3:
            model->pauseRule(any(), random() % 2 ? "fiveMinutes" : "disable");
            break;
        case 4:
            model->deleteRule(any());
            break;
        case 5: {
            NimbrelRule added = rule(names[random() % 5]);
            added.createdAt = added.createdAt.addingSeconds(-double(random() % 5000));
            const NimbrelRule changed = renamed(any(), names[random() % 5]);
            const QString gone = any();
            // What merging the whole list and sorting it newest made first leaves.
            std::vector<NimbrelRule> expected;
            for (const NimbrelRule& r : store().rules().get())
                if (r.id.toString() != gone) expected.push_back(r.id == changed.id ? changed : r);
            expected.push_back(added);
            std::stable_sort(expected.begin(), expected.end(),
                             [](const NimbrelRule& a, const NimbrelRule& b) { return a.createdAt > b.createdAt; });
            merge({added, changed}, gone);
            ASSERT_EQ(nameList(store().rules().get()), nameList(expected)) << "operation " << i;
            break;
        }
        default:
            model->pauseRule(any(), "resume");
        }
        ASSERT_EQ(model->cards(), fresh()) << "operation " << i;
        ASSERT_EQ(persisted(), store().rules().get()) << "operation " << i;
    }
}

// A pull that sorts a list held in the order its rules were made moves nearly every rule: the
// cards of the rules it did not change are moved, also among cards of one name, not made anew, and
// a card whose pills stay is told to the view without them.
TEST_F(RulesViewModelTest, APullThatMovesEveryRuleMakesOnlyTheCardsOfTheRulesItChanged) {
    for (const int count : {10, 60}) { // the list edited, and arranged anew
        SCOPED_TRACE(count);
        std::vector<NimbrelRule> rules; // oldest first, names repeating
        for (int i = 0; i < count; ++i) {
            rules.push_back(rule(QStringLiteral("rule %1").arg(i % 4)));
            rules.back().createdAt = Date{1000.0 + i};
        }
        start(rules);
        QAbstractItemModel& list = *qobject_cast<QAbstractItemModel*>(model->cardsModel());
        QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);

        NimbrelRule renamed = rules[2];
        renamed.name = QStringLiteral("renamed");
        NimbrelRule added = rule(QStringLiteral("rule 1"));
        added.createdAt = Date{1000.0 + count / 2};
        std::vector<NimbrelCloudPayloadRecord> records;
        for (NimbrelRule* pulled : {&renamed, &added}) {
            pulled->updatedAt = Date{std::floor(env.scheduler.now().secondsSinceReferenceDate) + 60};
            NimbrelCloudPayloadRecord record;
            record.objectID = pulled->id.toString();
            record.payload = encodeCloudJSON(toJson(*pulled, json::DateForm::ISO8601));
            record.updatedAt = pulled->updatedAt;
            records.push_back(record);
        }
        const std::uint64_t before = model->cardsMade();
        store().applyCloudRules(records, {});

        ASSERT_EQ(store().rules().get().front().id, rules.back().id) << "the list is sorted newest made first";
        EXPECT_EQ(model->cardsMade() - before, 2u);
        EXPECT_EQ(model->cards(), RuleCardBuilder(*env.platform.workspace, *env.platform.files, env.scheduler.now())
                                      .cards(store().rules().get()));
        EXPECT_EQ(inserted.count(), 1);
        ASSERT_EQ(changed.count(), 1);
        EXPECT_EQ(changed.at(0).at(2).value<QList<int>>(), QList<int>{RuleCardListModel::CardRole});
    }
}

} // namespace
} // namespace nimbrel
