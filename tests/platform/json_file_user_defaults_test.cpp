#include "platform/Log.h"
#include "platform/VirtualScheduler.h"
#include "platform/local/JsonFileUserDefaults.h"
#include "platform/local/TypedValueCoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPoint>
#include <QTemporaryDir>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <future>
#include <limits>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using namespace nimbrel;

namespace {

class DefaultsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = JsonFileUserDefaults::filePath(Locations::underRoot(dir_.path()));
        previousSink_ = setLogSink([this](const QString& line) { lines_ << line; });
        setLogToStdout(false);
    }
    void TearDown() override {
        setLogSink(previousSink_);
        setLogToStdout(true);
        setAtomicWriteHookForTesting({});
    }

    QByteArray fileBytes() const {
        QFile f(path_);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void writeFile(const QByteArray& bytes) const {
        QDir().mkpath(QFileInfo(path_).path());
        QFile f(path_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QJsonObject storedValues() const {
        return QJsonDocument::fromJson(fileBytes()).object().value("values").toObject();
    }
    QStringList folderNames() const {
        return QDir(QFileInfo(path_).path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir dir_;
    QString path_;
    QStringList lines_;
    LogSink previousSink_;
};

} // namespace

TEST_F(DefaultsFileTest, EveryTypeReadsBackWithItsType) {
    const QByteArray binary("\x00\x01\xff\x7f text", 10);
    const Date when{123456789.25};
    {
        JsonFileUserDefaults d(path_);
        d.setBool("bool", true);
        d.setInteger("max", std::numeric_limits<qint64>::max());
        d.setInteger("min", std::numeric_limits<qint64>::min());
        d.setDouble("double", 0.1);
        d.setDouble("whole double", 3.0);
        d.setDouble("infinite", -std::numeric_limits<double>::infinity());
        d.setString("string", QString::fromUtf8("Grüße \"quoted\" 😀"));
        d.setString("empty", QString(""));
        d.setData("data", binary);
        d.setDate("date", when);
        d.setDate("future", Date::distantFuture());
        d.setStringArray("names", {"Safari", "Mail"});
        d.set("mixed", QVariantList{true, qint64(7), 2.5, "x", QVariant::fromValue(Date{1})});
        d.set("nested", QVariantMap{{"inner", QVariantMap{{"list", QVariantList{QVariantMap{{"k", false}}}}}}});
        d.set("plain int", QVariant(int(5)));                  // widened to an integer
        d.set("string list", QVariant(QStringList{"a", "b"})); // stored as an array of strings
        EXPECT_TRUE(d.synchronize());
    }
    JsonFileUserDefaults d(path_);
    EXPECT_EQ(d.boolValue("bool"), true);
    EXPECT_EQ(d.integerValue("max"), std::numeric_limits<qint64>::max());
    EXPECT_EQ(d.integerValue("min"), std::numeric_limits<qint64>::min());
    EXPECT_EQ(d.doubleValue("double"), 0.1);
    EXPECT_EQ(d.doubleValue("whole double"), 3.0);
    EXPECT_FALSE(d.integerValue("whole double")); // a double stays a double
    EXPECT_EQ(d.doubleValue("infinite"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(d.stringValue("string"), QString::fromUtf8("Grüße \"quoted\" 😀"));
    EXPECT_EQ(d.stringValue("empty"), QString(""));
    EXPECT_EQ(d.dataValue("data"), binary);
    EXPECT_EQ(d.dateValue("date"), when);
    EXPECT_EQ(d.dateValue("future"), Date::distantFuture());
    EXPECT_EQ(d.stringArrayValue("names"), (QStringList{"Safari", "Mail"}));
    EXPECT_EQ(d.integerValue("plain int"), 5);
    EXPECT_EQ(d.stringArrayValue("string list"), (QStringList{"a", "b"}));

    const auto mixed = d.arrayValue("mixed");
    ASSERT_TRUE(mixed);
    ASSERT_EQ(mixed->size(), 5);
    EXPECT_EQ((*mixed)[0].typeId(), QMetaType::Bool);
    EXPECT_EQ((*mixed)[1].typeId(), QMetaType::LongLong);
    EXPECT_EQ((*mixed)[2].typeId(), QMetaType::Double);
    EXPECT_EQ((*mixed)[3].typeId(), QMetaType::QString);
    EXPECT_EQ((*mixed)[4].value<Date>(), Date{1});
    EXPECT_FALSE(d.stringArrayValue("mixed")); // not all strings

    const auto nested = d.dictionaryValue("nested");
    ASSERT_TRUE(nested);
    const QVariantList list = nested->value("inner").toMap().value("list").toList();
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0].toMap().value("k").typeId(), QMetaType::Bool);

    // Wrong-typed reads answer nothing.
    EXPECT_FALSE(d.integerValue("bool"));
    EXPECT_FALSE(d.boolValue("max"));
    EXPECT_FALSE(d.stringValue("data"));
    EXPECT_FALSE(d.dataValue("string"));
    EXPECT_FALSE(d.dateValue("double"));
    EXPECT_FALSE(d.dictionaryValue("mixed"));
    EXPECT_EQ(d.keys().size(), 16);
}

TEST_F(DefaultsFileTest, NotANumberSurvives) {
    {
        JsonFileUserDefaults d(path_);
        d.setDouble("nan", std::numeric_limits<double>::quiet_NaN());
    }
    JsonFileUserDefaults d(path_);
    ASSERT_TRUE(d.doubleValue("nan"));
    EXPECT_TRUE(std::isnan(*d.doubleValue("nan")));
}

TEST_F(DefaultsFileTest, EveryChangeIsInTheFileAfterSynchronize) {
    JsonFileUserDefaults d(path_);
    d.setString("a", "1");
    ASSERT_TRUE(d.synchronize());
    EXPECT_EQ(JsonFileUserDefaults(path_).stringValue("a"), QString("1"));
    d.setString("a", "2");
    ASSERT_TRUE(d.synchronize());
    EXPECT_EQ(JsonFileUserDefaults(path_).stringValue("a"), QString("2"));
    d.remove("a");
    ASSERT_TRUE(d.synchronize());
    EXPECT_FALSE(JsonFileUserDefaults(path_).contains("a"));
    d.setInteger("b", 1);
    d.set("b", QVariant()); // an empty value removes
    ASSERT_TRUE(d.synchronize());
    EXPECT_FALSE(JsonFileUserDefaults(path_).contains("b"));

    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path_).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(folderNames(), QStringList{"defaults.json"}); // no temporaries left behind
}

TEST_F(DefaultsFileTest, ChangesDoNotWaitForTheDiskAndLandInOrder) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::mutex seenMutex;
    std::vector<qint64> written; // the value of "n" in each file about to replace the old one
    setAtomicWriteHookForTesting([&](const QString& temporary) {
        released.wait(); // the disk is stuck until the test lets it go
        QFile f(temporary);
        if (!f.open(QIODevice::ReadOnly)) return;
        const QJsonObject n = QJsonDocument::fromJson(f.readAll()).object()["values"].toObject()["n"].toObject();
        std::lock_guard lock(seenMutex);
        written.push_back(n["value"].toString().toLongLong());
    });

    constexpr qint64 kChanges = 500;
    {
        JsonFileUserDefaults d(path_);
        for (qint64 n = 1; n <= kChanges; ++n)
            d.setInteger("n", n); // returns although no write can finish
        EXPECT_EQ(d.integerValue("n"), kChanges);
        EXPECT_FALSE(QFileInfo::exists(path_));
        release.set_value();
        ASSERT_TRUE(d.synchronize());
        EXPECT_EQ(JsonFileUserDefaults(path_).integerValue("n"), kChanges);

        d.setInteger("n", kChanges + 1); // written when `d` goes
    }
    setAtomicWriteHookForTesting({});
    EXPECT_EQ(JsonFileUserDefaults(path_).integerValue("n"), kChanges + 1);
    std::lock_guard lock(seenMutex);
    EXPECT_LE(written.size(), 4u) << "a burst is gathered into few writes";
    EXPECT_TRUE(std::is_sorted(written.begin(), written.end())) << "an older file never replaces a newer one";
    EXPECT_EQ(written.back(), kChanges + 1);
}

// A start-up that writes back what it read must not rewrite a file of megabytes.
TEST_F(DefaultsFileTest, AValueSetAgainAsItWasIsNotWrittenAgain) {
    std::atomic<int> writes = 0;
    setAtomicWriteHookForTesting([&](const QString&) { ++writes; });
    const QByteArray data("\x00rules\xff", 7);
    const std::vector<std::pair<const char*, std::function<void(UserDefaults&)>>> sets = {
        {"bool", [](UserDefaults& d) { d.setBool("bool", true); }},
        {"string", [](UserDefaults& d) { d.setString("string", "Dark"); }},
        {"data", [&](UserDefaults& d) { d.setData("data", data); }},
        {"date", [](UserDefaults& d) { d.setDate("date", Date{5}); }},
        {"array",
         [](UserDefaults& d) {
             d.setStringArray("array", {"com.a", "com.b"});
         }},
        {"dictionary",
         [](UserDefaults& d) {
             d.set("dictionary", QVariantMap{{"k", qint64(1)}});
         }},
    };
    {
        JsonFileUserDefaults d(path_);
        for (const auto& [what, set] : sets)
            set(d);
        ASSERT_TRUE(d.synchronize());
    }
    const QByteArray written = fileBytes();
    EXPECT_TRUE(written.contains(R"("value": ")" + data.toBase64() + '"')) << "data is stored as base64";
    JsonFileUserDefaults d(path_);
    writes = 0;
    for (const auto& [what, set] : sets) {
        const quint64 generation = d.generation(what);
        set(d);
        ASSERT_TRUE(d.synchronize());
        EXPECT_EQ(writes, 0) << what;
        EXPECT_NE(d.generation(what), generation) << what << ": still a change for the readers";
    }
    EXPECT_EQ(fileBytes(), written);

    d.setData("data", "other"); // now a change
    ASSERT_TRUE(d.synchronize());
    EXPECT_EQ(writes, 1);
    d.setString("data", "other"); // and another type of value under the same key
    ASSERT_TRUE(d.synchronize());
    EXPECT_EQ(writes, 2);
    EXPECT_EQ(JsonFileUserDefaults(path_).stringValue("data"), QString("other"));
}

TEST_F(DefaultsFileTest, UnsupportedTypesAreRefused) {
    JsonFileUserDefaults d(path_);
    d.setInteger("k", 1);
    d.set("k", QVariant(QPoint(1, 2)));
    d.set("list", QVariantList{1, QVariant(QPoint(3, 4))});
    EXPECT_EQ(d.integerValue("k"), 1);
    EXPECT_FALSE(d.contains("list"));
    EXPECT_EQ(lines_.size(), 2);
    EXPECT_TRUE(lines_.value(0).startsWith("NimbrelDefaults: not saving \"k\"")) << lines_.value(0).toStdString();
}

TEST_F(DefaultsFileTest, WriteInterruptedBeforeTheRenameKeepsThePreviousFile) {
    {
        JsonFileUserDefaults d(path_);
        d.setString("kept", "before");
    }
    const QByteArray before = fileBytes();
    EXPECT_EXIT(
        {
            JsonFileUserDefaults d(path_);
            setAtomicWriteHookForTesting([](const QString&) { ::_exit(9); });
            d.setString("kept", "after");
        },
        ::testing::ExitedWithCode(9), "");
    EXPECT_EQ(fileBytes(), before);
    JsonFileUserDefaults reopened(path_);
    EXPECT_EQ(reopened.stringValue("kept"), QString("before"));
    EXPECT_TRUE(reopened.movedAsidePath().isEmpty());
}

TEST_F(DefaultsFileTest, UnreadableFileIsMovedAsideAndDefaultsStartEmpty) {
    writeFile("{ this is not json");
    setLogToStdout(true); // the line is meant for standard output
    testing::internal::CaptureStdout();
    JsonFileUserDefaults d(path_);
    const std::string out = testing::internal::GetCapturedStdout();
    setLogToStdout(false);

    EXPECT_TRUE(d.keys().isEmpty());
    ASSERT_FALSE(d.movedAsidePath().isEmpty());
    QFile aside(d.movedAsidePath());
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), QByteArray("{ this is not json"));
    EXPECT_FALSE(QFileInfo::exists(path_));
    EXPECT_NE(out.find("NimbrelDefaults: could not read"), std::string::npos) << out;
    EXPECT_NE(out.find(d.movedAsidePath().toStdString()), std::string::npos) << out;

    d.setBool("fresh", true);
    ASSERT_TRUE(d.synchronize());
    EXPECT_EQ(JsonFileUserDefaults(path_).boolValue("fresh"), true);
    EXPECT_TRUE(QFileInfo::exists(d.movedAsidePath()));
}

TEST_F(DefaultsFileTest, FilesOfAnotherShapeAreMovedAsideToo) {
    for (const QByteArray& bytes : {QByteArray("[1, 2]"), QByteArray("{\"values\": {}}"),
                                    QByteArray("{\"format\": 1, \"values\": []}"), QByteArray("")}) {
        writeFile(bytes);
        JsonFileUserDefaults d(path_);
        EXPECT_FALSE(d.movedAsidePath().isEmpty()) << bytes.toStdString();
        EXPECT_FALSE(QFileInfo::exists(path_));
    }
    // Nor is an endless file read whole.
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path_));
    EXPECT_TRUE(JsonFileUserDefaults(path_).setAsideProblem().contains(QStringLiteral("larger than")));
    EXPECT_EQ(folderNames().size(), 5); // each kept under its own name
}

TEST_F(DefaultsFileTest, AnUnreadableFileThatCannotBeMovedAsideIsNeverWrittenOver) {
    // No name is left for the file kept aside: the name itself is as long as a name can be.
    const QString longPath = dir_.path() + QLatin1Char('/') + QString(255 - 5, QLatin1Char('d')) + ".json";
    const QByteArray unreadable("{ still the user's, though unreadable");
    {
        QFile f(longPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(unreadable);
    }
    {
        JsonFileUserDefaults d(longPath);
        EXPECT_TRUE(d.movedAsidePath().isEmpty());
        d.setBool("kept in memory", true);
        d.remove("kept in memory");
        d.setString("kept in memory", "yes");
        EXPECT_EQ(d.stringValue("kept in memory"), QString("yes"));
        EXPECT_FALSE(d.synchronize());
    } // nor when it goes
    QFile f(longPath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), unreadable);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // nothing beside it
    EXPECT_TRUE(lines_.last().contains("not saving the defaults over the unreadable")) << lines_.last().toStdString();
}

TEST_F(DefaultsFileTest, OneUnreadableValueIsKeptUnchanged) {
    writeFile(R"({"format": 1, "values": {
        "good": {"type": "bool", "value": true},
        "bad": {"type": "mystery", "value": 1},
        "badInteger": {"type": "integer", "value": "12x"},
        "badData": {"type": "data", "value": "not base64!"},
        "goodData": {"type": "data", "value": "AAE="}}})");
    JsonFileUserDefaults d(path_);
    EXPECT_TRUE(d.movedAsidePath().isEmpty());
    EXPECT_EQ(d.boolValue("good"), true);
    d.setString("other", "x"); // written while the data values are not decoded yet
    ASSERT_TRUE(d.synchronize());
    EXPECT_EQ(storedValues().value("goodData").toObject().value("value").toString(), "AAE=");
    // Data is decoded when first read: a value that cannot be read is told then.
    EXPECT_EQ(d.keys(), (QStringList{"good", "goodData", "other"}));
    EXPECT_EQ(d.dataValue("goodData"), QByteArray("\x00\x01", 2));
    EXPECT_FALSE(d.contains("badData"));
    EXPECT_EQ(lines_.size(), 3) << lines_.join('\n').toStdString();

    d.setString("other", "y");
    ASSERT_TRUE(d.synchronize());
    EXPECT_EQ(storedValues().value("bad").toObject().value("type").toString(), "mystery");
    EXPECT_EQ(storedValues().value("badInteger").toObject().value("value").toString(), "12x");
    EXPECT_EQ(storedValues().value("badData").toObject().value("value").toString(), "not base64!");
    EXPECT_EQ(storedValues().value("goodData").toObject().value("value").toString(), "AAE=");

    d.setInteger("bad", 3); // setting the key anew replaces it
    ASSERT_TRUE(d.synchronize());
    EXPECT_EQ(JsonFileUserDefaults(path_).integerValue("bad"), 3);
    d.remove("badInteger");
    ASSERT_TRUE(d.synchronize());
    EXPECT_FALSE(storedValues().contains("badInteger"));
}

TEST_F(DefaultsFileTest, SynchronizeTellsWhetherTheLastWriteSucceeded) {
    const QString folder = QFileInfo(path_).path();
    QDir().mkpath(QFileInfo(folder).path());
    {
        QFile blocker(folder); // a file where the folder should be
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    JsonFileUserDefaults d(path_);
    d.setBool("flag", true);
    EXPECT_EQ(d.boolValue("flag"), true); // kept in memory
    EXPECT_FALSE(d.synchronize());
    EXPECT_TRUE(lines_.last().startsWith("NimbrelDefaults: could not save the defaults"))
        << lines_.last().toStdString();

    ASSERT_TRUE(QFile::remove(folder));
    EXPECT_TRUE(d.synchronize()); // writes again
    EXPECT_EQ(JsonFileUserDefaults(path_).boolValue("flag"), true);

    // Set again as it is after a failed write, a value is written, without a synchronize.
    setAtomicWriteFaultForTesting([](const QString&) { return QStringLiteral("The disk is full."); });
    d.setBool("flag", false);
    EXPECT_FALSE(d.synchronize());
    setAtomicWriteFaultForTesting({});
    std::promise<void> written;
    setAtomicWriteHookForTesting([&](const QString&) { written.set_value(); });
    d.setBool("flag", false);
    EXPECT_EQ(written.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
}

// The file is never larger than its reader takes: a write that would be is refused, the file
// keeps what it held, and the values stay in memory until a change makes the file fit.
TEST_F(DefaultsFileTest, AFileIsWrittenUpToTheBoundItIsReadWith) {
    constexpr qint64 kBound = 4096;
    VirtualScheduler mainThread;
    QStringList told;
    JsonFileUserDefaults d(path_, kBound);
    d.reportWriteFailuresOn(mainThread, [&](const QString& error) { told << error; });
    d.setString("pad", "");
    ASSERT_TRUE(d.synchronize());
    const QString fits(kBound - QFileInfo(path_).size(), 'x');
    d.setString("pad", fits);
    ASSERT_TRUE(d.synchronize());
    EXPECT_EQ(JsonFileUserDefaults(path_, kBound).stringValue("pad"), fits);
    const QByteArray atTheBound = fileBytes();
    ASSERT_EQ(atTheBound.size(), kBound);

    d.setString("pad", fits + 'x');
    EXPECT_FALSE(d.synchronize());
    d.setBool("other", true);
    EXPECT_FALSE(d.synchronize());
    EXPECT_EQ(fileBytes(), atTheBound);
    EXPECT_EQ(told, QStringList{"defaults.json would hold 4097 bytes, more than the 4096 bytes that can be read back; "
                                "it was not written"}); // once for the run of failures
    d.setString("pad", "");
    ASSERT_TRUE(d.synchronize());
    EXPECT_EQ(JsonFileUserDefaults(path_, kBound).boolValue("other"), true);
}

TEST_F(DefaultsFileTest, ObserversHearOnlyTheirKey) {
    JsonFileUserDefaults d(path_);
    int aChanges = 0, bChanges = 0;
    ObserverToken a = d.observe("a", [&] { ++aChanges; });
    ObserverToken b = d.observe("b", [&] {
        ++bChanges;
        EXPECT_EQ(d.integerValue("b"), 1); // the observer sees the value already stored
    });
    d.setInteger("a", 1);
    d.setInteger("b", 1);
    d.remove("a");
    d.remove("a"); // nothing to remove: no change
    EXPECT_EQ(aChanges, 2);
    EXPECT_EQ(bChanges, 1);
    a.reset();
    d.setInteger("a", 2);
    EXPECT_EQ(aChanges, 2);
}

TEST_F(DefaultsFileTest, EveryChangeOfAKeyGivesItANewGenerationAndOnlyIt) {
    JsonFileUserDefaults file(path_);
    InMemoryUserDefaults memory;
    for (UserDefaults* d : {static_cast<UserDefaults*>(&file), static_cast<UserDefaults*>(&memory)}) {
        const quint64 untouched = d->generation("other");
        std::set<quint64> seen{untouched};
        const std::function<void()> changes[] = {
            [&] { d->setData("k", "a"); },
            [&] { d->setData("k", "a"); }, // the same value again
            [&] { d->remove("k"); },
            [&] { d->setString("k", "b"); },
        };
        for (const auto& change : changes) {
            change();
            EXPECT_TRUE(seen.insert(d->generation("k")).second) << seen.size();
        }
        EXPECT_EQ(d->generation("other"), untouched);
    }
    const quint64 before = file.generation("k");
    file.set("k", QVariant(QPoint(1, 2))); // refused
    EXPECT_EQ(file.generation("k"), before);
    // Other defaults, also the same file read again, never share a generation with these.
    ASSERT_TRUE(file.synchronize());
    JsonFileUserDefaults reread(path_);
    EXPECT_EQ(reread.stringValue("k"), QString("b"));
    EXPECT_NE(reread.generation("k"), file.generation("k"));
    EXPECT_NE(reread.generation("other"), memory.generation("other"));
}

TEST(TypedValueCoding, RejectsWhatItDidNotWrite) {
    QString error;
    EXPECT_FALSE(decodeTypedValue(QJsonValue(5), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(decodeTypedValue(QJsonObject{{"type", "bool"}, {"value", "yes"}}));
    EXPECT_FALSE(decodeTypedValue(QJsonObject{{"type", "data"}, {"value", "***"}}));
    EXPECT_FALSE(decodeTypedValue(QJsonObject{{"type", "date"}, {"value", "soon"}}));
    EXPECT_FALSE(decodeTypedValue(QJsonObject{{"type", "array"}, {"value", QJsonArray{1}}}));
    EXPECT_FALSE(encodeTypedValue(QVariant()));
    EXPECT_FALSE(encodeTypedValue(QVariant(std::numeric_limits<qulonglong>::max())));

    // Nesting beyond any sane depth is refused, not recursed into without end.
    QJsonValue deep = QJsonObject{{"type", "bool"}, {"value", true}};
    for (int i = 0; i < 200; ++i)
        deep = QJsonObject{{"type", "array"}, {"value", QJsonArray{deep}}};
    EXPECT_FALSE(decodeTypedValue(deep, &error));
    EXPECT_TRUE(error.contains("nested")) << error.toStdString();
}
