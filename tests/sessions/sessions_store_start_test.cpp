#include "SessionsFixture.h"

#include "platform/Files.h"
#include "sessions/SessionsFile.h"

namespace nimbrel::test {
namespace {

class SessionsStoreStart : public SessionsFixture {};

TEST_F(SessionsStoreStart, AFirstStartRestoresTheDefaultsInItsQueuedPass) {
    store = NimbrelSessionsStore::create(platform, outside.parts());
    EXPECT_EQ(outside.take(), (QStringList{"cloud pull", "cloud observe", "cloud timer"}));
    EXPECT_TRUE(activities.isEmpty());

    scheduler.advance(0);
    EXPECT_TRUE(store->sessions().get().empty());
    EXPECT_EQ(takeActivities(),
              QStringList{"Session Ended: Default Dock, wallpapers and menu bar icon were restored."});
    EXPECT_EQ(menuBarSymbols(), QStringList{"NIMBREL_MENU_BAR"});
    EXPECT_EQ(outside.take(), (QStringList{"dock restore", "wallpapers restore", "reminders 0"}));
    EXPECT_TRUE(log.contains("NimbrelSessions: no active session, restoring default Dock and wallpapers"));
}

TEST_F(SessionsStoreStart, TheBootstrapAndTheQueuedPassEachApplyAndOnlyTheQueuedOneRefreshesReminders) {
    storeSessions({workSession()});
    store = NimbrelSessionsStore::create(platform, outside.parts());
    outside.take();
    store->applyPauseState(); // what the bootstrap does right after creating the store
    scheduler.advance(0);
    const QString started = "Session Started: Work launched with 2 Dock apps and 0 whitelisted apps.";
    EXPECT_EQ(activities.count(started), 2);
    EXPECT_EQ(menuBarSymbols(), (QStringList{"briefcase.fill", "briefcase.fill"}));
    EXPECT_EQ(outside.take(), (QStringList{"dock apply Work", "wallpapers apply Work", "dock apply Work",
                                           "wallpapers apply Work", "reminders 1"}));
    EXPECT_TRUE(log.contains("NimbrelSessions: applying active session Work apps=2 wallpapers=0 "
                             "menuBarIcon=briefcase.fill"));
}

TEST_F(SessionsStoreStart, AnUndecodableFileLoadsAsNothingAndIsKeptAsideBeforeTheFirstSave) {
    NimbrelSession good = workSession(QStringLiteral("Good"));
    QByteArray stored = encodeSessionList({good, workSession()});
    stored.replace("\"isPinned\": false", "\"isPinned\": \"no\""); // one wrongly typed field
    writeSupportFile(QStringLiteral("Sessions.json"), stored);
    writeSupportFile(QStringLiteral(".Sessions.json.tmp-Ab12Cd"), "[{\"id\""); // a write a kill cut short

    makeStore();
    EXPECT_FALSE(QFile::exists(supportPath(QStringLiteral(".Sessions.json.tmp-Ab12Cd"))));
    EXPECT_TRUE(store->sessions().get().empty());
    ASSERT_EQ(log.startingWith("NimbrelSessionsStore: failed to load sessions: ").size(), 1);
    EXPECT_TRUE(activities.front().startsWith("Sessions Load Failed: "));

    store->addSession(workSession(QStringLiteral("New")));
    const QStringList kept = QDir(platform.locations.nimbrelSupportFolder())
                                 .entryList({QStringLiteral("Sessions.json.unreadable-*")}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    QFile copy(supportPath(kept.front()));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), stored);
    EXPECT_TRUE(log.contains("NimbrelSessionsStore: kept the unreadable sessions file as " + kept.front()));

    // The new file holds only what was added, and a later save keeps no second copy.
    QFile current(store->storagePath());
    ASSERT_TRUE(current.open(QIODevice::ReadOnly));
    const auto reread = decodeSessionList(current.readAll(), Date{});
    ASSERT_TRUE(reread);
    ASSERT_EQ(reread.value->size(), 1u);
    EXPECT_EQ(reread.value->front().name, "New");
    store->addSession(workSession(QStringLiteral("Another")));
    EXPECT_EQ(QDir(platform.locations.nimbrelSupportFolder())
                  .entryList({QStringLiteral("Sessions.json.unreadable-*")}, QDir::Files)
                  .size(),
              1);
}

// A file larger than any list of sessions is not read, and is kept as it is until a save.
TEST_F(SessionsStoreStart, AFileTooLargeToHoldSessionsIsReportedUnread) {
    writeSupportFile(QStringLiteral("Sessions.json"), {});
    ASSERT_TRUE(QFile::resize(supportPath(QStringLiteral("Sessions.json")), SessionsFile::kMaxFileBytes + 1));
    makeStore();
    EXPECT_TRUE(store->sessions().get().empty());
    ASSERT_FALSE(activities.empty());
    EXPECT_TRUE(activities.front().startsWith("Sessions Load Failed: ") &&
                activities.front().contains("is too large to be read"))
        << activities.front().toStdString();
    store->addSession(workSession(QStringLiteral("New")));
    const QStringList kept = QDir(platform.locations.nimbrelSupportFolder())
                                 .entryList({QStringLiteral("Sessions.json.unreadable-*")}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(QFileInfo(supportPath(kept.front())).size(), SessionsFile::kMaxFileBytes + 1);
}

TEST_F(SessionsStoreStart, AFailedSaveIsReportedAndMemoryKeepsTheChange) {
    NimbrelSession work = workSession();
    sessionsFileBytes = encodeSessionList({work}).size(); // the file this list makes is read, and no larger one
    makeStore();
    takeActivities();
    const AtomicWriteFault previous = setAtomicWriteFaultForTesting([](const QString& path) -> std::optional<QString> {
        if (path.endsWith("/Sessions.json")) return QStringLiteral("The disk is full.");
        return std::nullopt;
    });
    store->addSession(work);
    setAtomicWriteFaultForTesting(previous);
    // The write is a worker's; its failure is told when the worker is done.
    scheduler.advance(0);

    EXPECT_EQ(store->sessions().get().size(), 1u);
    EXPECT_TRUE(log.contains("NimbrelSessionsStore: failed to save sessions: The disk is full."));
    EXPECT_TRUE(activities.contains("Sessions Save Failed: The disk is full."));
    EXPECT_FALSE(QFile::exists(store->storagePath()));
    // Reminders and the evaluation still follow the change.
    EXPECT_TRUE(outside.calls.contains("reminders 1"));
    EXPECT_TRUE(store->activeSession().get().has_value());

    // Written at the bound; a byte more is refused, and the file stays as it was.
    store->updateSession(work);
    const QByteArray atTheBound = readFileWithin(store->storagePath(), kMebibyte).bytes;
    ASSERT_EQ(atTheBound.size(), sessionsFileBytes);
    work.name += QLatin1Char('s');
    store->updateSession(work);
    scheduler.advance(0);
    EXPECT_EQ(readFileWithin(store->storagePath(), kMebibyte).bytes, atTheBound);
    EXPECT_EQ(store->sessions().get().front().name, "Works");
    EXPECT_TRUE(activities.last().startsWith(
        QStringLiteral("Sessions Save Failed: Sessions.json would hold %1 bytes").arg(sessionsFileBytes + 1)));
    store.reset();
    makeStore();
    EXPECT_EQ(store->sessions().get().at(0).name, "Work");
}

} // namespace
} // namespace nimbrel::test
