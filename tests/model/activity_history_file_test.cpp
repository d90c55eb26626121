#include "activity/ActivityHistoryFile.h"
#include "activity/ActivityHistoryReading.h"
#include "activity/ActivityHistoryText.h"
#include "platform/Files.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

using namespace nimbrel;
using Change = ActivityHistoryFile::Change;

namespace {

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void overwrite(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

NimbrelActivityEntry entryWith(const QString& message, double seconds = 794836800) {
    return {Uuid::random(), NimbrelActivityType::rule, QStringLiteral("Rule Triggered"), message, Date{seconds}};
}

// The entries as reading the text as one JSON document gives them, or its error.
json::Decoded<std::vector<NimbrelActivityEntry>> readAsOneDocument(const QByteArray& text) {
    return json::tryDecode<std::vector<NimbrelActivityEntry>>([&] {
        const QJsonDocument doc = json::parse(text);
        if (!doc.isArray()) throw json::DecodeError(QStringLiteral("expected an array of entries"));
        std::vector<NimbrelActivityEntry> out;
        for (qsizetype i = 0; i < doc.array().size(); ++i)
            out.push_back(NimbrelActivityEntry::fromJson(
                json::Reader::fromValue(doc.array()[i], json::DateForm::ISO8601, QStringLiteral("[%1]").arg(i))));
        return out;
    });
}

class ActivityHistoryFileTest : public ::testing::Test {
  public:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("activity-history.json"));
    ActivityHistory history;
    ActivityHistoryFile file{path};

    Change write() {
        QString error;
        EXPECT_TRUE(file.write(history.snapshot(), &error)) << error.toStdString();
        EXPECT_EQ(contents(path), encodeHistory(history.snapshot()));
        return file.lastChange();
    }
};

TEST_F(ActivityHistoryFileTest, NewEntriesAreAddedInPlaceAndTheFileIsAsAWholeWriteMakesIt) {
    EXPECT_EQ(write(), Change::replaced) << "the first write";
    EXPECT_EQ(write(), Change::replaced) << "an empty history's text has no entry to add after";
    // Across blocks of the history, one and several entries at a time.
    for (int round = 0; round < 24; ++round) {
        for (int i = 0; i <= round % 3; ++i)
            history.append(entryWith(QStringLiteral("round %1 \"quoted\", été").arg(round)));
        // A closing bracket that straddles a disk sector is never changed in place (below).
        const qint64 size = contents(path).size();
        EXPECT_EQ(write(), round == 0 || size % 512 == 1 || size % 512 == 2 ? Change::replaced : Change::added)
            << round << " at size " << size;
    }
    EXPECT_EQ(write(), Change::none);
    EXPECT_EQ(decodeHistory(contents(path)).entries, history.entries());
}

TEST_F(ActivityHistoryFileTest, TheFileIsReplacedWhenItCannotBeAddedTo) {
    const struct {
        const char* what;
        std::function<void(ActivityHistoryFileTest&)> before;
    } cases[] = {
        {"entries went", [](auto& t) { t.history.eraseBefore(Date{794836800.5}); }},
        {"someone else wrote it", [](auto& t) { overwrite(t.path, encodeHistory(t.history.snapshot()) + " "); }},
        {"someone else replaced it", [](auto& t) { ASSERT_TRUE(writeFileAtomically(t.path, contents(t.path))); }},
        {"it is gone", [](auto& t) { QFile::remove(t.path); }},
        {"its closing bracket straddles a disk sector",
         [](auto& t) {
             // An entry whose message makes the file one byte longer than a whole number of sectors.
             ActivityHistory padded;
             padded.assign(t.history.entries());
             padded.append(entryWith({}));
             const qsizetype size = encodeHistory(padded.snapshot()).size();
             t.history.append(entryWith(QString((1 - size % 512 + 512) % 512, QLatin1Char('x'))));
             EXPECT_EQ(t.write(), Change::added);
             EXPECT_EQ(contents(t.path).size() % 512, 1);
         }},
        {"the last write failed",
         [](auto& t) {
             setAtomicWriteFaultForTesting([](const QString&) { return QStringLiteral("The disk is full."); });
             t.history.append(entryWith(QStringLiteral("refused")));
             QString error;
             EXPECT_FALSE(t.file.write(t.history.snapshot(), &error));
             EXPECT_EQ(error, QStringLiteral("The disk is full."));
             setAtomicWriteFaultForTesting({});
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        history.append(entryWith(QStringLiteral("old"), 794836800));
        history.append(entryWith(QStringLiteral("new"), 794836801));
        write();
        c.before(*this);
        history.append(entryWith(QStringLiteral("after")));
        EXPECT_EQ(write(), Change::replaced);
    }
}

// A history is written only as large as its reader takes back: at the bound it is written, one
// byte past it the file keeps what it held, whether it would be replaced or added to in place.
TEST_F(ActivityHistoryFileTest, AHistoryIsWrittenUpToTheBoundItsReaderTakes) {
    for (const bool inPlace : {false, true}) {
        for (const qint64 past : {0, 1}) {
            SCOPED_TRACE(::testing::Message() << (inPlace ? "added in place, " : "replaced, ") << past << " past");
            ActivityHistory grown;
            grown.append(entryWith(QStringLiteral("first")));
            const QByteArray before = encodeHistory(grown.snapshot());
            overwrite(path, before);
            grown.append(entryWith(QStringLiteral("second")));
            const qint64 size = encodeHistory(grown.snapshot()).size();
            ActivityHistoryFile bounded(path, size - past);
            if (inPlace) bounded.adopt(grown.lineage(), 1);
            QString error;
            EXPECT_EQ(bounded.write(grown.snapshot(), &error), past == 0) << error.toStdString();
            EXPECT_EQ(bounded.lastWriteTooLarge(), past == 1);
            if (past == 0) {
                EXPECT_EQ(bounded.lastChange(), inPlace ? Change::added : Change::replaced);
                EXPECT_EQ(readFileWithin(path, bounded.maxBytes()).bytes, encodeHistory(grown.snapshot()));
            } else {
                EXPECT_EQ(contents(path), before);
                EXPECT_TRUE(error.contains(QStringLiteral("more than the %1").arg(size - 1))) << error.toStdString();
            }
        }
    }
}

TEST_F(ActivityHistoryFileTest, EveryMomentOfAnAdditionReadsAsTheHistoryBeforeOrAfter) {
    for (int i = 0; i < 3; ++i)
        history.append(entryWith(QStringLiteral("kept %1").arg(i)));
    write();
    const ActivityHistory::Entries before = history.entries();
    const QByteArray old = contents(path);
    history.append(entryWith(QStringLiteral("added")));
    const QByteArray tail = encodeHistoryTail(history.snapshot(), before.size());
    // First the new bytes go past the end, a few at a time as a cut-short write leaves them.
    for (qsizetype written = 0; written <= tail.size() - 3; ++written) {
        const DecodedHistory read = decodeHistory(old + tail.mid(3, written));
        EXPECT_EQ(read.entries, before) << written;
        EXPECT_EQ(read.endsAsWritten, written == 0) << written;
    }
    // Then one write turns the closing bracket into the separator.
    const DecodedHistory after = decodeHistory(old.chopped(3) + tail);
    EXPECT_EQ(after.entries, history.entries());
    EXPECT_TRUE(after.endsAsWritten);
    EXPECT_FALSE(after.unfinishedAddition);
}

// A whole rewrite holds the file's lock until its new file is in place: an addition in place
// meanwhile is refused (its writer then rewrites the file in turn), never reported saved in the
// file about to be replaced.
TEST_F(ActivityHistoryFileTest, AnAdditionWhileTheFileIsBeingReplacedIsRefused) {
    history.append(entryWith(QStringLiteral("kept")));
    write();
    const FileStamp stamp = *fileStamp(path);
    const size_t count = history.entries().size();
    history.append(entryWith(QStringLiteral("added meanwhile")));
    const QByteArray tail = encodeHistoryTail(history.snapshot(), count);
    std::optional<InPlaceAppend> meanwhile;
    setAtomicWriteHookForTesting([&](const QString&) { meanwhile = appendBeforeEnd(path, stamp, "\n]\n", tail); });
    QString error;
    const bool replaced = replaceWhole(path, "[\n]\n", &error).has_value();
    setAtomicWriteHookForTesting({});
    ASSERT_TRUE(replaced) << error.toStdString();
    ASSERT_TRUE(meanwhile);
    EXPECT_EQ(meanwhile->result, InPlaceAppend::Result::refused);
}

#ifdef NIMBREL_HISTORY_WRITER
// Two programs on one data folder add an entry at the same moment: one is held at a stage of
// its write while the other adds, then goes on. Whatever the stage, the file reads whole and
// holds every entry it held before and the new entry of the write that took effect last; and
// the held writer, adding again, knows what the file holds, so the file is then its history.
TEST_F(ActivityHistoryFileTest, TwoProcessesAddingAtOnceLeaveAWholeHistory) {
    const struct {
        const char* stage;
        bool heldRewrites; // the held writer replaces the file whole instead of adding in place
        bool heldLast;     // whose new entry the file keeps: the held writer's, else the other's
    } cases[] = {
        // The other adds in place first; the held one then finds the file changed and rewrites it.
        {"before-lock", false, true},
        // The other finds the lock taken and rewrites the file; the held one's bytes go to the
        // file set aside, so it rewrites the file in turn.
        {"checked", false, true},
        {"between-writes", false, true},
        // The held one's file is in place when the other, finding the file changed, rewrites it.
        {"replaced", true, false},
    };
    history.append(entryWith(QStringLiteral("before")));
    // Names of different lengths: one writer's addition never hides the other's exactly.
    const QString names[] = {QStringLiteral("w"), QStringLiteral("second writer")};
    QProcess writers[2];
    for (const int i : {0, 1}) {
        writers[i].start(QStringLiteral(NIMBREL_HISTORY_WRITER), {path, names[i]});
        ASSERT_TRUE(writers[i].waitForStarted());
    }
    const auto ask = [](QProcess& writer, const QByteArray& command) {
        writer.write(command + '\n');
        while (!writer.canReadLine())
            if (!writer.waitForReadyRead(5000)) return QByteArray("no answer");
        return writer.readLine().trimmed();
    };
    const auto readHistory = [&] {
        const auto read = json::tryDecode<DecodedHistory>([&] { return decodeHistory(contents(path)); });
        EXPECT_TRUE(read) << read.error.toStdString();
        return read ? read.value->entries : ActivityHistory::Entries{};
    };
    // Whether `entries` are `before` and then `added` entries of the writer named `name`.
    const auto holds = [](const ActivityHistory::Entries& entries, const ActivityHistory::Entries& before,
                          const QString& name, size_t added) {
        if (entries.size() != before.size() + added || !std::equal(before.begin(), before.end(), entries.begin()))
            return false;
        return std::all_of(entries.begin() + qsizetype(before.size()), entries.end(),
                           [&](const NimbrelActivityEntry& e) { return e.message.startsWith(name + ' '); });
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stage);
        overwrite(path, encodeHistory(history.snapshot())); // each stage from a whole history
        ActivityHistory::Entries before = history.entries();
        int heldRounds = 0;
        bool whole = true;
        // Each writer is held in turn; an addition whose closing bracket would straddle a disk
        // sector is a rewrite, which never reaches the stages of an addition in place.
        for (int round = 0; round < 6 && heldRounds < 2 && whole; ++round) {
            SCOPED_TRACE(round);
            const int h = round % 2;
            QProcess& held = writers[h];
            QProcess& other = writers[1 - h];
            for (QProcess& w : writers)
                ASSERT_EQ(ask(w, "load"), "done");
            if (c.heldRewrites) {
                ASSERT_EQ(ask(held, "forget"), "done");
            }
            const QByteArray first = ask(held, QByteArray("hold-add ") + c.stage);
            ASSERT_EQ(ask(other, "add"), "done");
            if (first == "held") {
                ++heldRounds;
                ASSERT_EQ(ask(held, "go"), "done");
            } else {
                ASSERT_EQ(first, "done");
            }
            const ActivityHistory::Entries afterRound = readHistory();
            // A writer that was not held was done before the other began.
            const QString& last = first == "held" && c.heldLast ? names[h] : names[1 - h];
            whole = holds(afterRound, before, last, 1);
            EXPECT_TRUE(whole) << contents(path).toStdString();
            if (!whole) break;

            ASSERT_EQ(ask(held, "add"), "done");
            const ActivityHistory::Entries again = readHistory();
            whole = holds(again, before, names[h], 2);
            EXPECT_TRUE(whole) << contents(path).toStdString();
            before = again;
        }
        if (whole) {
            EXPECT_EQ(heldRounds, 2);
        }
    }
    for (QProcess& w : writers) {
        w.closeWriteChannel();
        EXPECT_TRUE(w.waitForFinished(5000));
    }
}
#endif

TEST(ActivityHistoryReading, EntriesAreReadAsTheWholeDocumentReadsThem) {
    const QByteArray id = "\"id\": \"E621E1F8-C36C-495A-93FC-0C247A3E6E5F\"";
    const QByteArray date = "\"date\": \"2026-03-10T12:00:00Z\"";
    const QByteArray rest = "\"message\": \"m\", \"title\": \"t\", \"type\": \"info\"";
    const auto entry = [&](const QByteArray& members) { return "{" + members + "}"; };
    const QByteArray plain = entry(date + ", " + id + ", " + rest);
    const QByteArray texts[] = {
        "[]",
        " [ " + plain + " , " + plain + " ] ",
        "[" + entry(id + ", " + rest + ", " + date + ", \"extra\": [1, {\"a\": \"}\"}]") + "]",
        "[" + entry(rest + ", " + id + ", \"date\": \"2026-03-10T13:00:00+01:00\"") + "]",
        "[" + entry(date + ", " + id + ", \"message\": \"\\\"\\u00e9\\n\", \"title\": \"été ✓\", \"type\": \"error\"") +
            "]",
        "[" + entry(date + ", " + id + ", " + rest + ", \"title\": \"second title\"") + "]",
        "[" + entry(date + ", " + rest) + "]",                            // no id
        "[" + entry(date + ", \"id\": 7, " + rest) + "]",                 // not a string
        "[" + entry(date + ", \"id\": \"E621\", " + rest) + "]",          // not an id
        "[" + entry("\"date\": \"10 March\", " + id + ", " + rest) + "]", // not a date
        "[" + entry(date + ", " + id + ", \"message\": \"m\", \"title\": \"t\", \"type\": \"bogus\"") + "]",
        "[" + entry(date + ", " + rest) + ", " + plain + ", {\"date\": tru}]", // refused, then not JSON
        "[" + plain + ", 5]",
        "[" + plain + ",]",
        "[" + plain + "] x",
        "[" + plain,
        "{\"date\": 1}",
        "",
        "[" + plain + "\n]\n" + "  {\"date\"", // an addition cut short
    };
    for (const QByteArray& text : texts) {
        SCOPED_TRACE(text.toStdString());
        const auto read = json::tryDecode<DecodedHistory>([&] { return decodeHistory(text); });
        if (text.endsWith("{\"date\"")) {
            ASSERT_TRUE(read);
            EXPECT_TRUE(read.value->unfinishedAddition);
            EXPECT_EQ(read.value->entries, readAsOneDocument(text.left(text.indexOf("]\n") + 2)).value);
            continue;
        }
        const auto expected = readAsOneDocument(text);
        EXPECT_EQ(read.error, expected.error);
        if (expected) {
            EXPECT_EQ(read.value->entries, *expected.value);
        }
    }
}

} // namespace
