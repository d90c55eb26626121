#include "model/AppCapabilities.h"
#include "model/RulesStoreFixture.h"
#include "platform/Calendar.h"
#include "platform/local/JsonFileUserDefaults.h"

namespace nimbrel {
namespace {

class RulesForDockTapTest : public testing::RulesStoreFixture {
  protected:
    std::shared_ptr<NimbrelRulesStore> storeWith(const std::vector<NimbrelRule>& rules) {
        storeRules(rules);
        auto store = makeStore();
        activities.clear();
        return store;
    }
};

TEST_F(RulesForDockTapTest, MatchesByBundleIdentifierPathOrFoldedName) {
    const NimbrelRule byId = rule(QStringLiteral("by id"), QStringLiteral("Other"), QStringLiteral("com.a"));
    const NimbrelRule byPath = rule(QStringLiteral("by path"), QStringLiteral("Other"), QStringLiteral("com.b"),
                                    QStringLiteral("/Applications/Tool.app"));
    const NimbrelRule byName =
        rule(QStringLiteral("by name"), QStringLiteral("Café Tool.app"), QStringLiteral("com.c"));
    auto store = storeWith({byId, byPath, byName});

    EXPECT_EQ(names(store->rulesForDockTap(tapped(QStringLiteral("X"), QStringLiteral("com.a")), 1)),
              QStringList{QStringLiteral("by id")});
    // Unequal bundle identifiers do not stop a match by path or by name.
    EXPECT_EQ(names(store->rulesForDockTap(
                  tapped(QStringLiteral("X"), QStringLiteral("com.z"), QStringLiteral("/Applications/Tool.app")), 1)),
              QStringList{QStringLiteral("by path")});
    EXPECT_EQ(names(store->rulesForDockTap(tapped(QStringLiteral("CAFE tool"), QStringLiteral("com.z")), 1)),
              QStringList{QStringLiteral("by name")});
    EXPECT_TRUE(store->rulesForDockTap(tapped(QStringLiteral("Unrelated"), QStringLiteral("com.z")), 1).empty());
    // A path that differs only in case is another path.
    EXPECT_TRUE(
        store->rulesForDockTap(tapped(QStringLiteral("X"), std::nullopt, QStringLiteral("/applications/tool.app")), 1)
            .empty());
}

TEST_F(RulesForDockTapTest, AmongManyRulesEveryTapFindsExactlyTheRulesOfItsApp) {
    // Every mix of identifier, path, name, click count and enabled state, in one list.
    const std::optional<QString> ids[] = {std::nullopt, QStringLiteral("com.a"), QStringLiteral("com.b")};
    const std::optional<QString> paths[] = {std::nullopt, QStringLiteral("/A.app"), QStringLiteral("/B.app")};
    const QString appNames[] = {QStringLiteral("Alpha"), QStringLiteral("ALPHA.app"), QStringLiteral("Beta"),
                                QString()};
    std::vector<NimbrelRule> rules;
    for (const auto& id : ids)
        for (const auto& path : paths)
            for (const QString& appName : appNames)
                for (const std::int64_t clicks : {1, 2})
                    for (const bool enabled : {true, false}) {
                        rules.push_back(rule(QString::number(rules.size()), appName, id, path, clicks));
                        rules.back().isEnabled = enabled;
                    }
    auto store = storeWith(rules);
    for (const auto& id : ids)
        for (const auto& path : {std::optional<QString>(), std::optional(QStringLiteral("/A.app"))})
            for (const QString& appName :
                 {QStringLiteral("alpha"), QStringLiteral("Beta"), QString(), QStringLiteral("Gamma")})
                for (const std::int64_t clicks : {1, 2, 3}) {
                    const NimbrelRuleAppTarget app = tapped(appName, id, path);
                    QStringList expected;
                    for (const NimbrelRule& r : rules) {
                        const NimbrelRuleAppTarget& t = r.trigger.app;
                        const bool sameApp = (t.bundleIdentifier && id && t.bundleIdentifier == id) ||
                                             (t.path && path && t.path == path) ||
                                             normalizedAppName(t.displayName) == normalizedAppName(appName);
                        if (r.isEnabled && r.trigger.clickCount == clicks && sameApp) expected << r.name;
                    }
                    EXPECT_EQ(names(store->rulesForDockTap(app, clicks)), expected)
                        << id.value_or("-").toStdString() << " " << path.value_or("-").toStdString() << " "
                        << appName.toStdString() << " " << clicks;
                }
}

TEST_F(RulesForDockTapTest, ARuleWithoutIdentifierOrPathMatchesAnyAppOfThatName) {
    auto store = storeWith({rule(QStringLiteral("notes"), QStringLiteral("Notes"))});
    EXPECT_EQ(
        store->rulesForDockTap(tapped(QStringLiteral("notes"), QStringLiteral("com.any"), QStringLiteral("/x")), 1)
            .size(),
        1u);
}

TEST_F(RulesForDockTapTest, TwoMatchesAreReturnedInStoreOrderAndReportedTogether) {
    auto store = storeWith({rule(QStringLiteral("First"), QStringLiteral("Mail")),
                            rule(QStringLiteral("Elsewhere"), QStringLiteral("Notes")),
                            rule(QStringLiteral("Second"), QStringLiteral("Mail"))});
    EXPECT_EQ(names(store->rulesForDockTap(tapped(QStringLiteral("Mail")), 1)),
              (QStringList{QStringLiteral("First"), QStringLiteral("Second")}));
    ASSERT_EQ(activities.size(), 1u);
    EXPECT_EQ(activities[0].title, QStringLiteral("Rules Matched"));
    EXPECT_EQ(activities[0].type, QStringLiteral("rule"));
    EXPECT_EQ(activities[0].message, QStringLiteral("Mail matched First, Second on click 1."));

    store->rulesForDockTap(tapped(QStringLiteral("Notes")), 1);
    EXPECT_EQ(activities.back().title, QStringLiteral("Rule Matched"));
    EXPECT_EQ(activities.back().message, QStringLiteral("Notes matched Elsewhere on click 1."));
}

TEST_F(RulesForDockTapTest, OnlyEnabledRulesWithTheSameClickCountFire) {
    NimbrelRule off = rule(QStringLiteral("off"), QStringLiteral("Mail"));
    off.isEnabled = false;
    auto store = storeWith({off, rule(QStringLiteral("double"), QStringLiteral("Mail"), std::nullopt, std::nullopt, 2),
                            rule(QStringLiteral("odd"), QStringLiteral("Mail"), std::nullopt, std::nullopt, 7)});
    EXPECT_TRUE(store->rulesForDockTap(tapped(QStringLiteral("Mail")), 1).empty());
    EXPECT_EQ(names(store->rulesForDockTap(tapped(QStringLiteral("Mail")), 2)), QStringList{QStringLiteral("double")});
    EXPECT_TRUE(store->rulesForDockTap(tapped(QStringLiteral("Mail")), 3).empty());
    EXPECT_TRUE(activities.size() == 1u);
}

TEST_F(RulesForDockTapTest, ASchedulesWindowDecides) {
    const DateComponents parts = Calendar::current().components(scheduler.now());
    NimbrelRule later = rule(QStringLiteral("later"), QStringLiteral("Mail"));
    later.availability.mode = NimbrelRuleAvailabilityMode::scheduled;
    later.availability.startTime = NimbrelClockTime{(parts.hour + 2) % 24, 0};
    later.availability.endTime = NimbrelClockTime{(parts.hour + 3) % 24, 0};
    NimbrelRule now = later;
    now.id = Uuid::random();
    now.name = QStringLiteral("now");
    now.availability.startTime = NimbrelClockTime{parts.hour, 0};
    now.availability.endTime = NimbrelClockTime{(parts.hour + 1) % 24, 0};
    auto store = storeWith({later, now});
    EXPECT_EQ(names(store->rulesForDockTap(tapped(QStringLiteral("Mail")), 1)), QStringList{QStringLiteral("now")});
}

TEST_F(RulesForDockTapTest, TheGlobalPauseReturnsNothingAndClearsNoPause) {
    NimbrelRule r = rule(QStringLiteral("r"), QStringLiteral("Mail"));
    r.pausedUntil = scheduler.now().addingSeconds(-10);
    auto store = storeWith({r});
    setGlobalPause(true);
    EXPECT_TRUE(store->rulesForDockTap(tapped(QStringLiteral("Mail")), 1).empty());
    EXPECT_TRUE(activities.empty());
    EXPECT_EQ(storedRules()[0].pausedUntil, r.pausedUntil);
    // The tap still loads what is stored.
    storeRules({});
    store->rulesForDockTap(tapped(QStringLiteral("Mail")), 1);
    EXPECT_TRUE(store->rules().get().empty());
}

TEST_F(RulesForDockTapTest, APauseEndingExactlyNowHasRunOutAndTheRuleFires) {
    NimbrelRule r = rule(QStringLiteral("r"), QStringLiteral("Mail"));
    r.pausedUntil = scheduler.now();
    auto store = storeWith({r});
    const std::vector<NimbrelRule> fired = store->rulesForDockTap(tapped(QStringLiteral("Mail")), 1);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].pausedUntil, r.pausedUntil); // returned as it was read
    EXPECT_EQ(store->rules().get()[0].pausedUntil, std::nullopt);
    EXPECT_EQ(store->rules().get()[0].updatedAt, scheduler.now());
    EXPECT_EQ(storedRules()[0].pausedUntil, std::nullopt);
    ASSERT_NE(last(QStringLiteral("Rule Pause Expired")), nullptr);
    EXPECT_EQ(messageOf(QStringLiteral("Rule Pause Expired")), QStringLiteral("1 paused rule became active again."));
    scheduler.runUntilIdle();
    const auto sent = cloud.payloads(NimbrelCloudPayloadType::rule);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(decodeRule(sent[0].payload, json::DateForm::ISO8601).value->pausedUntil, std::nullopt);
}

TEST_F(RulesForDockTapTest, RunOutPausesOfOtherAppsAreClearedTooAndFuturePausesSkip) {
    NimbrelRule a = rule(QStringLiteral("a"), QStringLiteral("Notes"));
    a.pausedUntil = scheduler.now().addingSeconds(-60);
    NimbrelRule b = rule(QStringLiteral("b"), QStringLiteral("Maps"));
    b.pausedUntil = scheduler.now().addingSeconds(-1);
    NimbrelRule future = rule(QStringLiteral("future"), QStringLiteral("Mail"));
    future.pausedUntil = scheduler.now().addingSeconds(1);
    NimbrelRule otherCount = rule(QStringLiteral("c"), QStringLiteral("Notes"), std::nullopt, std::nullopt, 2);
    otherCount.pausedUntil = scheduler.now().addingSeconds(-1);
    auto store = storeWith({a, b, future, otherCount});

    EXPECT_TRUE(store->rulesForDockTap(tapped(QStringLiteral("Mail")), 1).empty());
    EXPECT_EQ(messageOf(QStringLiteral("Rule Pause Expired")), QStringLiteral("2 paused rules became active again."));
    const std::vector<NimbrelRule> stored = storedRules();
    EXPECT_EQ(stored[0].pausedUntil, std::nullopt);
    EXPECT_EQ(stored[1].pausedUntil, std::nullopt);
    EXPECT_EQ(stored[2].pausedUntil, future.pausedUntil);
    EXPECT_EQ(stored[3].pausedUntil, otherCount.pausedUntil); // needs a double click to clear
    EXPECT_EQ(count(QStringLiteral("Rule Matched")), 0);
    scheduler.runUntilIdle();
    EXPECT_EQ(cloud.payloads(NimbrelCloudPayloadType::rule).size(), 2u);
}

TEST_F(RulesForDockTapTest, AChangeToTheStoredRulesIsSeenByTheNextTap) {
    auto store = storeWith({rule(QStringLiteral("old"), QStringLiteral("Mail"))});
    EXPECT_EQ(names(store->rulesForDockTap(tapped(QStringLiteral("Mail")), 1)), QStringList{QStringLiteral("old")});
    EXPECT_EQ(names(store->rulesForDockTap(tapped(QStringLiteral("Mail")), 1)), QStringList{QStringLiteral("old")});

    // Another writer (a second store, a restored backup) replaces the stored data.
    storeRules({rule(QStringLiteral("new"), QStringLiteral("Mail"))});
    EXPECT_EQ(names(store->rulesForDockTap(tapped(QStringLiteral("Mail")), 1)), QStringList{QStringLiteral("new")});
    EXPECT_EQ(names(store->rules().get()), QStringList{QStringLiteral("new")});

    // A rename keeps the old folded name from lingering in the lookup.
    NimbrelRule renamed = store->rules().get()[0];
    renamed.trigger.app.displayName = QStringLiteral("Notes");
    storeRules({renamed});
    EXPECT_TRUE(store->rulesForDockTap(tapped(QStringLiteral("Mail")), 1).empty());
    EXPECT_EQ(store->rulesForDockTap(tapped(QStringLiteral("Notes")), 1).size(), 1u);

    // So is a removal.
    defaults.remove(NimbrelRulesStore::defaultsKey);
    EXPECT_TRUE(store->rulesForDockTap(tapped(QStringLiteral("Notes")), 1).empty());
}

TEST_F(RulesForDockTapTest, OnTheProgramsDefaultsEveryChangeAfterASaveIsSeenByTheNextTap) {
    // The file-backed defaults keep a copy of what is saved, never the saver's own bytes.
    JsonFileUserDefaults file(JsonFileUserDefaults::filePath(platform.locations));
    platform.defaults = &file;
    const auto storeIn = [&](const std::vector<NimbrelRule>& rules) {
        file.setData(NimbrelRulesStore::defaultsKey, encodeRules(rules, json::DateForm::SecondsSince2001));
    };
    storeIn({rule(QStringLiteral("old"), QStringLiteral("Mail"))});
    auto store = makeStore();
    NimbrelRule edited = store->rules().get()[0];
    edited.name = QStringLiteral("new");
    store->updateRule(edited);
    EXPECT_EQ(names(store->rulesForDockTap(tapped(QStringLiteral("Mail")), 1)), QStringList{QStringLiteral("new")});

    storeIn({rule(QStringLiteral("now"), QStringLiteral("Mail"))}); // as long as the saved one
    EXPECT_EQ(names(store->rulesForDockTap(tapped(QStringLiteral("Mail")), 1)), QStringList{QStringLiteral("now")});
    file.remove(NimbrelRulesStore::defaultsKey);
    EXPECT_TRUE(store->rulesForDockTap(tapped(QStringLiteral("Mail")), 1).empty());
    store.reset();
    platform.defaults = &defaults;
}

// The store keeps its lookup up to date through its own edits instead of making it anew: after
// every kind of edit each tap must find what a store that has just read the saved list finds.
TEST_F(RulesForDockTapTest, AfterEveryEditATapFindsWhatAFreshlyLoadedStoreFinds) {
    const Date later = scheduler.now().addingSeconds(3600);
    std::vector<NimbrelRule> rules = {
        rule(QStringLiteral("a"), QStringLiteral("Mail"), QStringLiteral("com.mail")),
        rule(QStringLiteral("b"), QStringLiteral("Notes"), std::nullopt, QStringLiteral("/N.app")),
        rule(QStringLiteral("c"), QStringLiteral("Mail"), QStringLiteral("com.mail"), std::nullopt, 2),
        rule(QStringLiteral("d"), QStringLiteral("Safari")),
        rule(QStringLiteral("e"), QStringLiteral("Mail")),
    };
    auto store = storeWith(rules);
    const std::vector<std::pair<NimbrelRuleAppTarget, std::int64_t>> taps = {
        {tapped(QStringLiteral("Mail"), QStringLiteral("com.mail")), 1},
        {tapped(QStringLiteral("Mail"), QStringLiteral("com.mail")), 2},
        {tapped(QStringLiteral("X"), std::nullopt, QStringLiteral("/N.app")), 1},
        {tapped(QStringLiteral("notes")), 1},
        {tapped(QStringLiteral("Safari")), 1},
        {tapped(QStringLiteral("Terminal"), QStringLiteral("com.term")), 1},
    };
    const auto lookups = [&](NimbrelRulesStore& s) {
        std::vector<QStringList> found;
        for (const auto& [app, clicks] : taps)
            found.push_back(names(s.rulesForDockTap(app, clicks)));
        return found;
    };
    const auto at = [&](const QString& name) {
        for (const NimbrelRule& r : store->rules().get())
            if (r.name == name) return r;
        ADD_FAILURE() << name.toStdString();
        return NimbrelRule{};
    };
    const auto edited = [&](const QString& name, const std::function<void(NimbrelRule&)>& change) {
        NimbrelRule r = at(name);
        change(r);
        store->updateRule(r);
    };
    const std::vector<std::pair<const char*, std::function<void()>>> edits = {
        {"new bundle identifier",
         [&] { edited("a", [](NimbrelRule& r) { r.trigger.app.bundleIdentifier = "com.term"; }); }},
        {"renamed app", [&] { edited("b", [](NimbrelRule& r) { r.trigger.app.displayName = "Safari"; }); }},
        {"other click count", [&] { edited("c", [](NimbrelRule& r) { r.trigger.clickCount = 1; }); }},
        {"disabled", [&] { edited("d", [](NimbrelRule& r) { r.isEnabled = false; }); }},
        {"enabled again", [&] { edited("d", [](NimbrelRule& r) { r.isEnabled = true; }); }},
        {"only its name", [&] { edited("e", [](NimbrelRule& r) { r.name = "e2"; }); }},
        {"added",
         [&] { store->addRule(rule(QStringLiteral("f"), QStringLiteral("Notes"), QStringLiteral("com.term"))); }},
        {"deleted from the middle", [&] { store->deleteRule(at(QStringLiteral("c"))); }},
        {"paused", [&] { store->pauseRule(at(QStringLiteral("e2")).id, later); }},
        {"pause ran out",
         [&] {
             scheduler.advance(3600);
             // A tap on any app of its click count clears it.
             store->rulesForDockTap(tapped(QStringLiteral("Terminal"), QStringLiteral("com.term")), 1);
             EXPECT_EQ(at(QStringLiteral("e2")).pausedUntil, std::nullopt);
         }},
        {"resumed", [&] { store->pauseRule(at(QStringLiteral("f")).id, std::nullopt); }},
        {"merged from the cloud: one changed, one added first, one deleted",
         [&] {
             NimbrelRule changed = at(QStringLiteral("b"));
             changed.trigger.app.displayName = QStringLiteral("Terminal");
             changed.updatedAt = changed.updatedAt.addingSeconds(60);
             store->applyCloudRules({payloadRecord(changed), payloadRecord(rule(QStringLiteral("g"), "Safari"))},
                                    {tombstone(at(QStringLiteral("d")).id)});
         }},
        {"first deleted", [&] { store->deleteRule(at(QStringLiteral("a"))); }},
    };
    lookups(*store); // the lookup is made before the edits
    for (const auto& [what, edit] : edits) {
        edit();
        const std::vector<QStringList> seen = lookups(*store);
        auto fresh = NimbrelRulesStore::create(platform, links());
        EXPECT_EQ(seen, lookups(*fresh)) << what;
        EXPECT_EQ(store->rules().get(), fresh->rules().get()) << what;
        // Only the edited rules are encoded again, yet the stored text is the whole list's.
        EXPECT_EQ(defaults.dataValue(NimbrelRulesStore::defaultsKey),
                  encodeRules(store->rules().get(), json::DateForm::SecondsSince2001))
            << what;
    }
}

TEST_F(RulesForDockTapTest, ScreensWritingTheListDirectlyAreOverruledByTheStoredRulesOnTheNextTap) {
    auto store = storeWith({rule(QStringLiteral("stored"), QStringLiteral("Mail"))});
    store->setRules({});
    EXPECT_EQ(names(store->rulesForDockTap(tapped(QStringLiteral("Mail")), 1)), QStringList{QStringLiteral("stored")});
}

} // namespace
} // namespace nimbrel
