#include "activity/ActivityRecorder.h"
#include "activity/ActivityStore.h"

#include "model/StorePlatform.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <tuple>

using namespace nimbrel;
using nimbrel::testing::kStart;
using nimbrel::testing::StorePlatform;

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

NimbrelActivityEntry entry(NimbrelActivityType type, const QString& title, Date date,
                           const QString& message = QStringLiteral("m")) {
    return NimbrelActivityEntry{Uuid::random(), type, title, message, date};
}

class ActivityLogTest : public ::testing::Test {
  protected:
    StorePlatform env;
    std::shared_ptr<NimbrelActivityStore> makeStore() { return NimbrelActivityStore::make(env.platform); }
    QString historyPath() const {
        return env.platform.locations.nimbrelSupportFolder() + QStringLiteral("/activity-history.json");
    }
};

TEST_F(ActivityLogTest, RecordingPostsAtOnceAndReachesTheStoreOnTheNextTurn) {
    auto& store = NimbrelActivityStore::shared();
    recordActivity(NimbrelActivityType::rule, QStringLiteral("Rule Matched"), QStringLiteral("Safari opened"));

    ASSERT_EQ(env.postedCount(kRecordActivityNotification), 1u);
    const QVariantMap info = env.notifications.posted().back().userInfo;
    EXPECT_EQ(info.value("type").toString(), QStringLiteral("rule"));
    EXPECT_EQ(info.value("title").toString(), QStringLiteral("Rule Matched"));
    EXPECT_EQ(info.value("message").toString(), QStringLiteral("Safari opened"));
    EXPECT_EQ(info.value("date").value<Date>(), kStart);
    EXPECT_TRUE(store.entries().empty()) << "the entry must not reach the store during the call";

    env.scheduler.runUntilIdle();
    // Added once, although both the direct task and the store's observer deliver it.
    ASSERT_EQ(store.entries().size(), 1u);
    EXPECT_EQ(store.entries()[0].id.toString(), info.value("id").toString());
    EXPECT_EQ(store.entries()[0].title, QStringLiteral("Rule Matched"));
}

TEST_F(ActivityLogTest, TheFirstRecordMakesTheSharedStoreOverItsPlatform) {
    env.installed.reset(); // nothing installed: the recorder's own platform is used
    EXPECT_FALSE(hasSharedInstance<NimbrelActivityStore>());
    recordNimbrelActivity(env.platform, NimbrelActivityType::session, QStringLiteral("Session Started"),
                          QStringLiteral("Focus began"));
    env.scheduler.runUntilIdle();
    ASSERT_TRUE(hasSharedInstance<NimbrelActivityStore>());
    EXPECT_EQ(NimbrelActivityStore::shared(env.platform).entries().size(), 1u);
    EXPECT_EQ(NimbrelActivityStore::shared(env.platform).storagePath(), historyPath());
}

TEST_F(ActivityLogTest, ActivityCopiedIsNeverRecordedButOtherCaseIs) {
    env.defaults.setBool(kSystemNotificationsEnabledKey, true);
    auto& store = NimbrelActivityStore::shared();
    recordActivity(NimbrelActivityType::info, QStringLiteral("Activity Copied"), QStringLiteral("x"));
    env.scheduler.runUntilIdle();
    EXPECT_EQ(env.postedCount(kRecordActivityNotification), 0u);
    EXPECT_TRUE(env.userNotifications.added().empty());
    EXPECT_TRUE(store.entries().empty());

    recordActivity(NimbrelActivityType::info, QStringLiteral("activity copied"), QStringLiteral("x"));
    env.scheduler.runUntilIdle();
    EXPECT_EQ(store.entries().size(), 1u);
}

TEST_F(ActivityLogTest, UserNotificationOnlyWhenSwitchedOn) {
    recordActivity(NimbrelActivityType::error, QStringLiteral("A"), QStringLiteral("b"));
    EXPECT_TRUE(env.userNotifications.added().empty()) << "absent setting reads as off";
    env.defaults.setString(kSystemNotificationsEnabledKey, QStringLiteral("yes"));
    recordActivity(NimbrelActivityType::error, QStringLiteral("A"), QStringLiteral("b"));
    EXPECT_TRUE(env.userNotifications.added().empty()) << "a text is not a Boolean";

    env.defaults.setBool(kSystemNotificationsEnabledKey, true);
    recordActivity(NimbrelActivityType::error, QStringLiteral("A"), QStringLiteral("b"));
    recordActivity(NimbrelActivityType::error, QStringLiteral("A"), QStringLiteral("b"));
    ASSERT_EQ(env.userNotifications.added().size(), 2u) << "a dropped repeat is still notified";
    const auto& first = env.userNotifications.added()[0];
    EXPECT_TRUE(first.identifier.startsWith(QStringLiteral("Nimbrel.Activity.")));
    EXPECT_TRUE(Uuid::parse(first.identifier.mid(17)).has_value()) << first.identifier.toStdString();
    EXPECT_NE(first.identifier, env.userNotifications.added()[1].identifier);
    EXPECT_EQ(first.title, QStringLiteral("A"));
    EXPECT_EQ(first.body, QStringLiteral("b"));
    EXPECT_TRUE(first.sound);

    env.scheduler.runUntilIdle();
    EXPECT_EQ(NimbrelActivityStore::shared().entries().size(), 1u);
    EXPECT_EQ(env.postedCount(kRecordActivityNotification), 4u);
}

TEST_F(ActivityLogTest, RepeatWindowsAtTheirEdges) {
    auto store = makeStore();
    const auto info = NimbrelActivityType::info;
    const auto error = NimbrelActivityType::error;

    store->add(entry(info, "I", kStart));
    store->add(entry(info, "I", kStart.addingSeconds(299)));
    store->add(entry(info, "I", kStart.addingSeconds(300))); // exactly the window: still a repeat
    store->add(entry(info, "I", kStart.addingSeconds(-300)));
    EXPECT_EQ(store->entries().size(), 1u);
    store->add(entry(info, "I", kStart.addingSeconds(301)));
    EXPECT_EQ(store->entries().size(), 2u);

    store->add(entry(error, "E", kStart));
    store->add(entry(error, "E", kStart.addingSeconds(10.0)));
    EXPECT_EQ(store->entries().size(), 3u);
    store->add(entry(error, "E", kStart.addingSeconds(10.5)));
    EXPECT_EQ(store->entries().size(), 4u);

    // Differing only in type, title case or message: not repeats.
    store->add(entry(NimbrelActivityType::rule, "I", kStart));
    store->add(entry(info, "i", kStart));
    store->add(entry(info, "I", kStart, QStringLiteral("other")));
    EXPECT_EQ(store->entries().size(), 7u);

    // The same id twice is added once.
    const auto once = entry(NimbrelActivityType::session, "S", kStart);
    store->add(once);
    store->add(once);
    EXPECT_EQ(store->entries().size(), 8u);
}

TEST_F(ActivityLogTest, PruneKeepsThirtyCalendarDaysInTheStoresZone) {
    // Today is 2026-03-10 (UTC); the cutoff is 2026-02-08 00:00 in the store's zone.
    const Date cutoff = Calendar(QTimeZone("UTC")).date(2026, 2, 8).value();
    {
        auto store = makeStore();
        store->add(entry(NimbrelActivityType::info, "at cutoff", cutoff));
        store->add(entry(NimbrelActivityType::info, "before", cutoff.addingSeconds(-1)));
        ASSERT_EQ(store->entries().size(), 1u);
        EXPECT_EQ(store->entries()[0].title, QStringLiteral("at cutoff"));
    }

    // The day boundaries are the store's zone's. In Tokyo the cutoff (2026-02-08 00:00 JST)
    // is earlier than the entry, which stays.
    {
        setCurrentTimeZone(QTimeZone("Asia/Tokyo"));
        auto store = makeStore();
        EXPECT_EQ(store->entries().size(), 1u);
    }
    // In Los Angeles the cutoff is 2026-02-08 00:00 PST = 08:00 UTC: the entry goes at start.
    setCurrentTimeZone(QTimeZone("America/Los_Angeles"));
    auto store = makeStore();
    EXPECT_TRUE(store->entries().empty());
    // Thirty calendar days across the change to summer time, not 30 x 24 hours (07:00 UTC).
    store->add(entry(NimbrelActivityType::info, "early", cutoff.addingSeconds(7.5 * 3600)));
    store->add(entry(NimbrelActivityType::info, "on time", cutoff.addingSeconds(8 * 3600)));
    ASSERT_EQ(store->entries().size(), 1u);
    EXPECT_EQ(store->entries()[0].title, QStringLiteral("on time"));
}

TEST_F(ActivityLogTest, TheCutoffMovesWithTheClockAcrossMidnight) {
    const Date cutoff = Calendar(QTimeZone("UTC")).date(2026, 2, 8).value();
    auto store = makeStore();
    store->add(entry(NimbrelActivityType::info, "at cutoff", cutoff));
    store->add(entry(NimbrelActivityType::info, "a day later", cutoff.addingSeconds(86400)));
    ASSERT_EQ(store->entries().size(), 2u);
    // Into the next day: the day before the new cutoff goes at the next record.
    env.scheduler.advance(86400);
    store->add(entry(NimbrelActivityType::info, "now", env.scheduler.now()));
    const auto entries = store->entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(std::none_of(entries.begin(), entries.end(), [](const auto& e) { return e.title == "at cutoff"; }));
}

TEST_F(ActivityLogTest, HistoryIsSavedPrettyAndSortedAfterAShortDelayAndReloaded) {
    auto store = makeStore();
    const auto first = entry(NimbrelActivityType::blacklist, "App Blacklisted", kStart, "Mail/Calendar");
    store->add(first);
    EXPECT_FALSE(QFileInfo::exists(historyPath())) << "writes are gathered";
    env.scheduler.advance(NimbrelActivityStore::kSaveDelay);
    ASSERT_TRUE(QFileInfo::exists(historyPath()));

    const QByteArray text = readFile(historyPath());
    EXPECT_TRUE(text.contains("\n    {")) << text.toStdString();
    const auto date = text.indexOf("\"date\""), id = text.indexOf("\"id\""), message = text.indexOf("\"message\""),
               title = text.indexOf("\"title\""), type = text.indexOf("\"type\"");
    EXPECT_TRUE(date < id && id < message && message < title && title < type) << text.toStdString();
    EXPECT_TRUE(text.contains("\"2026-03-10T12:00:00Z\""));
    EXPECT_TRUE(text.contains("\"blacklist\""));

    store->add(entry(NimbrelActivityType::info, "Second", kStart.addingSeconds(1)));
    env.scheduler.advance(NimbrelActivityStore::kSaveDelay);
    store.reset();

    auto again = makeStore();
    ASSERT_EQ(again->entries().size(), 2u);
    EXPECT_EQ(again->entries()[0], first);
    EXPECT_EQ(again->entries()[1].title, QStringLiteral("Second"));
}

TEST_F(ActivityLogTest, AStartWritesNothingAndLaterEntriesAreAddedToTheFileInPlace) {
    auto store = makeStore();
    for (int i = 0; i < 300; ++i)
        store->add(entry(NimbrelActivityType::rule, "Rule Triggered", kStart, QString::number(i)));
    store.reset();
    const auto identity = [this] {
        struct stat st {};
        EXPECT_EQ(::stat(QFile::encodeName(historyPath()).constData(), &st), 0);
        return std::tuple(st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    };
    const auto written = identity();

    store = makeStore();
    env.scheduler.advance(60);
    store.reset();
    EXPECT_EQ(identity(), written) << "loading changed the file";

    store = makeStore();
    store->add(entry(NimbrelActivityType::info, "One more", kStart.addingSeconds(1)));
    env.scheduler.advance(NimbrelActivityStore::kSaveDelay);
    EXPECT_EQ(std::get<0>(identity()), std::get<0>(written)) << "the file was replaced to add an entry";
    const std::vector<NimbrelActivityEntry> all = store->entries();
    store.reset();
    EXPECT_EQ(makeStore()->entries(), all);
}

TEST_F(ActivityLogTest, NothingWaitingIsLostWhenTheStoreGoesAway) {
    auto store = makeStore();
    store->add(entry(NimbrelActivityType::info, "Last words", kStart));
    ASSERT_TRUE(store->hasPendingSave());
    store.reset(); // before the gathered write fell due

    auto again = makeStore();
    ASSERT_EQ(again->entries().size(), 1u);
    EXPECT_EQ(again->entries()[0].title, QStringLiteral("Last words"));
}

TEST_F(ActivityLogTest, UnreadableHistoryIsKeptAsideAndReportedOnce) {
    const QByteArray broken = R"([{"date":"2026-03-10T12:00:00Z","id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F",)"
                              R"("message":"m","title":"t","type":"bogus"}])";
    writeFile(historyPath(), broken);

    auto store = makeStore();
    ASSERT_EQ(store->entries().size(), 1u);
    EXPECT_EQ(store->entries()[0].type, NimbrelActivityType::error);
    EXPECT_EQ(store->entries()[0].title, QStringLiteral("Activity History Unreadable"));

    // The broken file now lives under another name in the same folder, byte for byte.
    const QDir folder(env.platform.locations.nimbrelSupportFolder());
    QStringList aside = folder.entryList(QDir::Files);
    aside.removeAll(QStringLiteral("activity-history.json"));
    ASSERT_EQ(aside.size(), 1) << aside.join(",").toStdString();
    EXPECT_EQ(readFile(folder.filePath(aside[0])), broken);
    EXPECT_TRUE(store->entries()[0].message.contains(aside[0]));

    store->add(entry(NimbrelActivityType::info, "After", kStart.addingSeconds(5)));
    env.scheduler.advance(1);
    EXPECT_EQ(readFile(folder.filePath(aside[0])), broken);
    store.reset();
    EXPECT_EQ(makeStore()->entries().size(), 2u);
}

// A history larger than any 30 days hold, or an endless one, is kept aside without being read.
TEST_F(ActivityLogTest, AHistoryTooLargeToBeOneIsKeptAsideUnread) {
    for (const bool endless : {false, true}) {
        SCOPED_TRACE(endless ? "a link to an endless device" : "a sparse file just past the bound");
        QFile::remove(historyPath());
        if (endless) {
            ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), historyPath()));
        } else {
            writeFile(historyPath(), {});
            ASSERT_TRUE(QFile::resize(historyPath(), ActivityHistoryFile::kMaxBytes + 1));
        }
        auto store = makeStore();
        ASSERT_EQ(store->entries().size(), 1u);
        EXPECT_EQ(store->entries()[0].title, QStringLiteral("Activity History Unreadable"));
        EXPECT_TRUE(store->entries()[0].message.contains(QStringLiteral("larger than")))
            << store->entries()[0].message.toStdString();
    }
}

// A history its reader would refuse is not saved: the file keeps what it held, the entries stay
// for a later save, and the user learns of it, without the news itself going round as saves.
TEST_F(ActivityLogTest, AHistoryPastItsBoundIsNotSavedAndSaysSo) {
    auto store = makeStore();
    store->add(entry(NimbrelActivityType::info, "First", kStart));
    env.scheduler.advance(NimbrelActivityStore::kSaveDelay);
    const QByteArray saved = readFile(historyPath());
    store.reset();

    store = NimbrelActivityStore::make(env.platform, saved.size()); // read at its bound
    ASSERT_EQ(store->entries().size(), 1u);
    store->add(entry(NimbrelActivityType::info, "Second", kStart.addingSeconds(1)));
    env.scheduler.advance(NimbrelActivityStore::kSaveDelay);
    EXPECT_EQ(readFile(historyPath()), saved);
    ASSERT_EQ(store->entries().size(), 3u);
    EXPECT_EQ(store->entries()[1].title, QStringLiteral("Second"));
    EXPECT_EQ(store->entries()[2].type, NimbrelActivityType::error);
    EXPECT_EQ(store->entries()[2].title, QStringLiteral("Activity History Not Saved"));
    EXPECT_FALSE(store->hasPendingSave());
    env.scheduler.advance(60);
    EXPECT_EQ(store->entries().size(), 3u);
}

TEST_F(ActivityLogTest, NonArrayHistoryIsUnreadableToo) {
    writeFile(historyPath(), "{\"date\": 1}");
    auto store = makeStore();
    ASSERT_EQ(store->entries().size(), 1u);
    EXPECT_EQ(store->entries()[0].type, NimbrelActivityType::error);
}

TEST_F(ActivityLogTest, FolderFallsBackToDocumentsThenThePrivateTemporaryFolder) {
    env.platform.locations.applicationSupport.clear();
    auto inDocuments = makeStore();
    EXPECT_EQ(inDocuments->storagePath(),
              env.platform.locations.documents + QStringLiteral("/Nimbrel/activity-history.json"));

    env.platform.locations.documents.clear();
    auto inTemporary = makeStore();
    EXPECT_EQ(inTemporary->storagePath(),
              env.platform.locations.privateTemporary + QStringLiteral("/Nimbrel/activity-history.json"));
    EXPECT_FALSE(inTemporary->storagePath().startsWith(QStringLiteral("/tmp/Nimbrel")));
    EXPECT_EQ(QFileInfo(QFileInfo(inTemporary->storagePath()).path()).permissions() & 0x0077, 0)
        << "only the user may enter the folder";

    // With no folder at all the log works in memory and writes nowhere.
    env.platform.locations.privateTemporary.clear();
    auto inMemory = makeStore();
    EXPECT_TRUE(inMemory->storagePath().isEmpty());
    inMemory->add(entry(NimbrelActivityType::info, "kept", kStart));
    EXPECT_EQ(inMemory->entries().size(), 1u);
    EXPECT_FALSE(inMemory->flush());
}

TEST_F(ActivityLogTest, DaysAndEntriesOfADay) {
    auto store = makeStore();
    const auto days = store->recentDays();
    ASSERT_EQ(days.size(), 30u);
    const Calendar utc(QTimeZone("UTC"));
    EXPECT_EQ(days.back(), utc.date(2026, 3, 10).value());
    EXPECT_EQ(days.front(), utc.date(2026, 2, 9).value());

    const Date morning = kStart.addingSeconds(-3 * 3600);
    store->add(entry(NimbrelActivityType::info, "noon", kStart));
    store->add(entry(NimbrelActivityType::info, "morning", morning));
    store->add(entry(NimbrelActivityType::info, "evening", kStart.addingSeconds(8 * 3600)));
    store->add(entry(NimbrelActivityType::info, "yesterday", kStart.addingSeconds(-86400)));

    const auto today = store->entries(days.back());
    ASSERT_EQ(today.size(), 3u);
    EXPECT_EQ(today[0].title, QStringLiteral("evening"));
    EXPECT_EQ(today[1].title, QStringLiteral("noon"));
    EXPECT_EQ(today[2].title, QStringLiteral("morning"));
    EXPECT_TRUE(store->entries(days.front()).empty());
}

TEST_F(ActivityLogTest, DaysFollowTheZoneCurrentAtEachCalculation) {
    // Each store starts in UTC (today 2026-03-10) with two entries, then the zone changes.
    const Date atCutoff = Calendar(QTimeZone("UTC")).date(2026, 2, 8).value();
    const Date late = Calendar(QTimeZone("UTC")).date(2026, 3, 9, 20).value(); // 05:00 on the 10th in Tokyo
    const struct {
        const char* zone;
        bool lateIsToday, cutoffEntryKept;
    } cases[] = {
        {"UTC", false, true},
        {"Asia/Tokyo", true, true},
        // The cutoff is 2026-02-08 00:00 PST, 08:00 UTC.
        {"America/Los_Angeles", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.zone);
        setCurrentTimeZone(QTimeZone("UTC"));
        QFile::remove(historyPath()); // the previous case's
        auto store = makeStore();
        store->add(entry(NimbrelActivityType::info, "at cutoff", atCutoff));
        store->add(entry(NimbrelActivityType::info, "late", late));
        ASSERT_EQ(store->entries().size(), 2u);

        setCurrentTimeZone(QTimeZone(c.zone));
        const Calendar zone(QTimeZone(c.zone));
        const auto days = store->recentDays();
        ASSERT_EQ(days.size(), 30u);
        EXPECT_EQ(days.back(), zone.startOfDay(kStart));
        EXPECT_EQ(days.front(), zone.addingDays(zone.startOfDay(kStart), -29));
        const auto today = store->entries(days.back());
        EXPECT_EQ(std::any_of(today.begin(), today.end(), [](const auto& e) { return e.title == "late"; }),
                  c.lateIsToday);

        // The next record prunes with the new zone's cutoff, although the day was worked out before.
        store->add(entry(NimbrelActivityType::info, "now", kStart));
        const auto& all = store->entries();
        EXPECT_EQ(std::any_of(all.begin(), all.end(), [](const auto& e) { return e.title == "at cutoff"; }),
                  c.cutoffEntryKept);
    }
}

TEST_F(ActivityLogTest, SampleEntriesOnlyIntoAnEmptyLog) {
    auto store = makeStore();
    store->insertSampleEntriesIfEmpty();
    ASSERT_EQ(store->entries().size(), 3u);
    EXPECT_EQ(store->entries()[0].title, QStringLiteral("Session Started"));
    EXPECT_EQ(store->entries()[1].type, NimbrelActivityType::rule);
    EXPECT_EQ(store->entries()[2].message, QStringLiteral("ChatGPT was added to the blacklist"));
    store->insertSampleEntriesIfEmpty();
    EXPECT_EQ(store->entries().size(), 3u);
    env.scheduler.advance(1);
    store.reset();
    EXPECT_EQ(makeStore()->entries().size(), 3u);
}

TEST_F(ActivityLogTest, ObservedNotificationsFillInDefaults) {
    auto store = makeStore();
    env.notifications.post(kRecordActivityNotification);
    env.notifications.post(kRecordActivityNotification,
                           {{"type", QStringLiteral("Rule")}, {"title", 42}, {"date", QStringLiteral("today")}});
    env.scheduler.runUntilIdle();
    ASSERT_EQ(store->entries().size(), 1u) << "the second is a repeat of the first";
    const auto& e = store->entries()[0];
    EXPECT_EQ(e.type, NimbrelActivityType::info);
    EXPECT_EQ(e.title, QStringLiteral("Activity"));
    EXPECT_EQ(e.message, QStringLiteral("Nimbrel recorded an activity"));
    EXPECT_EQ(e.date, kStart);
    EXPECT_FALSE(e.id.isNull());
}

TEST_F(ActivityLogTest, ObserversHearEveryAcceptedEntry) {
    auto store = makeStore();
    int calls = 0;
    auto token = store->observeEntries([&] { ++calls; });
    store->add(entry(NimbrelActivityType::info, "A", kStart));
    store->add(entry(NimbrelActivityType::info, "A", kStart)); // repeat: no change
    EXPECT_EQ(calls, 1);
}

} // namespace
