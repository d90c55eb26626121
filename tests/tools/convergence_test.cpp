// Random edits, deletions, pauses, sync switches, offline spells, a cloud that answers late (up to
// 3 s), quick edits of one object with a pause or sync off inside their pushes' wait, failed saves
// and fetches, records a batch answers with errors of their own, damaged rows, kills and relaunches
// of the program and pulls on two Macs over virtual time, then sync on everywhere and a few pull
// rounds. After every step no deleted object may be back on a Mac that no longer held it. At the
// end each Mac holds, of every rule, session and the blacklist (unless its record was damaged
// after its last change that reached the cloud), the last change made while sync could run,
// unless a later change of its own (not sent) or of the other Mac replaced it, or that change's
// failed push was dropped for a change made with sync off or paused after it, or its Mac pulled
// the other Mac's copy of the same second before its push went through; the settings hold their
// latest edit, and both Macs the cloud's blacklist unless its last change was made while sync
// could not run. Only what a kill loses by design is excused: what the preferences had not
// written yet (Oracle::Edit::atAKill). Every choice of a run, the ids the program draws included,
// comes from its seed, so a seed replays the same way (on worker threads, the same steps and ids
// as far as the program does the same). NIMBREL_CONVERGENCE_RUNS sets the number of runs (300 by
// default; scripts/convergence runs more) from NIMBREL_CONVERGENCE_FIRST_SEED (1000 by default);
// NIMBREL_CONVERGENCE_SEED replays one run and prints what happened in it (with
// NIMBREL_CONVERGENCE_LOG, every log line).
#include "TwoMacs.h"

#include "model/BlacklistStore.h"
#include "model/RuleCoding.h"
#include "model/RulesStore.h"
#include "model/SettingsStore.h"
#include "platform/SharedInstance.h"
#include "platform/Uuid.h"
#include "platform/local/SqliteCloudStore.h"
#include "sessions/SessionCoding.h"
#include "sessions/SessionsStore.h"
#include "sync/CloudSyncManager.h"

#include <QDir>
#include <QHashSeed>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <set>

namespace nimbrel::simtool {
namespace {

constexpr Date kStart{794836800.0}; // 2026-03-10 12:00:00 UTC
const QString kPauseKey = QStringLiteral("Nimbrel.globalPauseActive");
const QString kSyncKey = QStringLiteral("Nimbrel.settings.syncEnabled");
const QString kContainer = QStringLiteral("iCloud.com.nimbrel.app");

// What the run did, as far as the outcome depends on it.
struct Oracle {
    struct Edit {
        QByteArray content; // the object after the edit, as the cloud would carry it
        bool syncable;      // made while sync could run on its Mac
        QString madeOn;     // that Mac's name
        double second;      // the whole second it was made in
        double at;          // when it was made
        // Made so shortly before its Mac was killed that the preferences may not have written
        // it (WrittenBehindDefaults): the edit may be lost on that Mac, and a sessions file or a
        // blacklist already on disk may hold it without the pending mark that sends it again.
        bool atAKill = false;
    };
    std::map<QString, std::vector<Edit>> edits; // "rule:<id>", "session:<id>", "blacklist"
    std::set<QString> deleted;
    // When each object's record was last damaged. No Mac need send it again unless a change made
    // while sync could run followed; one that never reached the cloud (a kill lost it, or its push
    // was dropped) leaves the record damaged.
    std::map<QString, double> damagedAt;
    // Objects deleted so shortly before their Mac was killed that the preferences may not have
    // written the deletion (the rules, or the pending deletion beside a sessions file already on
    // disk), while its tombstone may have reached the cloud: either may stand at the end.
    std::set<QString> deletedAtAKill;
    bool registryDamaged = false;
    // Changes of the settings: the mode, and whether it was made (or sync switched) on or off.
    struct SettingsEvent {
        NimbrelBehaviorMode mode;
        bool syncOn;
        QString madeOn;
        double at;
        bool atAKill = false;
    };
    std::vector<SettingsEvent> settings;

    // What a Mac may end with of an object: nullopt for none; `anything` when nothing is judged.
    struct Outcomes {
        std::set<std::optional<QByteArray>> fine;
        bool anything = false;
        void add(const Outcomes& o) {
            fine.insert(o.fine.begin(), o.fine.end());
            anything |= o.anything;
        }
    };

    // Every edit may or may not have been lost at a kill that came right after it.
    static Outcomes acceptable(const std::vector<Edit>& all, const QString& mac, double damagedAt) {
        std::vector<size_t> atAKill;
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i].atAKill) atAKill.push_back(i);
        Outcomes out;
        for (unsigned lost = 0; lost < (1u << atAKill.size()); ++lost) {
            std::vector<Edit> kept;
            for (size_t i = 0, k = 0; i < all.size(); ++i) {
                const bool thisLost = k < atAKill.size() && atAKill[k] == i && (lost >> k++ & 1u);
                if (!thisLost) kept.push_back(all[i]);
            }
            out.add(outcomes(kept, mac, damagedAt));
        }
        return out;
    }

    // What `mac` may end with of an object whose edits all reached their Macs' disks: the last
    // change made while sync could run, or the change of its own made after it (never sent), or
    // the other Mac's change of the same second, which wins over a change not sent. A push that
    // failed is sent again only while no change made with sync off or paused has followed it on
    // its Mac; then it is dropped (nothing is sent), and so is one whose pending mark a kill lost:
    // the last change made while sync could run may then never reach the cloud. Nor may a change
    // whose Mac pulls, while its push waits, the other Mac's copy of the same second: at a pull
    // another Mac's copy of that second wins, so both Macs agree on it. A record damaged after the
    // last change that reached the cloud leaves the object unjudged.
    static Outcomes outcomes(std::vector<Edit> all, const QString& mac, double damagedAt) {
        auto last = std::find_if(all.rbegin(), all.rend(), [](const Edit& e) { return e.syncable; });
        if (last == all.rend()) {
            // Only changes made while sync could not run: the last one stays where it was made.
            if (all.empty()) return {{std::nullopt}};
            if (all.back().madeOn == mac) return {{all.back().content}};
            return {{}, true};
        }
        if (last->at < damagedAt) return {{}, true};
        const Edit& synced = *last;
        const Edit* base = &synced;
        bool closedAfterIt = false;
        for (auto e = all.rbegin(); e != last; ++e) {
            if (e->madeOn == mac && base == &synced) base = &*e;
            closedAfterIt |= e->madeOn == synced.madeOn;
        }
        Outcomes out{{base->content}};
        const bool cloudWins = synced.madeOn != mac && synced.second == base->second;
        if (base != &synced && cloudWins) out.fine.insert(synced.content);
        const bool otherMacsCopyOfItsSecond = std::any_of(std::next(last), all.rend(), [&](const Edit& e) {
            return e.syncable && e.second == synced.second && e.madeOn != synced.madeOn;
        });
        if (closedAfterIt || synced.atAKill || otherMacsCopyOfItsSecond) {
            last->syncable = false;
            out.add(outcomes(std::move(all), mac, damagedAt));
        }
        return out;
    }
};

class ConvergenceRun {
  public:
    ConvergenceRun(unsigned seed, const QString& folder) : folder_(folder), random_(seed), macs_(folder, kStart) {}

    // Empty when the Macs converged; what went wrong otherwise.
    QStringList play(int steps) {
        setCurrentTimeZone(QTimeZone("UTC"));
        for (TwoMacs::Mac* mac : {&macs_.a(), &macs_.b()}) {
            macs_.launch(*mac);
            openBlacklist(*mac);
        }
        macs_.advance(2);
        for (int i = 0; i < steps; ++i) {
            step();
            checkNoDeletedObjectIsBack();
        }
        finish();
        QStringList problems = deletedAndBack_ + check();
        setCurrentTimeZone(QTimeZone());
        if (!problems.isEmpty()) problems << QStringLiteral("what happened:") << transcript();
        return problems;
    }

    // The steps taken; with NIMBREL_CONVERGENCE_LOG also every line the programs printed and
    // the activities each Mac recorded, the run's folder named alike in every run.
    QStringList transcript() {
        if (!qEnvironmentVariableIsSet("NIMBREL_CONVERGENCE_LOG")) return trace_;
        QStringList lines = macs_.lines();
        for (TwoMacs::Mac* mac : {&macs_.a(), &macs_.b()})
            for (const QString& activity : mac->activities())
                lines << mac->name() + QStringLiteral(" activity: ") + activity;
        lines.replaceInStrings(folder_, QStringLiteral("<folder>"));
        return trace_ + lines;
    }

  private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    TwoMacs::Mac& anyMac() { return pick(2) ? macs_.b() : macs_.a(); }

    static bool paused(TwoMacs::Mac& mac) { return mac.defaults().boolValue(kPauseKey).value_or(false); }
    static bool syncOn(TwoMacs::Mac& mac) {
        return mac.run([] { return NimbrelSettingsStore::shared().syncEnabled().get(); });
    }
    static bool gateOpen(TwoMacs::Mac& mac) { return syncOn(mac) && !paused(mac); }

    static QByteArray ruleContent(const NimbrelRule& r) {
        return NimbrelCloudPayloadRecord::makeJSONEncoder().encode(toJson(r, json::DateForm::ISO8601));
    }
    static QByteArray sessionContent(const NimbrelSession& s) {
        return NimbrelCloudPayloadRecord::makeJSONEncoder().encode(encodeSession(s));
    }

    // The blacklist screen opened: its store pulls from then on.
    static void openBlacklist(TwoMacs::Mac& mac) {
        mac.run([] {
            BlacklistStore::setCachedInstalledApps({});
            BlacklistStore::shared();
        });
    }

    void step() {
        TwoMacs::Mac& mac = anyMac();
        switch (pick(19)) {
        case 0:
        case 1:
            addRule(mac);
            break;
        case 2:
        case 3:
            editRule(mac);
            break;
        case 4:
            deleteRule(mac);
            break;
        case 5:
            addOrEditSession(mac);
            break;
        case 6:
            deleteSession(mac);
            break;
        case 7:
            changeSettings(mac);
            break;
        case 8:
            changeBlacklist(mac);
            break;
        case 9:
            togglePauseOrSync(mac);
            break;
        case 10:
            mac.cloud().conditions().offline = !mac.cloud().conditions().offline;
            note(mac, mac.cloud().conditions().offline ? "offline" : "online");
            break;
        case 11:
            mac.cloud().failNext({CloudFailure::Operation::save, {}, CloudError::make(CloudError::networkFailure, {})});
            note(mac, "the next save fails");
            break;
        case 12:
            failAFetch(mac);
            break;
        case 13:
            noteWhatAKillMayLose(mac);
            macs_.restart(mac);
            openBlacklist(mac);
            note(mac, "restart");
            break;
        case 14:
            failRecordsOfABatch(mac);
            break;
        case 15:
            damageARow(mac);
            break;
        case 16:
            mac.cloud().conditions().latency = pick(31) / 10.0;
            note(mac, QStringLiteral("the cloud answers after %1 s").arg(mac.cloud().conditions().latency));
            break;
        case 17:
            editTwiceThenCloseTheGate(mac);
            break;
        default:
            break;
        }
        // Some moments pass, now and then long enough for the timers' pulls, now and then so few
        // that the next step falls in the same second.
        const int pace = pick(8);
        macs_.advance(pace < 2 ? 30 + pick(50) : pace < 4 ? 0.1 : 0.2 + pick(30) / 10.0);
    }

    // One of the next fetches fails: a registry read (of the payloads' or the tombstones' list,
    // or of a push's addition) or a batch of records.
    void failAFetch(TwoMacs::Mac& mac) {
        using Op = CloudFailure::Operation;
        const CloudError lost = CloudError::make(CloudError::networkFailure, {});
        const int skip = pick(3);
        if (pick(2)) {
            mac.cloud().failNext({Op::fetch, QStringLiteral("sync_registry"), lost, false, skip});
            note(mac, QStringLiteral("registry read %1 from now fails").arg(skip + 1));
        } else {
            mac.cloud().failNext({Op::batchFetch, {}, lost, false, skip});
            note(mac, QStringLiteral("batch %1 from now fails").arg(skip + 1));
        }
    }

    // The records of one kind in one of the next batches are answered with an error of their own.
    void failRecordsOfABatch(TwoMacs::Mac& mac) {
        const QString kinds[] = {"rule_*", "session_*", "deleted_rule_*", "deleted_session_*"};
        const QString& kind = kinds[pick(4)];
        CloudError rejected = CloudError::make(CloudError::serverRejectedRequest, {});
        rejected.itemID = {kind};
        const int skip = pick(3);
        mac.cloud().failNext({CloudFailure::Operation::batchFetch,
                              kind,
                              CloudError::make(CloudError::partialFailure, {}),
                              false,
                              skip,
                              {},
                              1,
                              {},
                              {rejected}});
        note(mac, QStringLiteral("batch of %1 %2 from now answers each with an error").arg(kind).arg(skip + 1));
    }

    // A row of the cloud's file is damaged: the sync registry, an object's record or a tombstone.
    void damageARow(TwoMacs::Mac& mac) {
        QString name = cloudnames::syncRegistry;
        QString object;
        if (const int what = pick(3); what == 1) {
            std::vector<QString> held;
            for (const auto& [kind, ids] : heldNow(mac))
                held.insert(held.end(), ids.begin(), ids.end());
            if (held.empty()) return;
            object = held[size_t(pick(int(held.size())))];
        } else if (what == 2) {
            if (oracle_.deleted.empty()) return;
            object = *std::next(oracle_.deleted.begin(), pick(int(oracle_.deleted.size())));
        }
        if (!object.isEmpty()) {
            const auto type =
                object.startsWith("rule:") ? NimbrelCloudPayloadType::rule : NimbrelCloudPayloadType::session;
            const QString id = object.section(QLatin1Char(':'), 1);
            name = oracle_.deleted.count(object) ? tombstoneRecordID(type, id).recordName
                                                 : payloadRecordID(type, id).recordName;
        }
        if (!mac.cloud().damageDirectly(kContainer, {name})) return; // not in the cloud (yet)
        if (name == cloudnames::syncRegistry) oracle_.registryDamaged = true;
        if (!object.isEmpty() && !oracle_.deleted.count(object))
            oracle_.damagedAt[object] = macs_.now().secondsSinceReferenceDate;
        note(mac, "damaged " + name);
    }

    // Two changes of one object a tenth of a second apart, then, a moment later, a pause or sync
    // switched off, while the second change's push may still wait behind the first's.
    void editTwiceThenCloseTheGate(TwoMacs::Mac& mac) {
        const int what = pick(3);
        for (int i = 0; i < 2; ++i) {
            what == 0 ? editRule(mac) : what == 1 ? addOrEditSession(mac, i > 0) : changeBlacklist(mac);
            macs_.advance(0.1);
        }
        if (paused(mac) || !syncOn(mac)) return;
        macs_.advance(pick(3) / 10.0);
        if (pick(2)) return setPaused(mac, true);
        mac.run([] { NimbrelSettingsStore::shared().setSyncEnabled(false); });
        note(mac, "sync off");
        noteSettings(mac, false);
    }

    // A kill loses what the preferences had not written yet (WrittenBehindDefaults): the changes
    // of the last moment on that Mac, and the pending marks of a sessions file or blacklist
    // written at once. A pull's deletion of rules is written as an edit is: when the rules' last
    // value may not be on disk, the rules it deleted may stand on that Mac again until its next
    // pull deletes them once more. Nothing else of what the Mac did is excused.
    void noteWhatAKillMayLose(TwoMacs::Mac& mac) {
        const auto atTheKill = [&](double at) {
            return macs_.now().secondsSinceReferenceDate - at <= WrittenBehindDefaults::kWriteBehindSeconds + 1e-6;
        };
        for (auto& [id, all] : oracle_.edits)
            for (Oracle::Edit& e : all)
                if (e.madeOn == mac.name() && atTheKill(e.at)) e.atAKill = true;
        for (const auto& [id, deletion] : deletions_)
            if (deletion.first == mac.name() && atTheKill(deletion.second)) oracle_.deletedAtAKill.insert(id);
        for (Oracle::SettingsEvent& e : oracle_.settings)
            if (e.madeOn == mac.name() && atTheKill(e.at)) e.atAKill = true;
        if (mac.defaults().wouldLose(NimbrelRulesStore::defaultsKey))
            std::erase_if(gone_, [rules = mac.name() + QStringLiteral(" rule:")](const QString& key) {
                return key.startsWith(rules);
            });
    }

    void recordEdit(const QString& id, QByteArray content, TwoMacs::Mac& mac) {
        const Date now = macs_.now();
        const bool syncable = gateOpen(mac);
        oracle_.edits[id].push_back({std::move(content), syncable, mac.name(),
                                     std::floor(now.secondsSinceReferenceDate), now.secondsSinceReferenceDate});
    }
    void addRule(TwoMacs::Mac& mac) {
        NimbrelRuleTrigger trigger{1, NimbrelRuleAppTarget{QStringLiteral("Mail"), std::nullopt, std::nullopt}};
        const NimbrelRule r =
            NimbrelRule::make(QStringLiteral("rule %1").arg(++counter_), true, false, trigger,
                              {NimbrelRuleAction::runSystemBehavior(SystemBehaviorRuleAction{})}, macs_.now());
        mac.run([&] { NimbrelRulesStore::shared().addRule(r); });
        note(mac, "add " + r.name + " " + r.id.toString().left(4));
        recordEdit("rule:" + r.id.toString(), ruleContent(r), mac);
    }
    void editRule(TwoMacs::Mac& mac) {
        auto rules = mac.run([] { return NimbrelRulesStore::shared().rules().get(); });
        if (rules.empty()) return addRule(mac);
        NimbrelRule r = rules[size_t(pick(int(rules.size())))];
        // The second of two quick edits changes the rule the first changed.
        for (const NimbrelRule& x : rules)
            if (x.id == lastRule_ && macs_.now().secondsSince(lastRuleAt_) < 0.5) r = x;
        lastRule_ = r.id;
        lastRuleAt_ = macs_.now();
        r.name = QStringLiteral("edit %1 on %2").arg(++counter_).arg(mac.name());
        const NimbrelRule stored = mac.run([&] {
            NimbrelRulesStore::shared().updateRule(r);
            for (const NimbrelRule& x : NimbrelRulesStore::shared().rules().get())
                if (x.id == r.id) return x;
            return r;
        });
        note(mac, "edit rule " + r.id.toString().left(4) + " as " + r.name);
        recordEdit("rule:" + r.id.toString(), ruleContent(stored), mac);
    }
    void deleteRule(TwoMacs::Mac& mac) {
        auto rules = mac.run([] { return NimbrelRulesStore::shared().rules().get(); });
        if (rules.empty()) return;
        const NimbrelRule r = rules[size_t(pick(int(rules.size())))];
        mac.run([&] { NimbrelRulesStore::shared().deleteRule(r); });
        note(mac, "delete rule " + r.id.toString().left(4));
        noteDeletion(mac, "rule:" + r.id.toString());
    }
    void addOrEditSession(TwoMacs::Mac& mac, bool editTheLast = false) {
        auto sessions = mac.run([] { return NimbrelSessionsStore::shared().sessions().get(); });
        NimbrelSession s;
        const bool edit = !sessions.empty() && (editTheLast || pick(2));
        if (edit && editTheLast) {
            for (const NimbrelSession& x : sessions)
                if (x.id == lastSession_) s = x;
            if (s.id != lastSession_) s = sessions.front();
        } else if (edit) {
            s = sessions[size_t(pick(int(sessions.size())))];
        }
        lastSession_ = s.id;
        s.name = QStringLiteral("session %1 on %2").arg(++counter_).arg(mac.name());
        s.scheduleWeekdays.clear(); // never active: only the list matters here
        const NimbrelSession stored = mac.run([&] {
            NimbrelSessionsStore& store = NimbrelSessionsStore::shared();
            edit ? store.updateSession(s) : store.addSession(s);
            for (const NimbrelSession& x : store.sessions().get())
                if (x.id == s.id) return x;
            return s;
        });
        note(mac, (edit ? "edit " : "add ") + s.id.toString().left(4) + " as " + s.name);
        recordEdit("session:" + s.id.toString(), sessionContent(stored), mac);
    }
    void deleteSession(TwoMacs::Mac& mac) {
        auto sessions = mac.run([] { return NimbrelSessionsStore::shared().sessions().get(); });
        if (sessions.empty()) return;
        const Uuid id = sessions[size_t(pick(int(sessions.size())))].id;
        mac.run([&] { NimbrelSessionsStore::shared().deleteSession(id); });
        note(mac, "delete session " + id.toString().left(4));
        noteDeletion(mac, "session:" + id.toString());
    }
    void noteDeletion(TwoMacs::Mac& mac, const QString& id) {
        oracle_.deleted.insert(id);
        deletions_[id] = {mac.name(), macs_.now().secondsSinceReferenceDate};
    }
    void changeSettings(TwoMacs::Mac& mac) {
        const auto mode = static_cast<NimbrelBehaviorMode>(pick(4));
        mac.run([&] { NimbrelSettingsStore::shared().setBehaviorMode(mode); });
        note(mac, "mode " + rawValue(mode) + (gateOpen(mac) ? "" : " (sync off)"));
        noteSettings(mac, gateOpen(mac));
    }
    void changeBlacklist(TwoMacs::Mac& mac) {
        std::set<QString> keys;
        for (const char* key : {"com.apple.Safari", "com.apple.mail", "/Applications/Chess.app"})
            if (pick(2)) keys.insert(QString::fromLatin1(key));
        mac.run([&] {
            BlacklistStore& store = BlacklistStore::shared();
            store.setBlacklistedAppKeys(keys);
            store.save();
            store.pushToCloud();
        });
        note(mac, QStringLiteral("blacklist of %1").arg(keys.size()));
        recordEdit(QStringLiteral("blacklist"), blacklistContent(keys), mac);
    }
    // A rule or session by its name, a blacklist by its keys.
    static QString describe(const std::optional<QByteArray>& content) {
        if (!content) return QStringLiteral("none");
        const QJsonObject object = QJsonDocument::fromJson(*content).object();
        if (object.contains(QLatin1String("name"))) return '"' + object.value(QLatin1String("name")).toString() + '"';
        return '[' + QString::fromUtf8(*content) + ']';
    }
    static QByteArray blacklistContent(const std::set<QString>& keys) {
        return QStringList(keys.begin(), keys.end()).join(QLatin1Char(',')).toUtf8();
    }
    void togglePauseOrSync(TwoMacs::Mac& mac) {
        if (paused(mac) || pick(2)) return setPaused(mac, !paused(mac));
        const bool on = !syncOn(mac);
        mac.run([&] { NimbrelSettingsStore::shared().setSyncEnabled(on); });
        note(mac, on ? "sync on" : "sync off");
        noteSettings(mac, on); // switching on sends every setting
    }
    void noteSettings(TwoMacs::Mac& mac, bool syncOn) {
        const NimbrelBehaviorMode mode = mac.run([] { return NimbrelSettingsStore::shared().behaviorMode().get(); });
        oracle_.settings.push_back({mode, syncOn, mac.name(), macs_.now().secondsSinceReferenceDate});
    }
    // As the main menu's pause does it: the sync setting goes off for the pause and comes back after.
    void setPaused(TwoMacs::Mac& mac, bool on) {
        UserDefaults& d = mac.defaults();
        if (on) {
            savedSync_[mac.name()] = d.boolValue(kSyncKey).value_or(true);
            d.setBool(kSyncKey, false);
        } else {
            d.setBool(kSyncKey, savedSync_[mac.name()]);
        }
        const bool sync = d.boolValue(kSyncKey).value_or(true);
        d.setBool(kPauseKey, on);
        note(mac, on ? "pause" : "resume");
        mac.run([&] {
            // The manager's flag follows one turn after the notice, as the pause sets it.
            mac.platform().scheduler->post([sync] { NimbrelCloudSyncManager::shared().setSyncEnabled(sync); });
            mac.notifications().post(QStringLiteral("Nimbrel.pauseStateDidChange"));
        });
    }

    void finish() {
        for (TwoMacs::Mac* mac : {&macs_.a(), &macs_.b()}) {
            if (paused(*mac)) {
                setPaused(*mac, false);
                macs_.advance(0.5); // the user switches sync on a moment after the pause ended
            }
            if (!syncOn(*mac)) togglePauseOrSyncOn(*mac);
            mac->cloud().conditions().offline = false;
            mac->cloud().conditions().latency = 0;
            mac->cloud().clearFailures(); // the network is well again
            macs_.advance(1);             // two Macs never change their settings at the very same instant
        }
        // A damaged registry is written anew at the next push: the user changes something once more.
        if (oracle_.registryDamaged) addRule(macs_.a());
        for (int round = 0; round < 4; ++round) {
            macs_.advance(61);
            checkNoDeletedObjectIsBack();
        }
    }
    void togglePauseOrSyncOn(TwoMacs::Mac& mac) {
        mac.run([] { NimbrelSettingsStore::shared().setSyncEnabled(true); });
        noteSettings(mac, true);
    }

    std::map<QString, QByteArray> objects(TwoMacs::Mac& mac) {
        return mac.run([] {
            std::map<QString, QByteArray> out;
            for (const NimbrelRule& r : NimbrelRulesStore::shared().rules().get())
                out["rule:" + r.id.toString()] = ruleContent(r);
            for (const NimbrelSession& s : NimbrelSessionsStore::shared().sessions().get())
                out["session:" + s.id.toString()] = sessionContent(s);
            return out;
        });
    }

    // What a Mac holds now, by kind ("rule", "session"), of the stores that run: a Mac just
    // restarted has not made them yet.
    std::map<QString, std::set<QString>> heldNow(TwoMacs::Mac& mac) {
        return mac.run([] {
            std::map<QString, std::set<QString>> out;
            if (hasSharedInstance<NimbrelRulesStore>()) {
                std::set<QString>& rules = out["rule"];
                for (const NimbrelRule& r : NimbrelRulesStore::shared().rules().get())
                    rules.insert("rule:" + r.id.toString());
            }
            if (hasSharedInstance<NimbrelSessionsStore>()) {
                std::set<QString>& sessions = out["session"];
                for (const NimbrelSession& s : NimbrelSessionsStore::shared().sessions().get())
                    sessions.insert("session:" + s.id.toString());
            }
            return out;
        });
    }

    // A deleted object that a Mac held and then no longer held never shows on it again.
    void checkNoDeletedObjectIsBack() {
        for (TwoMacs::Mac* mac : {&macs_.a(), &macs_.b()}) {
            const auto held = heldNow(*mac);
            for (const QString& id : oracle_.deleted) {
                auto kind = held.find(id.section(QLatin1Char(':'), 0, 0));
                if (kind == held.end() || oracle_.deletedAtAKill.count(id)) continue;
                const QString key = mac->name() + QLatin1Char(' ') + id;
                if (!kind->second.count(id)) {
                    if (seen_.count(key)) gone_.insert(key);
                    continue;
                }
                seen_.insert(key);
                if (gone_.count(key) && reported_.insert(key).second)
                    deletedAndBack_ << QStringLiteral("deleted %1 is back on %2 at %3")
                                           .arg(id, mac->name())
                                           .arg(macs_.now().secondsSince(kStart), 0, 'f', 1);
            }
        }
    }

    QStringList check() {
        QStringList problems;
        const auto onA = objects(macs_.a());
        const auto onB = objects(macs_.b());
        for (const QString& id : oracle_.deleted)
            if (!oracle_.deletedAtAKill.count(id) && (onA.count(id) || onB.count(id)))
                problems << QStringLiteral("deleted but back on %1: %2").arg(onA.count(id) ? "A" : "B", id);
        const auto damagedAt = [&](const QString& id) {
            const auto damage = oracle_.damagedAt.find(id);
            return damage == oracle_.damagedAt.end() ? -INFINITY : damage->second;
        };
        const auto judge = [&](const QString& id, const QString& mac, std::optional<QByteArray> held) {
            const auto& all = oracle_.edits.at(id);
            Oracle::Outcomes fine = Oracle::acceptable(all, mac, damagedAt(id));
            if (fine.anything) return;
            // A blacklist never set is an empty one.
            if (id == QLatin1String("blacklist") && fine.fine.erase(std::nullopt)) fine.fine.insert(QByteArray());
            if (fine.fine.count(held)) return;
            const bool anySynced =
                std::any_of(all.begin(), all.end(), [](const Oracle::Edit& e) { return e.syncable; });
            // Which changes, for tracing a failure.
            const auto which = [&](const std::optional<QByteArray>& content) {
                QString text = describe(content);
                for (auto e = all.rbegin(); e != all.rend(); ++e)
                    if (content == e->content)
                        return text + QStringLiteral(" of %1 at %2%3")
                                          .arg(e->madeOn)
                                          .arg(e->at - kStart.secondsSinceReferenceDate, 0, 'f', 1)
                                          .arg(e->syncable ? "" : " made while sync could not run");
                return text;
            };
            QStringList expected;
            for (const auto& content : fine.fine)
                expected << which(content);
            const QString heldText = which(held);
            const QString what = QStringLiteral(" (holds %1, not %2)").arg(heldText, expected.join(" or "));
            if (!anySynced)
                problems << QStringLiteral("an edit made while sync could not run was undone on %1: %2").arg(mac, id) +
                                what;
            else if (!held)
                problems << QStringLiteral("missing on %1: %2").arg(mac, id);
            else
                problems
                    << QStringLiteral("the last change made while sync could run was lost on %1: %2").arg(mac, id) +
                           what;
        };
        for (const auto& [id, all] : oracle_.edits) {
            if (oracle_.deleted.count(id) || oracle_.deletedAtAKill.count(id)) continue;
            if (id == QLatin1String("blacklist")) {
                for (TwoMacs::Mac* mac : {&macs_.a(), &macs_.b()})
                    judge(id, mac->name(), blacklistContent(mac->run([] {
                              return BlacklistStore::shared().blacklistedAppKeys().get();
                          })));
                continue;
            }
            for (const auto& [name, held] : {std::pair{macs_.a().name(), &onA}, std::pair{macs_.b().name(), &onB}}) {
                const auto kept = held->find(id);
                judge(id, name, kept == held->end() ? std::nullopt : std::optional<QByteArray>(kept->second));
            }
            const auto a = onA.find(id);
            const auto b = onB.find(id);
            if (all.back().syncable && !all.back().atAKill && all.back().at > damagedAt(id) && a != onA.end() &&
                b != onB.end() && a->second != b->second)
                problems << "the Macs differ on " + id;
        }
        // The latest settings change, made while sync could run, reaches both Macs; one a kill may
        // have lost gives way to the change before it, when that one could be sent.
        const auto last = oracle_.settings.rbegin();
        const auto before = last == oracle_.settings.rend() ? last : std::next(last);
        if (last != oracle_.settings.rend() && last->syncOn &&
            (!last->atAKill || (before != oracle_.settings.rend() && before->syncOn))) {
            std::set<NimbrelBehaviorMode> fine{last->mode};
            if (last->atAKill) fine.insert(before->mode);
            for (TwoMacs::Mac* mac : {&macs_.a(), &macs_.b()}) {
                const auto mode = mac->run([] { return NimbrelSettingsStore::shared().behaviorMode().get(); });
                if (!fine.count(mode))
                    problems << QStringLiteral("the settings differ on %1: %2, not %3")
                                    .arg(mac->name(), rawValue(mode), rawValue(last->mode));
            }
        }
        SqliteCloudStore cloud(macs_.a().cloud().path());
        if (auto r = cloud.fetch(kContainer, {QStringLiteral("settings_primary")}); r.ok())
            if (!problems.isEmpty())
                problems << QStringLiteral("the cloud's settings: %1 of %2")
                                .arg(r.value().text("behaviorMode").value_or("none"))
                                .arg(r.value().date("updatedAt")->secondsSince(kStart));
        // A blacklist changed last while sync could not run is never sent: its Mac may differ; so
        // may one whose pending mark a kill lost.
        const auto blacklist = oracle_.edits.find(QStringLiteral("blacklist"));
        const bool lastUnsent = blacklist != oracle_.edits.end() &&
                                (!blacklist->second.back().syncable || blacklist->second.back().atAKill);
        auto record = cloud.fetch(kContainer, {QStringLiteral("blacklist_primary")});
        if (record.ok() && !lastUnsent) {
            const auto payload = NimbrelCloudBlacklistPayload::fromRecord(record.value());
            const QStringList keys = payload ? payload->blacklistedAppKeys : QStringList();
            const std::set<QString> cloudKeys(keys.begin(), keys.end());
            for (TwoMacs::Mac* mac : {&macs_.a(), &macs_.b()})
                if (mac->run([] { return BlacklistStore::shared().blacklistedAppKeys().get(); }) != cloudKeys)
                    problems << "the blacklist differs from the cloud's on " + mac->name();
        }
        return problems;
    }

    void note(TwoMacs::Mac& mac, const QString& what) {
        trace_ << QStringLiteral("%1 %2: %3").arg(macs_.now().secondsSince(kStart), 7, 'f', 1).arg(mac.name(), what);
    }

    QString folder_;
    std::mt19937 random_;
    TwoMacs macs_;
    QStringList trace_;
    Oracle oracle_;
    int counter_ = 0;
    Uuid lastRule_;
    Date lastRuleAt_;
    Uuid lastSession_;
    std::map<QString, bool> savedSync_;
    // The last deletion of each object: the Mac and when.
    std::map<QString, std::pair<QString, double>> deletions_;
    // "<Mac> <id>" of deleted objects a Mac held at a step, of those it no longer held at a
    // later one, and of those found back.
    std::set<QString> seen_;
    std::set<QString> gone_;
    std::set<QString> reported_;
    QStringList deletedAndBack_;
};

int environmentNumber(const char* name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

TEST(Convergence, TwoMacsAgreeAfterRandomEditsPausesAndFailures) {
    const int runs = environmentNumber("NIMBREL_CONVERGENCE_RUNS", 300);
    const int first = environmentNumber("NIMBREL_CONVERGENCE_FIRST_SEED", 1000);
    const int onlySeed = environmentNumber("NIMBREL_CONVERGENCE_SEED", -1);
    // What Qt keeps in hashes comes out in the same order every time.
    QHashSeed::setDeterministicGlobalSeed();
    int ran = 0;
    QStringList failed;
    for (int i = 0; i < runs; ++i) {
        const unsigned seed = onlySeed >= 0 ? unsigned(onlySeed) : unsigned(first + i);
        // In memory where the system offers it: the runs write many small files and syncs.
        const bool shm = QDir(QStringLiteral("/dev/shm")).exists();
        auto dir = shm ? std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/nimbrel-convergence-XXXXXX"))
                       : std::make_unique<QTemporaryDir>();
        const UuidSource previous = setUuidSourceForTesting(seededUuidSource(seed));
        ConvergenceRun run(seed, dir->path());
        const QStringList problems = run.play(40);
        setUuidSourceForTesting(previous);
        ++ran;
        if (!problems.isEmpty()) {
            failed << QString::number(seed);
            ADD_FAILURE() << "seed " << seed << ":\n  " << problems.join("\n  ").toStdString();
        } else if (onlySeed >= 0) {
            std::printf("seed %u:\n  %s\n", seed, qPrintable(run.transcript().join("\n  ")));
        }
        if (onlySeed >= 0) break;
    }
    std::printf("convergence: %d runs, %lld failed%s%s\n", ran, static_cast<long long>(failed.size()),
                failed.isEmpty() ? "" : "; seeds ", qPrintable(failed.join(", ")));
}

} // namespace
} // namespace nimbrel::simtool
