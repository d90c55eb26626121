#include "TwoMacs.h"

#include "model/BlacklistStore.h"
#include "model/RulesStore.h"
#include "model/SettingsStore.h"
#include "sessions/SessionsStore.h"
#include "support/QtPrinters.h"

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

} // namespace
} // namespace nimbrel::simtool
