#include "ScenarioRunner.h"

#include "support/QtPrinters.h"

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
    ScenarioRunner runner(dir.path());
    QString error;
    EXPECT_FALSE(runner.load("[1, 2]", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(runner.load("{\"timeline\": {}}", &error));
    EXPECT_FALSE(runner.load("{\"start\": \"yesterday\"}", &error));
    EXPECT_FALSE(runner.load("{\"launchProgram\": \"later\"}", &error));
    EXPECT_TRUE(runner.load("{}", &error));
}

TEST(ScenarioRunner, TheProgramLaunchesWithTheDefaultsFilesAndPlatformInPlace) {
    QTemporaryDir dir;
    QStringList seen;
    ScenarioRunner runner(dir.path());
    runner.setLaunchHook([&](Platform& p) {
        seen << QStringLiteral("installed=%1").arg(&Platform::current() == &p);
        seen << QStringLiteral("mode=%1").arg(
            p.defaults->stringValue(QStringLiteral("Mode")).value_or(QStringLiteral("?")));
        seen << QStringLiteral("count=%1").arg(p.defaults->integerValue(QStringLiteral("Count")).value_or(-1));
        seen << QStringLiteral("data=%1").arg(
            QString::fromLatin1(p.defaults->dataValue(QStringLiteral("Blob")).value_or("?").toHex()));
        seen << QStringLiteral("file=%1").arg(
            QString::fromUtf8(p.files->readFile(QStringLiteral("/Users/anna/todo.txt"), kMebibyte).value_or("?")));
        QFile sessions(p.locations.nimbrelSupportFolder() + QStringLiteral("/Sessions.json"));
        seen << QStringLiteral("support=%1").arg(sessions.exists());
        seen << QStringLiteral("running=%1").arg(p.workspace->runningApplications().size() > 3);
    });
    QString error;
    ASSERT_TRUE(runner.load(R"({"defaults": {"Mode": "cycling", "Count": 3, "Blob": {"type": "data", "value": "AAE="}},
                                "files": {"/Users/anna/todo.txt": "milk"},
                                "supportFiles": {"Sessions.json": []}})",
                            &error))
        << error.toStdString();
    const QStringList lines = runner.run();
    EXPECT_EQ(seen, (QStringList{"installed=1", "mode=cycling", "count=3", "data=0001", "file=milk", "support=1",
                                 "running=1"}));
    EXPECT_EQ(lines.value(1), "  0.000 program: launched");
    EXPECT_EQ(linesWith(lines, QStringLiteral("start:")),
              (QStringList{"  0.000 start: engine", "  1.000 start: sessions store", "  1.000 start: rules store"}));
}

TEST(ScenarioRunner, AScenarioCanLaunchTheProgramLaterWithOtherDefaults) {
    QTemporaryDir dir;
    QStringList modes;
    ScenarioRunner runner(dir.path());
    runner.setLaunchHook([&](Platform& p) {
        modes << p.defaults->stringValue(QStringLiteral("Nimbrel.settings.behaviorMode")).value_or(QStringLiteral("?"));
    });
    QString error;
    ASSERT_TRUE(runner.load(R"({"launchProgram": false, "defaults": {"Nimbrel.settings.behaviorMode": "restore"},
                                "timeline": [{"at": 3, "do": "setDefaults", "values": {"Nimbrel.settings.behaviorMode": "cycling"}},
                                             {"do": "launchProgram"}], "settleSeconds": 0})",
                            &error))
        << error.toStdString();
    const QStringList lines = runner.run();
    EXPECT_EQ(modes, QStringList{"cycling"});
    EXPECT_EQ(linesWith(lines, QStringLiteral("program:")), QStringList{"  3.000 program: launched"});
    EXPECT_EQ(linesWith(lines, QStringLiteral("status-item:")).value(0).left(7), QStringLiteral("  3.000"));
}

TEST(ScenarioRunner, TheTranscriptHoldsLogLinesActivitiesNotificationsAndMacEvents) {
    QTemporaryDir dir;
    ObserverToken wakeToken;
    ScenarioRunner runner(dir.path());
    runner.setLaunchHook([&wakeToken](Platform& p) {
        Platform* platform = &p;
        wakeToken = p.workspace->observeDidWake([platform] {
            logLine(QStringLiteral("Watcher"), QStringLiteral("wake from sleep"));
            platform->notifications->post(QStringLiteral("nimbrelRecordActivity"),
                                          {{QStringLiteral("type"), QStringLiteral("info")},
                                           {QStringLiteral("title"), QStringLiteral("Woke")},
                                           {QStringLiteral("message"), QStringLiteral("The Mac\nwoke up.")}});
            platform->notifications->post(QStringLiteral("Watcher.woke"), {{QStringLiteral("paused"), true}});
            platform->workspace->open(QStringLiteral("https://example.com/"));
        });
    });
    QString error;
    ASSERT_TRUE(runner.load(
        R"({"timeline": [{"at": 2, "do": "wake"}, {"do": "wait", "seconds": 1}], "settleSeconds": 0})", &error));
    const QStringList lines = runner.run();
    const int wake = static_cast<int>(lines.indexOf(QStringLiteral("  2.000 system: wake from sleep")));
    ASSERT_GE(wake, 0) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(lines.mid(wake + 1, 4), (QStringList{"  2.000 log: Watcher: wake from sleep",
                                                   "  2.000 activity: info \"Woke\" The Mac\\nwoke up.",
                                                   "  2.000 notification: Watcher.woke {paused=true}",
                                                   "  2.000 workspace: open https://example.com/ -> ok"}));
    EXPECT_TRUE(lines.contains(QStringLiteral("== final state ==")));
    EXPECT_EQ(linesWith(lines, QStringLiteral("tab* https://example.com/")).size(), 1);
}

TEST(ScenarioRunner, BadStepsAreReportedAndTheRunGoesOn) {
    QTemporaryDir dir;
    ScenarioRunner runner(dir.path());
    QString error;
    ASSERT_TRUE(runner.load(R"({"timeZone": "Mars/Olympus", "desktop": {"quit": ["Nobody"], "dockOrientation": "top"},
                                "timeline": [{"do": "fly"}, {"do": "press"}, {"do": "press", "tile": "Nope"},
                                             {"do": "launch", "app": "com.example.none"},
                                             {"do": "setClock", "time": "2001-01-01T00:00:00Z"},
                                             {"do": "click", "tile": "Mail"},
                                             {"do": "saveSession", "session": {"name": "Early"}},
                                             {"do": "wait", "seconds": 2},
                                             {"do": "saveSession", "session": {"name": 42}}]})",
                            &error));
    const QStringList errors = linesWith(runner.run(), QStringLiteral("scenario-error:"));
    EXPECT_EQ(errors.size(), 10) << errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(errors.front().contains("unknown time zone Mars/Olympus"));
    EXPECT_TRUE(errors[errors.size() - 2].contains("the sessions store is not running"));
    EXPECT_TRUE(errors.back().contains("not a session: "));
}

TEST(ScenarioRunner, ProgramStepsThatCannotBeDoneNowAreReported) {
    QTemporaryDir dir;
    ScenarioRunner runner(dir.path());
    QString error;
    // Each step, and what the run says when the program is not where the step needs it.
    const std::vector<std::pair<const char*, QString>> steps = {
        {R"({"do": "launchProgram"})", "the program is running already"},
        {R"({"do": "openScreen", "screen": "rules"})", "the main menu is not shown"},
        {R"({"do": "pause", "seconds": 300})", "the main menu is not shown"},
        {R"({"do": "openPermissions"})", "the main menu is not shown"},
        {R"({"do": "clickStatusItem"})", ""},
        {R"({"do": "back"})", "no screen with a way back is shown"},
        {R"({"do": "openScreen", "screen": "trash"})", "no screen \"trash\""},
        {R"({"do": "pause", "seconds": 42})", "the pause menu has no row of 42 seconds"},
        {R"({"do": "pause", "seconds": "later"})", "pause needs \"seconds\""},
        {R"({"do": "resume"})", "the pause menu has no \"Resume Nimbrel\""},
        {R"({"do": "onboardingSwitch"})", "the onboarding is not shown"},
        {R"({"do": "openSettingsInstead"})", "the onboarding is not shown"},
        {R"({"do": "quitFromOnboarding"})", "the onboarding is not shown"},
        {R"({"do": "sleep", "seconds": 0})", "sleep needs \"seconds\" above 0"},
        {R"({"do": "setDefaults", "values": {}})", "setDefaults needs \"values\""},
        {R"({"do": "minimizeWindow", "app": "Mail", "window": "Inbox – iCloud"})", "is minimized already"},
        {R"({"do": "moveWindow", "app": "Notes", "window": "Notes"})", "moveWindow needs \"to\""},
        {R"({"do": "failScriptCompile", "app": "Nobody"})", "no application Nobody"},
        {R"({"do": "quitProgram"})", ""},
        {R"({"do": "wait", "seconds": 1})", ""},
        {R"({"do": "quitProgram"})", "the program is not running"},
        {R"({"do": "clickStatusItem"})", "Nimbrel's status item is not in the menu bar"},
    };
    QStringList timeline;
    QStringList expected;
    for (const auto& [step, problem] : steps) {
        timeline << QString::fromUtf8(step);
        if (!problem.isEmpty()) expected << problem;
    }
    ASSERT_TRUE(runner.load(("{\"timeline\": [" + timeline.join(", ") + "], \"settleSeconds\": 0}").toUtf8(), &error))
        << error.toStdString();
    const QStringList errors = linesWith(runner.run(), QStringLiteral("scenario-error: "));
    ASSERT_EQ(errors.size(), expected.size()) << errors.join('\n').toStdString();
    for (qsizetype i = 0; i < errors.size(); ++i)
        EXPECT_TRUE(errors[i].contains(expected[i])) << errors[i].toStdString() << " / " << expected[i].toStdString();
}

TEST(ScenarioRunner, QuitHidesThePanelThenRemovesTheItemAndALaunchRightAfterComesOnceItEnded) {
    QTemporaryDir dir;
    ScenarioRunner runner(dir.path());
    QString error;
    ASSERT_TRUE(runner.load(R"({"timeline": [{"at": 2, "do": "clickStatusItem"}, {"do": "quitProgram"},
                                             {"do": "launchProgram"}], "settleSeconds": 0})",
                            &error))
        << error.toStdString();
    const QStringList lines = runner.run();
    const qsizetype quit = lines.indexOf(QStringLiteral("  2.000 step: quit program"));
    ASSERT_GE(quit, 0);
    EXPECT_EQ(lines.mid(quit + 1, 7),
              (QStringList{"  2.000 notification: Nimbrel.quitRequested", "  2.000 panel: hidden",
                           "  2.000 status-item: removed", "  2.000 program: ended with status 0",
                           "  2.000 step: launch program", "  2.000 program: launched",
                           "  2.000 log: NimbrelApp: did finish launching"}));
    EXPECT_TRUE(linesWith(lines, QStringLiteral("scenario-error:")).isEmpty());
}

TEST(ScenarioRunner, EachClickOnTheProgramComesAfterWhatThePreviousOneLeftForTheNextTurn) {
    QTemporaryDir dir;
    ScenarioRunner runner(dir.path());
    QString error;
    ASSERT_TRUE(runner.load(R"({"timeline": [{"at": 2, "do": "clickStatusItem"}, {"do": "pause", "seconds": 300},
                                             {"do": "resume"}], "settleSeconds": 0})",
                            &error));
    const QStringList lines = linesWith(runner.run(), QStringLiteral("  2.000 "));
    const QStringList order = {
        "  2.000 step: pause for 300 s",
        "  2.000 activity: info \"Cloud Sync Disabled\" Nimbrel will stop syncing across devices.",
        "  2.000 step: resume",
        "  2.000 activity: info \"Cloud Sync Enabled\" Nimbrel will sync rules, sessions and blacklist."};
    qsizetype at = -1;
    for (const QString& line : order) {
        const qsizetype next = lines.indexOf(line, at + 1);
        EXPECT_GT(next, at) << line.toStdString();
        at = std::max(at, next);
    }
}

TEST(ScenarioRunner, TwoRunsPrintTheSameTranscript) {
    const QByteArray scenario = R"({"timeline": [{"do": "click", "tile": "Mail"}, {"do": "click", "tile": "Trash"},
                                                 {"do": "launch", "app": "com.apple.iCal"}]})";
    QTemporaryDir a, b;
    ScenarioRunner first(a.path());
    ScenarioRunner second(b.path());
    QString error;
    ASSERT_TRUE(first.load(scenario, &error));
    ASSERT_TRUE(second.load(scenario, &error));
    EXPECT_EQ(first.run(), second.run());
}

TEST(ScenarioRunner, ASecondMacSharesTheCloudAndTakesTheStepsNamedForIt) {
    QTemporaryDir dir;
    ScenarioRunner runner(dir.path());
    QString error;
    EXPECT_FALSE(runner.load(R"({"secondMac": 3})", &error));
    ASSERT_TRUE(runner.load(R"({"secondMac": {"launchProgram": false},
                                "timeline": [{"at": 2, "mac": "A", "do": "addRule", "name": "Open mail"},
                                             {"mac": "B", "do": "addRule", "name": "Too early"},
                                             {"mac": "C", "do": "syncNow"},
                                             {"mac": "B", "do": "launchProgram"},
                                             {"at": 4, "mac": "B", "do": "showSynced"}], "settleSeconds": 0})",
                            &error))
        << error.toStdString();
    const QStringList lines = runner.run();
    EXPECT_EQ(linesWith(lines, QStringLiteral("scenario-error:")),
              (QStringList{"  2.000 B scenario-error: addRule: the program is not running",
                           "  2.000 A scenario-error: no Mac named \"C\""}));
    // B, launched at 2 s, pulls at its rules store's start what A pushed.
    EXPECT_TRUE(lines.contains(QStringLiteral("  4.000 B synced: rules: Open mail"))) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("== final state of B ==")));
}

TEST(ScenarioRunner, EachMacKeepsItsOwnTimeZone) {
    // 00:30 UTC is 09:30 in Tokyo: a session from 9:00 to 17:00 runs on a Mac in Tokyo only.
    const QString session = R"("supportFiles": {"Sessions.json": [{"id": "6A2F41A0-7B8C-4D2E-9F10-112233445566",
        "name": "Reading", "scheduleStartTime": {"hour": 9, "minute": 0}, "scheduleEndTime": {"hour": 17, "minute": 0}}]})";
    struct Case {
        const char* secondZone;
        bool startedOnB;
    };
    for (const Case& c : {Case{R"(, "timeZone": "UTC")", false}, Case{"", true}}) {
        QTemporaryDir dir;
        ScenarioRunner runner(dir.path());
        QString error;
        const QString scenario = QStringLiteral(R"({"start": "2026-12-07T00:30:00Z", "timeZone": "Asia/Tokyo", %1,
                                                   "secondMac": {%1%2}, "settleSeconds": 2})")
                                     .arg(session, QString::fromLatin1(c.secondZone));
        ASSERT_TRUE(runner.load(scenario.toUtf8(), &error)) << error.toStdString();
        const QStringList lines = runner.run();
        EXPECT_FALSE(linesWith(lines, QStringLiteral("A activity: session \"Session Started\" Reading")).isEmpty())
            << c.secondZone;
        EXPECT_EQ(linesWith(lines, QStringLiteral("B activity: session \"Session Started\" Reading")).isEmpty(),
                  !c.startedOnB)
            << c.secondZone;
    }
}

TEST(ScenarioRunner, IdsDrawnAtRandomPrintNumberedAndTheScenariosOwnAsTheyAre) {
    QTemporaryDir dir;
    ScenarioRunner runner(dir.path());
    QString error;
    ASSERT_TRUE(runner.load(R"({"keychain": {"items": [{"service": "s", "account": "given",
                                   "data": "6a2f41a0-7b8c-4d2e-9f10-112233445566"}]},
                                "timeline": [{"at": 2, "do": "addRule", "name": "One"}, {"do": "addRule", "name": "Two"},
                                             {"do": "traceCloud"}, {"do": "deleteRule", "name": "One"},
                                             {"do": "keychainItems"}], "settleSeconds": 1})",
                            &error))
        << error.toStdString();
    const QStringList lines = runner.run();
    // The device id made at 1 s comes first; the rule deleted is the first of the two added.
    EXPECT_TRUE(lines.contains(QStringLiteral("  com.nimbrel.device-identity / primary-device-id: \"<id-1>\" "
                                              "(afterFirstUnlockThisDeviceOnly)")));
    EXPECT_FALSE(linesWith(lines, QStringLiteral("cloud: save deleted_rule_<id-2> (NimbrelTombstone, new)")).isEmpty())
        << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("  s / given: \"6a2f41a0-7b8c-4d2e-9f10-112233445566\" (whenUnlocked)")));
}

} // namespace
} // namespace nimbrel::simtool
