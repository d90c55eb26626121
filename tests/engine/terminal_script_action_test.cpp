#include "BrowserFixture.h"
#include "engine/AppleScriptCall.h"
#include "engine/TerminalScriptText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>

using namespace nimbrel;
using namespace nimbrel::test;
namespace ts = nimbrel::terminalscript;

namespace {

TerminalScriptRuleAction terminalAction(const QStringList& commands, bool stopOnFirstFailure = false,
                                        std::optional<QString> bundleId = std::nullopt,
                                        const QString& name = QStringLiteral("Terminal")) {
    TerminalScriptRuleAction a;
    a.terminalApp.displayName = name;
    a.terminalApp.bundleIdentifier = std::move(bundleId);
    for (const QString& c : commands)
        a.commands.push_back(TerminalScriptCommand{Uuid::random(), c});
    a.stopOnFirstFailure = stopOnFirstFailure;
    return a;
}

class TerminalScriptActionTest : public WindowManagerFixture {
  protected:
    QString folder() const { return platform.locations.privateTemporary; }
    QStringList scriptFiles() const {
        return QDir(folder()).entryList(QStringList{QStringLiteral("*.sh")}, QDir::Files | QDir::Hidden);
    }
    QString onlyScriptFile() {
        const QStringList files = scriptFiles();
        if (files.size() != 1) {
            ADD_FAILURE() << "expected one script file, found " << files.size();
            return {};
        }
        return folder() + QLatin1Char('/') + files.front();
    }
    static int mode(const QString& path) {
        struct stat st {};
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return -1;
        return int(st.st_mode & 07777);
    }
    static QByteArray contents(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList scriptEffects() {
        const auto texts = mac.recorder().texts(sim::EventKind::scriptEffect);
        return QStringList(texts.begin(), texts.end());
    }
};

TEST(TerminalScriptTexts, FileTextKeepsCommandsVerbatimAndSkipsBlankOnes) {
    const auto action = terminalAction({QStringLiteral("  cd ~/src"), QStringLiteral(" \n\t "), QString(),
                                        QStringLiteral("make test && echo \"done\" \\")},
                                       true);
    const QStringList kept = ts::keptCommands(action);
    EXPECT_EQ(kept, (QStringList{QStringLiteral("  cd ~/src"), QStringLiteral("make test && echo \"done\" \\")}));
    EXPECT_EQ(ts::scriptText(kept, true),
              QByteArray("#!/bin/bash\nset -e\n  cd ~/src\nmake test && echo \"done\" \\\n"));
    EXPECT_EQ(ts::scriptText({QStringLiteral("ls")}, false), QByteArray("#!/bin/bash\nls\n"));
    EXPECT_EQ(ts::runningMessage(1, QStringLiteral("Terminal")), QStringLiteral("Running 1 command in Terminal."));
    EXPECT_EQ(ts::runningMessage(2, QStringLiteral("iTerm")), QStringLiteral("Running 2 commands in iTerm."));
}

TEST(TerminalScriptTexts, AppleScriptsByteForByteWithTheirTextsEscaped) {
    const QString path = QString::fromUtf8("/tmp/d\xC3\xA9j\xC3\xA0 \"q\"\\b/nimbrel_X.sh");
    EXPECT_EQ(ts::appleScriptSource(QStringLiteral("com.apple.Terminal"), path),
              QString::fromUtf8(R"(tell application id "com.apple.Terminal"
    activate
    set p to "/tmp/déjà \"q\"\\b/nimbrel_X.sh"
    do script ("bash " & quoted form of p & "; rm -f " & quoted form of p)
end tell)"));
    EXPECT_EQ(ts::appleScriptSource(QStringLiteral("com.googlecode.iterm2"), path),
              QString::fromUtf8(R"(tell application "iTerm"
    activate
    if (count of windows) = 0 then
        create window with default profile
    end if
    tell current window
        create tab with default profile
        tell current session of current tab
            set p to "/tmp/déjà \"q\"\\b/nimbrel_X.sh"
            write text ("bash " & quoted form of p & "; rm -f " & quoted form of p)
        end tell
    end tell
end tell)"));
    EXPECT_FALSE(ts::appleScriptSource(QStringLiteral("com.apple.Terminal"), QStringLiteral("/tmp/a\nb/x.sh")));
}

TEST(TerminalScriptTexts, OnlyPlainBundleIdentifiersAreAccepted) {
    for (const char* ok :
         {"com.apple.Terminal", "net.kovidgoyal.kitty", "co.zeit.hyper", "com.github.wez.wezterm", "A-1.b"})
        EXPECT_TRUE(ts::isAcceptableBundleIdentifier(QString::fromLatin1(ok))) << ok;
    for (const char* bad : {"", "com.apple.Terminal\" & do shell script \"id", "com apple", "com.apple.Terminal\n",
                            "com/apple", "com.apple.Terminal\\", "com_apple"})
        EXPECT_FALSE(ts::isAcceptableBundleIdentifier(QString::fromLatin1(bad))) << bad;
    EXPECT_FALSE(ts::isAcceptableBundleIdentifier(QString::fromUtf8("com.\xC3\xA9xample")));
    EXPECT_EQ(ts::bundleIdentifier(terminalAction({})), QStringLiteral("com.apple.Terminal"));
}

TEST_F(TerminalScriptActionTest, WritesAPrivateFileRunsItInTerminalAndRemovesIt30SecondsLater) {
    wm->executeAction(NimbrelRuleAction::runTerminalScript(terminalAction(
        {QStringLiteral("echo one"), QStringLiteral("   "), QStringLiteral("  echo \"two\" | tr a b")}, true)));
    const QString path = onlyScriptFile();
    ASSERT_FALSE(path.isEmpty());
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral("^nimbrel_[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.sh$"))
                    .match(QFileInfo(path).fileName())
                    .hasMatch())
        << path.toStdString();
    EXPECT_EQ(mode(path), 0700);
    EXPECT_EQ(mode(folder()), 0700);
    EXPECT_EQ(contents(path), QByteArray("#!/bin/bash\nset -e\necho one\n  echo \"two\" | tr a b\n"));
    EXPECT_EQ(activityTitles(), QStringList{"Terminal Script Running"});
    EXPECT_EQ(activities[0].message, "Running 2 commands in Terminal.");

    // The terminal got the generic script: it runs nothing here, but shows what it was given.
    ASSERT_EQ(appleScript.sources().size(), 1);
    EXPECT_EQ(appleScript.sources().front(), *ts::appleScriptSource(QStringLiteral("com.apple.Terminal"), path));
    const QString quoted = QLatin1Char('\'') + path + QLatin1Char('\'');
    EXPECT_TRUE(scriptEffects().contains(QStringLiteral("Terminal: do script bash %1; rm -f %1").arg(quoted)))
        << scriptEffects().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(scriptEffects().contains(
        QStringLiteral("script file %1: #!/bin/bash\\nset -e\\necho one\\n  echo \"two\" | tr a b\\n").arg(path)));

    scheduler.advance(29.9);
    EXPECT_TRUE(QFileInfo::exists(path));
    scheduler.advance(0.2);
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(activityTitles(), QStringList{"Terminal Script Running"});
}

TEST_F(TerminalScriptActionTest, ITermGetsItsOwnScriptAndAWindowWhenItHasNone) {
    wm->executeAction(NimbrelRuleAction::runTerminalScript(terminalAction(
        {QStringLiteral("uptime")}, false, QStringLiteral("com.googlecode.iterm2"), QStringLiteral("iTerm"))));
    const QString path = onlyScriptFile();
    ASSERT_EQ(appleScript.sources().size(), 1);
    EXPECT_EQ(appleScript.sources().front(), *ts::appleScriptSource(QStringLiteral("com.googlecode.iterm2"), path));
    EXPECT_EQ(activities.at(0).message, "Running 1 command in iTerm.");
    const sim::App* iterm = mac.appWithBundleId(sim::kITermBundleId);
    ASSERT_TRUE(iterm);
    ASSERT_EQ(iterm->windows.size(), 1u);
    EXPECT_EQ(iterm->windows.front().commands.back(), QStringLiteral("bash '%1'; rm -f '%1'").arg(path));
    EXPECT_EQ(contents(path), QByteArray("#!/bin/bash\nuptime\n"));
}

TEST_F(TerminalScriptActionTest, ThePathHandedToTheTerminalStepIsCheckedThere) {
    // A path that no escaping keeps inside the string: refused, and its file goes at once.
    const QString bad = folder() + QStringLiteral("/nimbrel_x\n\" & do shell script \"id.sh");
    ASSERT_TRUE(ensurePrivateFolder(folder()));
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    wm->terminal().runTerminalAppleScript(QStringLiteral("com.apple.Terminal"), bad);
    scheduler.advance(1);
    EXPECT_FALSE(QFileInfo::exists(bad));
    EXPECT_EQ(activityTitles(), QStringList{"Terminal Script Failed"});
    EXPECT_TRUE(appleScript.sources().isEmpty());

    // A plain path goes to the terminal named, and its file 30 s after the answer.
    const QString good = folder() + QStringLiteral("/nimbrel_y.sh");
    QFile plain(good);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    wm->terminal().runTerminalAppleScript(QStringLiteral("com.googlecode.iterm2"), good);
    ASSERT_EQ(appleScript.sources().size(), 1);
    EXPECT_EQ(appleScript.sources().front(), *ts::appleScriptSource(QStringLiteral("com.googlecode.iterm2"), good));
    scheduler.advance(29.9);
    EXPECT_TRUE(QFileInfo::exists(good));
    scheduler.advance(0.2);
    EXPECT_FALSE(QFileInfo::exists(good));
}

TEST_F(TerminalScriptActionTest, OnlyBlankCommandsDoNothing) {
    wm->executeAction(NimbrelRuleAction::runTerminalScript(terminalAction({QString(), QStringLiteral(" \n ")})));
    scheduler.advance(31);
    EXPECT_TRUE(activities.empty());
    EXPECT_TRUE(scriptFiles().isEmpty());
    EXPECT_TRUE(appleScript.sources().isEmpty());
}

TEST_F(TerminalScriptActionTest, ABundleIdentifierBuiltToBreakOutIsRefusedAndNothingRuns) {
    wm->executeAction(NimbrelRuleAction::runTerminalScript(terminalAction(
        {QStringLiteral("echo hi")}, false, QStringLiteral("com.apple.Terminal\" to do shell script \"id"))));
    scheduler.advance(31);
    EXPECT_EQ(activityTitles(), QStringList{"Terminal Script Failed"});
    EXPECT_TRUE(scriptFiles().isEmpty());
    EXPECT_TRUE(appleScript.sources().isEmpty());
}

TEST_F(TerminalScriptActionTest, AScriptTheTerminalRefusesIsReportedAndTheFileStillGoesAfter30Seconds) {
    appleScript.failScriptsFor(sim::kTerminalBundleId, kAppleScriptNotAuthorized);
    wm->executeAction(NimbrelRuleAction::runTerminalScript(terminalAction({QStringLiteral("ls")})));
    const QString path = onlyScriptFile();
    // The outcome comes back on the main thread's next turn.
    EXPECT_EQ(activityTitles(), QStringList{"Terminal Script Running"});
    scheduler.advance(0);
    EXPECT_EQ(activityTitles(), (QStringList{"Terminal Script Running", "Terminal Script Failed"}));
    EXPECT_EQ(activities[1].message, "Not authorized to send Apple events to Terminal.");
    scheduler.advance(29.9);
    EXPECT_TRUE(QFileInfo::exists(path));
    scheduler.advance(0.2);
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(TerminalScriptActionTest, AScriptThatDoesNotCompileFailsAndTheFileGoesAtOnce) {
    UncompilableScripts runner;
    platform.appleScript = &runner;
    wm->executeAction(NimbrelRuleAction::runTerminalScript(terminalAction({QStringLiteral("ls")})));
    scheduler.advance(0);
    EXPECT_EQ(runner.executed, 0);
    EXPECT_EQ(activityTitles(), (QStringList{"Terminal Script Running", "Terminal Script Failed"}));
    EXPECT_EQ(activities[1].message, kCouldNotCompileAppleScriptMessage);
    EXPECT_TRUE(scriptFiles().isEmpty());
}

TEST_F(TerminalScriptActionTest, NoPrivateFolderMeansNoFileAndAFailure) {
    // A plain file where the folder should be: it cannot be made private.
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    platform.locations.privateTemporary = blocker.fileName();
    wm->executeAction(NimbrelRuleAction::runTerminalScript(terminalAction({QStringLiteral("ls")})));
    scheduler.advance(1);
    EXPECT_EQ(activityTitles(), QStringList{"Terminal Script Failed"});
    EXPECT_TRUE(appleScript.sources().isEmpty());
}

TEST_F(TerminalScriptActionTest, EachRunHasItsOwnFile) {
    wm->executeAction(NimbrelRuleAction::runTerminalScript(terminalAction({QStringLiteral("echo a")})));
    wm->executeAction(NimbrelRuleAction::runTerminalScript(terminalAction({QStringLiteral("echo b")})));
    ASSERT_EQ(scriptFiles().size(), 2);
    QStringList bodies;
    for (const QString& name : scriptFiles())
        bodies << QString::fromUtf8(contents(folder() + QLatin1Char('/') + name));
    bodies.sort();
    EXPECT_EQ(bodies, (QStringList{"#!/bin/bash\necho a\n", "#!/bin/bash\necho b\n"}));
}

TEST_F(TerminalScriptActionTest, AFolderThatIsALinkIsNotUsed) {
    // Someone else's folder behind a link would let them swap the script before it runs.
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    const QString link = dir.filePath(QStringLiteral("linked-tmp"));
    ASSERT_TRUE(QFile::link(elsewhere, link));
    platform.locations.privateTemporary = link;
    wm->executeAction(NimbrelRuleAction::runTerminalScript(terminalAction({QStringLiteral("ls")})));
    scheduler.advance(1);
    EXPECT_EQ(activityTitles(), QStringList{"Terminal Script Failed"});
    EXPECT_TRUE(QDir(elsewhere).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(appleScript.sources().isEmpty());
}

TEST_F(TerminalScriptActionTest, RemovalHappensEvenWhenTheWindowManagerIsGone) {
    wm->executeAction(NimbrelRuleAction::runTerminalScript(terminalAction({QStringLiteral("ls")})));
    const QString path = onlyScriptFile();
    wm.reset();
    scheduler.advance(31);
    EXPECT_FALSE(QFileInfo::exists(path));
}

} // namespace
