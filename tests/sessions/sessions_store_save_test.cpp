#include "AppIdsBlanked.h"
#include "SessionsFixture.h"
#include "support/HeldBackground.h"

namespace nimbrel::test {
namespace {

class SessionsStoreSave : public SessionsFixture {
  protected:
    QByteArray stored() const {
        QFile file(store->storagePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    NimbrelSession named(const QString& name) const {
        for (const NimbrelSession& s : store->sessions().get())
            if (s.name == name) return s;
        ADD_FAILURE() << name.toStdString();
        return {};
    }
};

TEST_F(SessionsStoreSave, TheFileIsWrittenByAWorkerAndTheNewestSaveLandsLast) {
    HeldBackground background(scheduler);
    platform.scheduler = &background.scheduler;
    storeSessions({workSession(), workSession(QStringLiteral("Evening"))});
    makeStore();
    const QByteArray before = stored();

    NimbrelSession work = named("Work");
    work.menuBarSymbolName = QStringLiteral("first");
    store->updateSession(work);
    work.menuBarSymbolName = QStringLiteral("second");
    store->updateSession(work);
    // Nothing waited for the disk.
    EXPECT_EQ(stored(), before);
    ASSERT_EQ(background.held.size(), 2u);

    // The later worker writes the newest list; the earlier one, coming after, finds it written.
    background.held[1]();
    const QByteArray newest = stored();
    EXPECT_TRUE(newest.contains("\"menuBarSymbolName\": \"second\""));
    background.held[0]();
    EXPECT_EQ(stored(), newest);
    scheduler.advance(0);
    EXPECT_TRUE(log.startingWith("NimbrelSessionsStore: failed to save sessions").isEmpty());
}

TEST_F(SessionsStoreSave, AnEditWritesTheOtherSessionsAsTheyWereAndTheWholeFileAsAFullEncodingWould) {
    storeSessions({workSession(), workSession(QStringLiteral("Evening"))});
    makeStore();
    NimbrelSession evening = named("Evening");
    evening.menuBarSymbolName = QStringLiteral("moon");
    store->updateSession(evening);
    scheduler.runUntilIdle(); // a worker writes the file
    const QByteArray first = stored();

    NimbrelSession work = named("Work");
    work.isPinned = true; // and it moves to the top
    store->updateSession(work);
    scheduler.runUntilIdle();
    const QByteArray second = stored();

    // Evening was not encoded again: its apps keep the ids they were written with.
    const auto eveningText = [](const QByteArray& file) {
        const qsizetype at = file.indexOf("\"menuBarSymbolName\": \"moon\"");
        const qsizetype start = file.lastIndexOf("\n    {\n", at);
        return file.mid(start, file.indexOf("\n    }", at) - start);
    };
    EXPECT_EQ(eveningText(second), eveningText(first));
    EXPECT_TRUE(second.indexOf("\"name\": \"Work\"") < second.indexOf("\"name\": \"Evening\""));
    // The file is what encoding the whole list writes, but for the apps' ids.
    EXPECT_EQ(withAppIdsBlanked(second), withAppIdsBlanked(encodeSessionList(store->sessions().get())));
}

} // namespace
} // namespace nimbrel::test
