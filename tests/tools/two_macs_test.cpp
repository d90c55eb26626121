#include "TwoMacs.h"

#include "model/BlacklistStore.h"
#include "model/RuleCoding.h"
#include "model/RulesStore.h"
#include "model/SettingsStore.h"
#include "sessions/SessionsStore.h"
#include "support/QtPrinters.h"
#include "sync/CloudOwnCopies.h"
#include "sync/CloudPayloadType.h"
#include "sync/CloudPayloads.h"
#include "sync/CloudSyncManager.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace nimbrel::simtool {
namespace {

// 2026-03-10 12:00:00 UTC, a Tuesday.
constexpr Date kStart{794836800.0};

class TwoMacsTest : public ::testing::Test {
  protected:
    TwoMacsTest() {
        setCurrentTimeZone(QTimeZone("UTC"));
        macs.launch(macs.a());
        macs.launch(macs.b());
        macs.advance(2); // both stores made, the accounts answered, the first pulls done
        for (TwoMacs::Mac* mac : {&macs.a(), &macs.b()}) {
            mac->run([] {
                BlacklistStore::setCachedInstalledApps({});
                BlacklistStore::shared();
            });
            mac->takeActivities();
        }
        macs.advance(1);
    }
    ~TwoMacsTest() override { setCurrentTimeZone(QTimeZone()); }

    static NimbrelRule rule(const QString& name, Date at) {
        NimbrelRuleTrigger trigger{1, NimbrelRuleAppTarget{QStringLiteral("Mail"), std::nullopt, std::nullopt}};
        return NimbrelRule::make(name, true, false, trigger,
                                 {NimbrelRuleAction::runSystemBehavior(SystemBehaviorRuleAction{})}, at);
    }
    static QStringList ruleNames(TwoMacs::Mac& mac) {
        return mac.run([] {
            QStringList names;
            for (const NimbrelRule& r : NimbrelRulesStore::shared().rules().get())
                names << r.name;
            return names;
        });
    }
    static QStringList titles(TwoMacs::Mac& mac) {
        QStringList out;
        for (const QString& a : mac.takeActivities())
            out << a.section(QStringLiteral(": "), 0, 1);
        return out;
    }

    QTemporaryDir dir;
    TwoMacs macs{dir.path(), kStart};
};

TEST_F(TwoMacsTest, WhatOneMacChangesReachesTheOtherAtItsNextPull) {
    NimbrelSession session;
    session.name = QStringLiteral("Deep work");
    session.scheduleWeekdays.clear(); // never active: nothing else happens on B
    macs.a().run([&] {
        NimbrelRulesStore::shared().addRule(rule(QStringLiteral("Open mail"), macs.now()));
        NimbrelSessionsStore::shared().addSession(session);
        BlacklistStore& blacklist = BlacklistStore::shared();
        blacklist.setBlacklistedAppKeys({QStringLiteral("com.apple.Safari")});
        blacklist.save();
        blacklist.pushToCloud();
        NimbrelSettingsStore::shared().setBehaviorMode(NimbrelBehaviorMode::cycling);
    });
    macs.advance(2);
    EXPECT_EQ(titles(macs.a()).filter("Synced").join(", "),
              QStringLiteral("blacklist: Blacklist Synced, rule: Rule Synced, session: Session Synced"));
    EXPECT_TRUE(ruleNames(macs.b()).isEmpty()) << "not before B pulls";

    macs.advance(60);
    EXPECT_EQ(ruleNames(macs.b()), QStringList{"Open mail"});
    macs.b().run([&] {
        ASSERT_EQ(NimbrelSessionsStore::shared().sessions().get().size(), 1u);
        EXPECT_EQ(NimbrelSessionsStore::shared().sessions().get()[0].id, session.id);
        EXPECT_EQ(BlacklistStore::shared().blacklistedAppKeys().get(), std::set<QString>{"com.apple.Safari"});
        EXPECT_EQ(NimbrelSettingsStore::currentBehaviorMode(), NimbrelBehaviorMode::cycling);
    });
    const QStringList onB = titles(macs.b());
    for (const char* expected : {"info: Settings Synced From iCloud", "session: Sessions Synced From iCloud",
                                 "rule: Rules Synced From iCloud", "blacklist: Blacklist Synced From iCloud"})
        EXPECT_TRUE(onB.contains(expected)) << expected << "\n" << onB.join("\n").toStdString();
    EXPECT_TRUE(titles(macs.a()).filter("From iCloud").isEmpty()) << "nothing comes back to A";
}

TEST_F(TwoMacsTest, EditsOnBothSidesEndWithTheLaterOne) {
    const NimbrelRule original = rule(QStringLiteral("Original"), macs.now());
    macs.a().run([&] { NimbrelRulesStore::shared().addRule(original); });
    macs.advance(61);
    ASSERT_EQ(ruleNames(macs.b()), QStringList{"Original"});

    NimbrelRule onA = original;
    onA.name = QStringLiteral("Edited on A");
    macs.a().run([&] { NimbrelRulesStore::shared().updateRule(onA); });
    macs.advance(5);
    NimbrelRule onB = original;
    onB.name = QStringLiteral("Edited on B");
    macs.b().run([&] { NimbrelRulesStore::shared().updateRule(onB); }); // later
    macs.advance(130);
    EXPECT_EQ(ruleNames(macs.a()), QStringList{"Edited on B"});
    EXPECT_EQ(ruleNames(macs.b()), QStringList{"Edited on B"});
}

TEST_F(TwoMacsTest, ADeletionMadeOfflineIsNotUndoneAndReachesTheOtherMac) {
    const NimbrelRule kept = rule(QStringLiteral("Kept"), macs.now());
    const NimbrelRule doomed = rule(QStringLiteral("Doomed"), macs.now());
    macs.a().run([&] {
        NimbrelRulesStore::shared().addRule(kept);
        NimbrelRulesStore::shared().addRule(doomed);
    });
    macs.advance(61);
    ASSERT_EQ(ruleNames(macs.b()).size(), 2);

    macs.a().cloud().conditions().offline = true;
    macs.a().run([&] { NimbrelRulesStore::shared().deleteRule(doomed); });
    macs.advance(125); // pulls while offline find nothing and bring nothing back
    EXPECT_EQ(ruleNames(macs.a()), QStringList{"Kept"});
    EXPECT_EQ(ruleNames(macs.b()).size(), 2) << "B has not heard of it yet";
    EXPECT_TRUE(titles(macs.a()).contains("error: Rule Deletion Sync Failed"));

    macs.a().cloud().conditions().offline = false;
    macs.advance(125);
    EXPECT_EQ(ruleNames(macs.a()), QStringList{"Kept"}) << "the pull did not undo the deletion";
    EXPECT_EQ(ruleNames(macs.b()), QStringList{"Kept"});
    EXPECT_TRUE(titles(macs.a()).contains("rule: Rule Deletion Synced"));
}

// A restart is a kill: once the program has ended, no cloud answer reaches it and it makes no
// further call, but a request that had reached the cloud may still be written there; and the
// preferences keep only what had reached the disk.
TEST_F(TwoMacsTest, ARestartIsAKill) {
    struct Row {
        const char* what;
        double latency;
        bool offline;     // before the rename
        double killAfter; // seconds after the rename
        bool cloudHasIt;  // the rename is written in the cloud
        bool keptOnA;     // the rename (and its pending mark) is on A's disk
    };
    const Row rows[] = {
        {"killed while the fetch before the save is answered", 1, false, 0.5, false, true},
        {"killed while the save's answer is on its way", 1, false, 1.5, true, true},
        {"killed before the preferences were written", 0, true, 0.05, false, false},
        {"killed once they were written", 0, true, 0.2, false, true},
    };
    TwoMacs::Mac& a = macs.a();
    const auto cloudName = [&](const Uuid& id) {
        const CloudRecordID record = payloadRecordID(NimbrelCloudPayloadType::rule, id.toString());
        auto stored = a.cloud().readDirectly(QStringLiteral("iCloud.com.nimbrel.app"), record);
        auto payload = stored.ok() ? NimbrelCloudPayloadRecord::fromRecord(stored.value()) : std::nullopt;
        auto decoded = payload ? decodeRule(payload->payload, json::DateForm::ISO8601) : json::Decoded<NimbrelRule>{};
        return decoded ? decoded.value->name : QString();
    };
    const auto marks = [&] {
        QVariantMap out;
        for (const QString& prefix : {NimbrelCloudSyncManager::pendingPushesKey, CloudOwnCopies::key})
            for (const QString& key : a.defaults().keysStartingWith(prefix + "."))
                out[key] = a.defaults().object(key);
        return out;
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        NimbrelRule r = rule(QStringLiteral("Rule %1").arg(++n), macs.now());
        a.run([&] { NimbrelRulesStore::shared().addRule(r); });
        macs.advance(61);
        const QVariantMap before = marks();
        a.cloud().conditions().offline = row.offline;
        a.cloud().conditions().latency = row.latency;
        r.name += QStringLiteral(", renamed");
        a.run([&] { NimbrelRulesStore::shared().updateRule(r); });
        macs.advance(row.killAfter);
        const QVariantMap handedIn = marks();
        macs.restart(a);
        a.takeActivities();
        macs.advance(0.9); // the new program's stores are not made yet
        EXPECT_EQ(cloudName(r.id), row.cloudHasIt ? r.name : QStringLiteral("Rule %1").arg(n));
        EXPECT_EQ(marks(), row.keptOnA ? handedIn : before) << "no answer came back to the ended program";
        EXPECT_EQ(a.takeActivities(), QStringList());
        a.cloud().conditions().offline = true; // the new program cannot send it again yet
        macs.advance(5);
        EXPECT_EQ(ruleNames(a).contains(r.name), row.keptOnA);

        a.cloud().conditions() = {};
        macs.advance(125);
        EXPECT_EQ(ruleNames(macs.b()).contains(r.name), row.keptOnA || row.cloudHasIt);
    }
}

// One edit of each kind that syncs: the rule and session given new names, the blacklist one
// key, the Dock tap behaviour.
void editEverything(TwoMacs::Mac& mac, const QString& tag, NimbrelBehaviorMode mode) {
    mac.run([&] {
        NimbrelRule r = NimbrelRulesStore::shared().rules().get().at(0);
        r.name = tag + " rule";
        NimbrelRulesStore::shared().updateRule(r);
        NimbrelSession s = NimbrelSessionsStore::shared().sessions().get().at(0);
        s.name = tag + " session";
        NimbrelSessionsStore::shared().updateSession(s);
        BlacklistStore& blacklist = BlacklistStore::shared();
        blacklist.setBlacklistedAppKeys({"com.example." + tag});
        blacklist.save();
        blacklist.pushToCloud();
        NimbrelSettingsStore::shared().setBehaviorMode(mode);
    });
}

QString everything(TwoMacs::Mac& mac) {
    return mac.run([] {
        const std::set<QString> keys = BlacklistStore::shared().blacklistedAppKeys().get();
        return QStringList{NimbrelRulesStore::shared().rules().get().at(0).name,
                           NimbrelSessionsStore::shared().sessions().get().at(0).name,
                           QStringList(keys.begin(), keys.end()).join(","),
                           rawValue(NimbrelSettingsStore::currentBehaviorMode())}
            .join(" | ");
    });
}

TEST_F(TwoMacsTest, OfflineEditsSurviveARestartAndTheLaterEditStillWins) {
    NimbrelSession session;
    session.name = QStringLiteral("Deep work");
    session.scheduleWeekdays.clear();
    macs.a().run([&] {
        NimbrelRulesStore::shared().addRule(rule(QStringLiteral("Open mail"), macs.now()));
        NimbrelSessionsStore::shared().addSession(session);
    });
    editEverything(macs.a(), "A0", NimbrelBehaviorMode::automatic); // the cloud holds each kind
    macs.advance(61);

    struct Round {
        QString tagA;
        NimbrelBehaviorMode modeA;
        std::optional<std::pair<QString, NimbrelBehaviorMode>> laterOnB;
        QString expected;
    };
    const Round rounds[] = {
        {"A1", NimbrelBehaviorMode::cycling, std::nullopt, "A1 rule | A1 session | com.example.A1 | cycling"},
        {"A2", NimbrelBehaviorMode::restore, std::pair{QStringLiteral("B2"), NimbrelBehaviorMode::disabled},
         "B2 rule | B2 session | com.example.B2 | disabled"},
    };
    for (const Round& round : rounds) {
        macs.a().cloud().conditions().offline = true;
        editEverything(macs.a(), round.tagA, round.modeA);
        macs.advance(5);
        if (round.laterOnB) editEverything(macs.b(), round.laterOnB->first, round.laterOnB->second);
        macs.advance(5);
        macs.restart(macs.a()); // what failed is not in memory any more
        macs.advance(5);
        macs.a().takeActivities();
        macs.a().cloud().conditions().offline = false;
        macs.advance(125);
        EXPECT_EQ(everything(macs.a()), round.expected);
        EXPECT_EQ(everything(macs.b()), round.expected);
        // The cloud's older copies never replaced A's unsent edits, not even for a moment.
        if (!round.laterOnB) {
            EXPECT_EQ(titles(macs.a()).filter("From iCloud").join(", "), QString());
        }
        EXPECT_TRUE(
            CloudPendingChanges(macs.a().defaults(), NimbrelCloudSyncManager::pendingPushesKey).entries().empty());
    }
}

} // namespace
} // namespace nimbrel::simtool
