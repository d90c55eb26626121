#include "model/RulesStoreFixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>
#include <set>

namespace nimbrel {
namespace {

class RulesStoreEditingTest : public testing::RulesStoreFixture {
  protected:
    // The ids of the rules whose tombstones have not reached the cloud, as the defaults keep them.
    QStringList storedPendingDeletions() {
        QStringList ids;
        for (const auto& [id, deletedAt] :
             CloudPendingChanges(defaults, NimbrelRulesStore::pendingDeletionsKey).entries())
            ids << id;
        return ids;
    }
    std::set<QString> tombstonedIDs() {
        std::set<QString> ids;
        for (const auto& t : cloud.tombstones(NimbrelCloudPayloadType::rule))
            ids.insert(t.objectID);
        return ids;
    }
};

TEST_F(RulesStoreEditingTest, NoStoredRulesMeansAnEmptyListAndNoActivity) {
    auto store = makeStore();
    EXPECT_TRUE(store->rules().get().empty());
    EXPECT_TRUE(store->rulesForDockTap(tapped(QStringLiteral("Safari")), 1).empty());
    EXPECT_TRUE(activities.empty());
}

TEST_F(RulesStoreEditingTest, AddStoresDatesAsSecondsSince2001AndPushesThePayload) {
    setDeviceID(QStringLiteral("MAC-A"));
    auto store = makeStore();
    NimbrelRule r = rule(QStringLiteral("Open mail"), QStringLiteral("Mail"), QStringLiteral("com.apple.mail"));
    r.createdAt = Date{1000.5};
    r.updatedAt = Date{2000};
    store->addRule(r);

    const QJsonArray stored = QJsonDocument::fromJson(*defaults.dataValue(NimbrelRulesStore::defaultsKey)).array();
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0].toObject().value(QStringLiteral("createdAt")).toDouble(), 1000.5);
    EXPECT_EQ(stored[0].toObject().value(QStringLiteral("id")).toString(), r.id.toString());
    ASSERT_NE(last(QStringLiteral("Rule Created")), nullptr);
    EXPECT_EQ(messageOf(QStringLiteral("Rule Created")), QStringLiteral("Open mail was added."));

    scheduler.runUntilIdle();
    ASSERT_EQ(cloud.payloads(NimbrelCloudPayloadType::rule).size(), 1u);
    const NimbrelCloudPayloadRecord sent = cloud.payloads(NimbrelCloudPayloadType::rule)[0];
    EXPECT_EQ(sent.objectID, r.id.toString());
    EXPECT_EQ(sent.objectID, sent.objectID.toUpper());
    EXPECT_EQ(sent.payloadType, NimbrelCloudPayloadType::rule);
    EXPECT_EQ(sent.sourceDeviceID, QStringLiteral("MAC-A"));
    EXPECT_EQ(sent.createdAt, Date{1000.5});
    EXPECT_EQ(sent.updatedAt, Date{2000});
    EXPECT_EQ(sent.schemaVersion, 1);
    const auto decoded = decodeRule(sent.payload, json::DateForm::ISO8601);
    ASSERT_TRUE(decoded) << decoded.error.toStdString();
    EXPECT_EQ(decoded.value->name, r.name);
    EXPECT_TRUE(sent.payload.contains("\"createdAt\":\"2001-01-01T00:16:40Z\""));
}

TEST_F(RulesStoreEditingTest, UpdateReplacesInPlaceWithANewStampOrReportsAMissingRule) {
    auto store = makeStore();
    const NimbrelRule a = rule(QStringLiteral("A"), QStringLiteral("Mail"));
    const NimbrelRule b = rule(QStringLiteral("B"), QStringLiteral("Notes"));
    store->addRule(a);
    store->addRule(b);
    scheduler.advance(30);
    const int savesBefore = cloud.saves("rule_");

    NimbrelRule renamed = a;
    renamed.name = QStringLiteral("A2");
    store->updateRule(renamed);
    EXPECT_EQ(names(store->rules().get()), (QStringList{QStringLiteral("A2"), QStringLiteral("B")}));
    EXPECT_EQ(store->rules().get()[0].updatedAt, scheduler.now());
    EXPECT_EQ(names(storedRules()), (QStringList{QStringLiteral("A2"), QStringLiteral("B")}));
    EXPECT_EQ(messageOf(QStringLiteral("Rule Updated")), QStringLiteral("A2 was updated."));
    scheduler.runUntilIdle();
    EXPECT_EQ(cloud.saves("rule_"), savesBefore + 1);
    EXPECT_EQ(cloud.payloads(NimbrelCloudPayloadType::rule)[0].updatedAt, scheduler.now());

    const auto before = defaults.dataValue(NimbrelRulesStore::defaultsKey);
    store->updateRule(rule(QStringLiteral("Ghost"), QStringLiteral("X")));
    EXPECT_EQ(messageOf(QStringLiteral("Rule Update Failed")),
              QStringLiteral("Nimbrel could not find the rule to update."));
    EXPECT_EQ(typeOf(QStringLiteral("Rule Update Failed")), QStringLiteral("error"));
    EXPECT_EQ(defaults.dataValue(NimbrelRulesStore::defaultsKey), before);
    scheduler.runUntilIdle();
    EXPECT_EQ(cloud.saves("rule_"), savesBefore + 1);
}

TEST_F(RulesStoreEditingTest, DeletingARuleThatIsGoneStillSavesSendsATombstoneAndReports) {
    auto store = makeStore();
    const NimbrelRule kept = rule(QStringLiteral("Kept"), QStringLiteral("Mail"));
    store->addRule(kept);
    const NimbrelRule gone = rule(QStringLiteral("Gone"), QStringLiteral("Notes"));
    defaults.remove(NimbrelRulesStore::defaultsKey); // proves the delete saves
    scheduler.advance(3);
    store->deleteRule(gone);
    EXPECT_EQ(names(storedRules()), QStringList{QStringLiteral("Kept")});
    EXPECT_EQ(messageOf(QStringLiteral("Rule Deleted")), QStringLiteral("Gone was deleted."));
    scheduler.runUntilIdle();
    const auto tombstones = cloud.tombstones(NimbrelCloudPayloadType::rule);
    ASSERT_EQ(tombstones.size(), 1u);
    EXPECT_EQ(tombstones[0].objectID, gone.id.toString());
    EXPECT_EQ(tombstones[0].deletedAt, scheduler.now());
    EXPECT_EQ(tombstones[0].payloadType, NimbrelCloudPayloadType::rule);
}

TEST_F(RulesStoreEditingTest, PausingEnablesTheRuleAndResumingClearsThePause) {
    setCurrentLocaleName("en_US");
    auto store = makeStore();
    NimbrelRule r = rule(QStringLiteral("Focus"), QStringLiteral("Mail"));
    r.isEnabled = false;
    store->addRule(r);
    const Date end = scheduler.now().addingSeconds(3600);
    store->pauseRule(r.id, end);
    const NimbrelRule& paused = store->rules().get()[0];
    EXPECT_TRUE(paused.isEnabled);
    EXPECT_EQ(paused.pausedUntil, end);
    // Medium date and short time in the user's locale (the fixture's zone is UTC).
    EXPECT_EQ(messageOf(QStringLiteral("Rule Paused")),
              QStringLiteral("Focus was paused until Mar 10, 2026, 1:00 PM."));

    store->pauseRule(r.id, std::nullopt);
    EXPECT_EQ(store->rules().get()[0].pausedUntil, std::nullopt);
    EXPECT_EQ(messageOf(QStringLiteral("Rule Resumed")), QStringLiteral("Focus is active again."));
    EXPECT_EQ(storedRules()[0].pausedUntil, std::nullopt);

    store->pauseRule(Uuid::random(), end);
    EXPECT_EQ(messageOf(QStringLiteral("Rule Pause Failed")),
              QStringLiteral("Nimbrel could not find the rule to pause."));
    scheduler.runUntilIdle();
    // Add, pause and resume in one turn: the first push goes, the resume replaces the pause
    // that waited behind it.
    EXPECT_EQ(cloud.saves("rule_"), 2);
    EXPECT_EQ(
        cloud.payloads(NimbrelCloudPayloadType::rule)[0].payload,
        NimbrelCloudPayloadRecord::makeJSONEncoder().encode(toJson(store->rules().get()[0], json::DateForm::ISO8601)));
}

TEST_F(RulesStoreEditingTest, ADateThatCannotBeWrittenLeavesTheStoredRulesAlone) {
    auto store = makeStore();
    store->addRule(rule(QStringLiteral("Fine"), QStringLiteral("Mail")));
    const auto before = defaults.dataValue(NimbrelRulesStore::defaultsKey);
    NimbrelRule broken = rule(QStringLiteral("Broken"), QStringLiteral("Notes"));
    broken.createdAt = Date{std::numeric_limits<double>::quiet_NaN()};
    store->addRule(broken);
    EXPECT_EQ(store->rules().get().size(), 2u); // the list in memory keeps the change
    EXPECT_EQ(defaults.dataValue(NimbrelRulesStore::defaultsKey), before);
    ASSERT_NE(last(QStringLiteral("Rules Save Failed")), nullptr);
    EXPECT_EQ(typeOf(QStringLiteral("Rules Save Failed")), QStringLiteral("error"));
    scheduler.runUntilIdle();
    EXPECT_NE(last(QStringLiteral("Rule Sync Encoding Failed")), nullptr);
    EXPECT_EQ(cloud.saves("rule_"), 1); // only the first rule went out
}

TEST_F(RulesStoreEditingTest, UnreadableStoredRulesAreReportedOnceAndKeptAsideBeforeTheFirstSave) {
    const QByteArray bad = R"([{"id": "not-a-uuid"}])";
    defaults.setData(NimbrelRulesStore::defaultsKey, bad);
    const Date failedAt = scheduler.now();
    auto store = makeStore();
    EXPECT_TRUE(store->rules().get().empty());
    for (int i = 0; i < 5; ++i)
        store->rulesForDockTap(tapped(QStringLiteral("Mail")), 1);
    EXPECT_EQ(count(QStringLiteral("Rules Load Failed")), 1);
    EXPECT_EQ(typeOf(QStringLiteral("Rules Load Failed")), QStringLiteral("error"));
    EXPECT_EQ(defaults.dataValue(NimbrelRulesStore::defaultsKey), bad); // untouched until a save

    scheduler.advance(10);
    store->addRule(rule(QStringLiteral("New"), QStringLiteral("Mail")));
    EXPECT_EQ(names(storedRules()), QStringList{QStringLiteral("New")});
    const QVariantList kept = defaults.arrayValue(NimbrelRulesStore::unreadableRulesKey).value_or(QVariantList{});
    ASSERT_EQ(kept.size(), 1);
    const QVariantMap entry = kept[0].toMap();
    EXPECT_EQ(entry.value(QStringLiteral("value")).toByteArray(), bad);
    EXPECT_EQ(entry.value(QStringLiteral("failedAt")).value<Date>(), failedAt);
    EXPECT_FALSE(entry.value(QStringLiteral("error")).toString().isEmpty());

    // Saving again keeps no second copy; another bad value is a new failure.
    store->addRule(rule(QStringLiteral("Newer"), QStringLiteral("Mail")));
    EXPECT_EQ(defaults.arrayValue(NimbrelRulesStore::unreadableRulesKey)->size(), 1);
    defaults.setData(NimbrelRulesStore::defaultsKey, QByteArray("{oops"));
    store->rulesForDockTap(tapped(QStringLiteral("Mail")), 1);
    store->rulesForDockTap(tapped(QStringLiteral("Mail")), 1);
    EXPECT_EQ(count(QStringLiteral("Rules Load Failed")), 2);
    store->addRule(rule(QStringLiteral("Last"), QStringLiteral("Mail")));
    EXPECT_EQ(defaults.arrayValue(NimbrelRulesStore::unreadableRulesKey)->size(), 2);
}

// Whatever the value, a NaN (never equal to itself) too, each kept beside those kept before: a
// dictionary with a key more or less than one kept is another value.
TEST_F(RulesStoreEditingTest, AStoredValueOfTheWrongTypeIsReportedAndKeptToo) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QVariantMap a{{"a", nan}}, ab{{"a", nan}, {"b", true}}, b{{"b", true}};
    const QVariantList values = QVariantList{QStringLiteral("[]"), nan, std::numeric_limits<double>::infinity(),
                                             QVariantList{QStringLiteral("x"), nan}, QVariant::fromValue(Date{nan})} +
                                QVariantList{a, ab, b};
    qsizetype seen = 0;
    for (const QVariant& value : values) {
        SCOPED_TRACE(value.toString().toStdString());
        defaults.set(NimbrelRulesStore::defaultsKey, value);
        activities.clear();
        auto store = makeStore();
        EXPECT_EQ(count(QStringLiteral("Rules Load Failed")), 1);
        store->addRule(rule(QStringLiteral("New"), QStringLiteral("Mail")));
        store->addRule(rule(QStringLiteral("Newer"), QStringLiteral("Mail")));
        const QVariantList kept = defaults.arrayValue(NimbrelRulesStore::unreadableRulesKey).value_or(QVariantList{});
        ASSERT_EQ(kept.size(), ++seen);
        EXPECT_TRUE(sameStoredValue(kept.last().toMap().value(QStringLiteral("value")), value));
    }
}

TEST_F(RulesStoreEditingTest, EditsWhileSyncIsOffAreNeverSentButDeletionsAre) {
    auto store = makeStore();
    syncEnabled = false;
    NimbrelRule r = rule(QStringLiteral("Quiet"), QStringLiteral("Mail"));
    store->addRule(r);
    store->pauseRule(r.id, std::nullopt);
    NimbrelRule other = rule(QStringLiteral("Other"), QStringLiteral("Notes"));
    store->deleteRule(other);
    syncEnabled = true;
    setGlobalPause(true);
    store->deleteRule(r);
    scheduler.advance(120);
    EXPECT_EQ(cloud.saves(""), 0) << "nothing goes out while paused";
    setGlobalPause(false);
    scheduler.advance(60); // the next pull sends the deletions that waited
    EXPECT_TRUE(cloud.payloads(NimbrelCloudPayloadType::rule).empty());
    EXPECT_EQ(tombstonedIDs(), (std::set<QString>{r.id.toString(), other.id.toString()}));
    EXPECT_TRUE(storedPendingDeletions().isEmpty());
}

TEST_F(RulesStoreEditingTest, ADeletionWhileTheAccountIsUnavailableStaysStoredUntilItsTombstoneIsSaved) {
    auto store = makeStore();
    NimbrelRule r = rule(QStringLiteral("Gone"), QStringLiteral("Mail"));
    store->addRule(r);
    scheduler.runUntilIdle();
    ASSERT_EQ(cloud.payloads(NimbrelCloudPayloadType::rule).size(), 1u);

    status->status.set(NimbrelCloudKitAccountStatus::noAccount());
    store->deleteRule(r);
    scheduler.advance(120); // the deletion and two pulls try to send the tombstone
    EXPECT_TRUE(tombstonedIDs().empty());
    EXPECT_EQ(storedPendingDeletions(), QStringList{r.id.toString()});

    // A restart keeps it too; once the account is back, the tombstone goes out and only then
    // is the deletion forgotten.
    store.reset();
    store = makeStore();
    EXPECT_EQ(storedPendingDeletions(), QStringList{r.id.toString()});
    status->status.set(NimbrelCloudKitAccountStatus::available());
    // A sync registry written anew meanwhile lists the deletion, so that no new Mac shows the rule.
    cloud.damage("sync_registry");
    store->addRule(rule(QStringLiteral("Other"), QStringLiteral("Notes")));
    scheduler.runUntilIdle();
    EXPECT_EQ(cloud.listed("tombstoneIDs_rule"), QStringList{r.id.toString()});
    notifications.post(kCloudKitBecameAvailableNotification);
    scheduler.runUntilIdle();
    EXPECT_EQ(tombstonedIDs(), std::set<QString>{r.id.toString()});
    EXPECT_TRUE(storedPendingDeletions().isEmpty());
    EXPECT_EQ(names(store->rules().get()), QStringList{"Other"});
}

TEST_F(RulesStoreEditingTest, TwoQuickEditsReachTheCloudInTheirOrder) {
    auto store = makeStore();
    NimbrelRule r = rule(QStringLiteral("First"), QStringLiteral("Mail"));
    store->addRule(r);
    r.name = QStringLiteral("Second");
    store->updateRule(r);
    scheduler.runUntilIdle();
    EXPECT_EQ(cloud.saves("rule_"), 2);
    const auto sent = cloud.payloads(NimbrelCloudPayloadType::rule);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(decodeRule(sent[0].payload, json::DateForm::ISO8601).value->name, QStringLiteral("Second"));
}

} // namespace
} // namespace nimbrel
