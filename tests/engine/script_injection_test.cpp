#include "BrowserFixture.h"
#include "engine/BrowserScripts.h"
#include "engine/TerminalScriptText.h"

#include <QDir>
#include <QFile>

#include <functional>

using namespace nimbrel;
using namespace nimbrel::test;
namespace bs = nimbrel::browserscripts;
namespace ts = nimbrel::terminalscript;

namespace {

// A script with the contents of its string literals taken out: what is left is its
// structure. Straight and curly quotes both delimit strings; a backslash escapes.
QString skeleton(const QString& script) {
    QString out;
    bool inString = false;
    for (qsizetype i = 0; i < script.size(); ++i) {
        const QChar c = script[i];
        if (!inString) {
            out += c;
            if (c == QLatin1Char('"') || c == QChar(0x201C)) inString = true;
        } else if (c == QLatin1Char('\\')) {
            ++i;
        } else if (c == QLatin1Char('"') || c == QChar(0x201D)) {
            out += QLatin1Char('"');
            inString = false;
        }
    }
    return out;
}

// Texts built to end the string early and run a command of their own.
const QStringList kHostile{
    QStringLiteral("a.example/\" & (do shell script \"touch /tmp/owned\") & \""),
    QStringLiteral("a.example/\\\" & do shell script \"id\" & \\\""),
    QStringLiteral("a.example/trailing\\"),
    QStringLiteral("a.example/x\"\nend tell\ntell application \"Terminal\" to do script \"id\"\n--"),
    QStringLiteral("a.example/x\r\" & do shell script \"id"),
    QString::fromUtf8("a.example/x\xE2\x80\x9D & do shell script \"id\" & \xE2\x80\x9C"),
    QString::fromUtf8("a.example/x\xE2\x80\xA8\" & do shell script \"id"),
    QStringLiteral("a.example/<url>\t\"<bundle id>"),
};

// What the browser should be given: the same text with the characters that cannot stand
// in a script line percent-encoded.
QString expectedURL(const QString& typed) {
    QString url = QStringLiteral("https://") + typed;
    url.replace(QLatin1Char('\n'), QStringLiteral("%0A"));
    url.replace(QLatin1Char('\r'), QStringLiteral("%0D"));
    url.replace(QLatin1Char('\t'), QStringLiteral("%09"));
    url.replace(QChar(0x2028), QStringLiteral("%E2%80%A8"));
    url.replace(QChar(0x201C), QStringLiteral("%E2%80%9C"));
    url.replace(QChar(0x201D), QStringLiteral("%E2%80%9D"));
    return url;
}

using Template = std::function<QString(const QString& url)>;
const std::vector<std::pair<const char*, Template>> kTemplates{
    {"chromium new window",
     [](const QString& u) { return bs::chromiumNewWindow(QStringLiteral("com.google.Chrome"), u); }},
    {"safari new window", [](const QString& u) { return bs::safariNewWindow(u); }},
    {"chromium new tab", [](const QString& u) { return bs::chromiumNewTab(QStringLiteral("com.google.Chrome"), u); }},
    {"safari new tab", [](const QString& u) { return bs::safariNewTab(u); }},
    {"safari group windows",
     [](const QString& u) {
         return bs::safariGroupNewWindows({u, u});
     }},
    {"safari group tabs",
     [](const QString& u) {
         return bs::safariGroupNewTabs({u, u, u});
     }},
    {"chromium group windows",
     [](const QString& u) {
         return bs::chromiumGroupNewWindows(QStringLiteral("com.brave.Browser"), {u, u});
     }},
    {"chromium group tabs",
     [](const QString& u) {
         return bs::chromiumGroupNewTabs(QStringLiteral("com.brave.Browser"), {u, u, u});
     }},
};

using ScriptInjectionTest = BrowserFixture;

TEST_F(ScriptInjectionTest, HostileURLsNeverChangeTheStructureOfAnyBrowserScript) {
    for (const auto& [name, make] : kTemplates) {
        const QString benign = make(QStringLiteral("https://benign.example/"));
        for (const QString& typed : kHostile) {
            const QString script = make(QStringLiteral("https://") + typed);
            SCOPED_TRACE(std::string(name) + ": " + typed.toStdString());
            EXPECT_EQ(skeleton(script), skeleton(benign));
            EXPECT_EQ(script.count(QLatin1Char('\n')), benign.count(QLatin1Char('\n')));
            EXPECT_FALSE(appleScript.compile(script)) << script.toStdString();
        }
    }
}

TEST_F(ScriptInjectionTest, HostileURLsReachTheBrowserAsOneURLAndRunNothingElse) {
    for (const QString& typed : kHostile) {
        SCOPED_TRACE(typed.toStdString());
        mac.recorder().clear();
        const int before = int(appleScript.sources().size());
        wm->executeAction(NimbrelRuleAction::openBrowserWebsite(safari(typed, NimbrelBrowserOpeningMode::newTab)));
        EXPECT_EQ(appleScript.sources().size(), before + 1);
        EXPECT_EQ(countEvents(sim::EventKind::appleScript, QStringLiteral("-> ok")), 1);
        EXPECT_EQ(safariApp().windows.front().tabs.back().url, expectedURL(typed));
        // Every effect is Safari's own: no other application was told anything.
        for (const QString& effect : mac.recorder().texts(sim::EventKind::scriptEffect))
            EXPECT_TRUE(effect.startsWith(QStringLiteral("Safari: "))) << effect.toStdString();
    }
    EXPECT_EQ(countActivities("Browser Tab Failed"), 0);
}

TEST_F(ScriptInjectionTest, HostileURLsInAGroupOpenThemselvesOnly) {
    std::vector<NimbrelRuleAction> actions;
    for (qsizetype i = 0; i < 3; ++i)
        actions.push_back(
            NimbrelRuleAction::openBrowserWebsite(chrome(kHostile[i * 2 + 1], NimbrelBrowserOpeningMode::newWindow)));
    wm->executeRuleActions(actions);
    EXPECT_EQ(countActivities("Browser Group Failed"), 0);
    for (qsizetype i = 0; i < 3; ++i)
        EXPECT_TRUE(windowShowing(chromeApp(), expectedURL(kHostile[i * 2 + 1]))) << i;
}

TEST_F(ScriptInjectionTest, AHostileBrowserIdentifierIsNeverScripted) {
    wm->executeAction(NimbrelRuleAction::openBrowserWebsite(
        website(QStringLiteral("Chrome"), QStringLiteral("com.google.Chrome\" & do shell script \"id"),
                QStringLiteral("https://a.example/"))));
    EXPECT_TRUE(appleScript.sources().isEmpty());
    EXPECT_EQ(countEvents(sim::EventKind::workspace, QStringLiteral("open https://a.example/ -> ok")), 1);
}

TEST_F(ScriptInjectionTest, HostileFolderNamesStayInsideTheTerminalScriptsString) {
    const QString benign = *ts::appleScriptSource(QStringLiteral("com.apple.Terminal"), QStringLiteral("/tmp/x.sh"));
    const QString benignITerm =
        *ts::appleScriptSource(QStringLiteral("com.googlecode.iterm2"), QStringLiteral("/tmp/x.sh"));
    for (const QString& folder :
         {QStringLiteral("/tmp/we\"ird\\ & do shell script \"id\" & \""), QStringLiteral("/tmp/a\\"),
          QString::fromUtf8("/tmp/\xE2\x80\x9D & do shell script \"id")}) {
        const QString path = folder + QStringLiteral("/nimbrel_X.sh");
        const auto terminal = ts::appleScriptSource(QStringLiteral("com.apple.Terminal"), path);
        const auto iterm = ts::appleScriptSource(QStringLiteral("com.googlecode.iterm2"), path);
        if (!terminal || !iterm) {
            // Refused outright is sound too, but only for what escaping cannot hold.
            EXPECT_TRUE(bs::hasUnsafeScriptCharacters(path)) << path.toStdString();
            continue;
        }
        EXPECT_EQ(skeleton(*terminal), skeleton(benign)) << path.toStdString();
        EXPECT_EQ(skeleton(*iterm), skeleton(benignITerm)) << path.toStdString();
    }
}

TEST_F(ScriptInjectionTest, ATerminalScriptInAHostileFolderRunsThatVeryFile) {
    platform.locations.privateTemporary = dir.filePath(QStringLiteral("we\"ird\\ & do shell script \"id\" & \"x"));
    TerminalScriptRuleAction action;
    action.terminalApp.displayName = QStringLiteral("Terminal");
    action.commands = {TerminalScriptCommand{Uuid::random(), QStringLiteral("echo hi")}};
    wm->executeAction(NimbrelRuleAction::runTerminalScript(action));
    const QStringList files = QDir(platform.locations.privateTemporary).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const QString path = platform.locations.privateTemporary + QLatin1Char('/') + files.front();
    EXPECT_EQ(countEvents(sim::EventKind::appleScript, QStringLiteral("-> ok")), 1);
    // The terminal was handed exactly this path and could read the file there.
    const auto effects = mac.recorder().texts(sim::EventKind::scriptEffect);
    EXPECT_NE(
        std::find(effects.begin(), effects.end(), QStringLiteral("script file %1: #!/bin/bash\\necho hi\\n").arg(path)),
        effects.end());
    EXPECT_EQ(activityTitles(), QStringList{"Terminal Script Running"});
}

TEST_F(ScriptInjectionTest, ATerminalScriptInAFolderWithALineBreakIsRefusedAndLeavesNoFile) {
    platform.locations.privateTemporary = dir.filePath(QStringLiteral("line\nbreak"));
    TerminalScriptRuleAction action;
    action.terminalApp.displayName = QStringLiteral("Terminal");
    action.commands = {TerminalScriptCommand{Uuid::random(), QStringLiteral("echo hi")}};
    wm->executeAction(NimbrelRuleAction::runTerminalScript(action));
    scheduler.advance(1);
    EXPECT_EQ(activityTitles(), QStringList{"Terminal Script Failed"});
    EXPECT_TRUE(appleScript.sources().isEmpty());
    EXPECT_TRUE(QDir(platform.locations.privateTemporary).entryList(QDir::Files).isEmpty());
}

TEST_F(ScriptInjectionTest, TerminalCommandsAreWrittenVerbatimAndNeverIntoTheAppleScript) {
    const QStringList commands{
        QStringLiteral("echo \"$(whoami)\" 'it'\\''s' \\"), QStringLiteral("\" & do shell script \"id"),
        QStringLiteral("  printf '%s\\n' \"\\\\\" ; end tell"), QString::fromUtf8("echo \xE2\x80\x9D\xC3\xBC")};
    TerminalScriptRuleAction action;
    action.terminalApp.displayName = QStringLiteral("Terminal");
    action.terminalApp.bundleIdentifier = QStringLiteral("com.apple.Terminal");
    for (const QString& c : commands)
        action.commands.push_back(TerminalScriptCommand{Uuid::random(), c});
    wm->executeAction(NimbrelRuleAction::runTerminalScript(action));
    const QStringList files = QDir(platform.locations.privateTemporary).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    QFile file(platform.locations.privateTemporary + QLatin1Char('/') + files.front());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()),
              QStringLiteral("#!/bin/bash\n") + commands.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    ASSERT_EQ(appleScript.sources().size(), 1);
    EXPECT_FALSE(appleScript.sources().front().contains(QStringLiteral("whoami")));
    EXPECT_FALSE(appleScript.sources().front().contains(QStringLiteral("shell")));
}

} // namespace
