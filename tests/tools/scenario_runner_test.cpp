#include "ScenarioRunner.h"

#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace nimbrel::simtool {
namespace {

QStringList linesWith(const QStringList& lines, const QString& part) {
    QStringList out;
    for (const QString& l : lines)
        if (l.contains(part)) out << l;
    return out;
}

TEST(ScenarioRunner, RejectsScenariosOfTheWrongShape) {
    QTemporaryDir dir;
    ScenarioRunner runner(dir.path(), {});
    QString error;
    EXPECT_FALSE(runner.load("[1, 2]", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(runner.load("{\"timeline\": {}}", &error));
    EXPECT_FALSE(runner.load("{\"start\": \"yesterday\"}", &error));
    EXPECT_TRUE(runner.load("{}", &error));
}

TEST(ScenarioRunner, ProgramPartsStartWithTheDefaultsFilesAndPlatformInPlace) {
    QTemporaryDir dir;
    QStringList seen;
    std::vector<ProgramPart> parts{
        {QStringLiteral("first"),
         [&](Platform& p) {
             seen << QStringLiteral("installed=%1").arg(&Platform::current() == &p);
             seen << QStringLiteral("mode=%1").arg(
                 p.defaults->stringValue(QStringLiteral("Mode")).value_or(QStringLiteral("?")));
             seen << QStringLiteral("count=%1").arg(p.defaults->integerValue(QStringLiteral("Count")).value_or(-1));
             seen << QStringLiteral("data=%1").arg(
                 QString::fromLatin1(p.defaults->dataValue(QStringLiteral("Blob")).value_or("?").toHex()));
             seen << QStringLiteral("file=%1").arg(
                 QString::fromUtf8(p.files->readFile(QStringLiteral("/Users/anna/todo.txt")).value_or("?")));
             QFile sessions(p.locations.nimbrelSupportFolder() + QStringLiteral("/Sessions.json"));
             seen << QStringLiteral("support=%1").arg(sessions.exists());
             seen << QStringLiteral("running=%1").arg(p.workspace->runningApplications().size() > 3);
         }},
        {QStringLiteral("second"), [&](Platform&) { seen << QStringLiteral("second"); }},
    };
    ScenarioRunner runner(dir.path(), parts);
    QString error;
    ASSERT_TRUE(runner.load(R"({"defaults": {"Mode": "cycling", "Count": 3, "Blob": {"type": "data", "value": "AAE="}},
                                "files": {"/Users/anna/todo.txt": "milk"},
                                "supportFiles": {"Sessions.json": []}})",
                            &error))
        << error.toStdString();
    const QStringList lines = runner.run();
    EXPECT_EQ(seen, (QStringList{"installed=1", "mode=cycling", "count=3", "data=0001", "file=milk", "support=1",
                                 "running=1", "second"}));
    EXPECT_EQ(linesWith(lines, QStringLiteral("start:")),
              (QStringList{"  0.000 start: first", "  0.000 start: second"}));
}

TEST(ScenarioRunner, TheTranscriptHoldsLogLinesActivitiesNotificationsAndMacEvents) {
    QTemporaryDir dir;
    ObserverToken wakeToken;
    std::vector<ProgramPart> parts{{QStringLiteral("watcher"), [&wakeToken](Platform& p) {
                                        Platform* platform = &p;
                                        wakeToken = p.workspace->observeDidWake([platform] {
                                            logLine(QStringLiteral("NimbrelEngine"), QStringLiteral("wake from sleep"));
                                            platform->notifications->post(
                                                QStringLiteral("nimbrelRecordActivity"),
                                                {{QStringLiteral("type"), QStringLiteral("info")},
                                                 {QStringLiteral("title"), QStringLiteral("Woke")},
                                                 {QStringLiteral("message"), QStringLiteral("The Mac woke up.")}});
                                            platform->notifications->post(QStringLiteral("Nimbrel.pauseStateDidChange"),
                                                                          {{QStringLiteral("paused"), true}});
                                            platform->workspace->open(QStringLiteral("https://example.com/"));
                                        });
                                    }}};
    ScenarioRunner runner(dir.path(), parts);
    QString error;
    ASSERT_TRUE(runner.load(
        R"({"timeline": [{"at": 2, "do": "wake"}, {"do": "wait", "seconds": 1}], "settleSeconds": 0})", &error));
    const QStringList lines = runner.run();
    const int wake = static_cast<int>(lines.indexOf(QStringLiteral("  2.000 system: wake from sleep")));
    ASSERT_GE(wake, 0) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(lines.mid(wake + 1, 4), (QStringList{"  2.000 log: NimbrelEngine: wake from sleep",
                                                   "  2.000 activity: info \"Woke\" The Mac woke up.",
                                                   "  2.000 notification: Nimbrel.pauseStateDidChange {paused=true}",
                                                   "  2.000 workspace: open https://example.com/ -> ok"}));
    EXPECT_TRUE(lines.contains(QStringLiteral("== final state ==")));
    EXPECT_EQ(linesWith(lines, QStringLiteral("tab* https://example.com/")).size(), 1);
}

TEST(ScenarioRunner, BadStepsAreReportedAndTheRunGoesOn) {
    QTemporaryDir dir;
    ScenarioRunner runner(dir.path(), {});
    QString error;
    ASSERT_TRUE(runner.load(R"({"desktop": {"quit": ["Nobody"], "dockOrientation": "top"},
                                "timeline": [{"do": "fly"}, {"do": "press"}, {"do": "press", "tile": "Nope"},
                                             {"do": "launch", "app": "com.example.none"},
                                             {"do": "setClock", "time": "2001-01-01T00:00:00Z"},
                                             {"do": "click", "tile": "Mail"}]})",
                            &error));
    const QStringList errors = linesWith(runner.run(), QStringLiteral("scenario-error:"));
    EXPECT_EQ(errors.size(), 7) << errors.join(QLatin1Char('\n')).toStdString();
}

TEST(ScenarioRunner, TwoRunsPrintTheSameTranscript) {
    const QByteArray scenario = R"({"timeline": [{"do": "click", "tile": "Mail"}, {"do": "click", "tile": "Trash"},
                                                 {"do": "launch", "app": "com.apple.iCal"}]})";
    QTemporaryDir a, b;
    ScenarioRunner first(a.path(), {});
    ScenarioRunner second(b.path(), {});
    QString error;
    ASSERT_TRUE(first.load(scenario, &error));
    ASSERT_TRUE(second.load(scenario, &error));
    EXPECT_EQ(first.run(), second.run());
}

} // namespace
} // namespace nimbrel::simtool
