#include "SimFixture.h"

#include <QDir>
#include <QFile>

namespace nimbrel::sim::testing {
namespace {

class AppleScriptTerminals : public SimTest {
  protected:
    // A script file in a folder whose name needs quoting in the shell.
    QString writeScript(const QByteArray& body) {
        const QString folder = dir.filePath(QStringLiteral("it's \"here\" & there"));
        QDir().mkpath(folder);
        const QString path = folder + QStringLiteral("/nimbrel_TEST.sh");
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(body) != body.size())
            ADD_FAILURE() << "cannot write " << path.toStdString();
        return path;
    }
    static QString literal(const QString& text) {
        QString out = text;
        out.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
        return QLatin1Char('"') + out + QLatin1Char('"');
    }
    bool hasEffect(const QString& text) {
        const auto effects = mac().recorder().texts(EventKind::scriptEffect);
        return std::find(effects.begin(), effects.end(), text) != effects.end();
    }
};

TEST_F(AppleScriptTerminals, TerminalRunsNothingButRecordsTheCommandAndTheFileItNames) {
    const QString path = writeScript("#!/bin/bash\necho hi\n");
    const auto result = sim.appleScript().execute(
        QStringLiteral("tell application id \"com.apple.Terminal\"\n    activate\n"
                       "    set p to %1\n"
                       "    do script (\"bash \" & quoted form of p & \"; rm -f \" & quoted form of p)\nend tell")
            .arg(literal(path)));
    ASSERT_TRUE(result.succeeded()) << describeAppleScriptError(*result.error).toStdString();
    QString quoted = path;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    quoted = QLatin1Char('\'') + quoted + QLatin1Char('\'');
    const QString command = QStringLiteral("bash %1; rm -f %1").arg(quoted);
    EXPECT_EQ(appNamed(QStringLiteral("Terminal")).windows.front().commands.back(), command);
    EXPECT_TRUE(hasEffect(QStringLiteral("script file %1: #!/bin/bash\\necho hi\\n").arg(path)));
    // It ran nothing: the file is still there for the program to remove.
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(AppleScriptTerminals, ITermWithoutWindowsMakesOneAndWritesIntoItsSession) {
    const QString path = writeScript("#!/bin/bash\nls\n");
    const auto result = sim.appleScript().execute(QStringLiteral(R"(tell application "iTerm"
    activate
    if (count of windows) = 0 then
        create window with default profile
    end if
    tell current window
        create tab with default profile
        tell current session of current tab
            set p to %1
            write text ("bash " & quoted form of p & "; rm -f " & quoted form of p)
        end tell
    end tell
end tell)")
                                                      .arg(literal(path)));
    ASSERT_TRUE(result.succeeded()) << describeAppleScriptError(*result.error).toStdString();
    const App& iterm = appNamed(QStringLiteral("iTerm"));
    ASSERT_EQ(iterm.windows.size(), 1u);
    ASSERT_EQ(iterm.windows.front().commands.size(), 1);
    EXPECT_TRUE(iterm.windows.front().commands.front().startsWith(QStringLiteral("bash '")));
    EXPECT_TRUE(hasEffect(QStringLiteral("script file %1: #!/bin/bash\\nls\\n").arg(path)));
}

TEST_F(AppleScriptTerminals, ARefusedTerminalAnswersWithItsErrorAndRunsNothing) {
    sim.appleScript().failScriptsFor(kTerminalBundleId, kAppleScriptNotAuthorized);
    const size_t before = appNamed(QStringLiteral("Terminal")).windows.size();
    const auto result = sim.appleScript().execute(
        QStringLiteral("tell application id \"com.apple.Terminal\"\n    do script \"ls\"\nend tell"));
    ASSERT_FALSE(result.succeeded());
    EXPECT_EQ(result.error->value(kAppleScriptErrorNumber).toInt(), kAppleScriptNotAuthorized);
    EXPECT_EQ(appNamed(QStringLiteral("Terminal")).windows.size(), before);
}

} // namespace
} // namespace nimbrel::sim::testing
