#include "SimFixture.h"

#include <QFile>

namespace nimbrel::sim::testing {
namespace {

using AppleScriptTerminals = SimTest;

QString writeScript(const QString& folder, const QByteArray& text) {
    const QString path = folder + QStringLiteral("/nimbrel_1B4E28BA-2FA1-11D2-883F-0016D3CCA427.sh");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
}

TEST_F(AppleScriptTerminals, DoScriptRecordsTheCommandAndTheScriptAndRunsNothing) {
    const QString path = writeScript(dir.path(), "#!/bin/bash\nset -e\necho hi\nrm -rf /tmp/never\n");
    const QString source = QStringLiteral("tell application id \"com.apple.Terminal\"\n    activate\n    set p to \"%1\"\n"
                                          "    do script (\"bash \" & quoted form of p & \"; rm -f \" & quoted form of p)\nend tell")
                               .arg(path);
    App& terminal = appNamed(QStringLiteral("Terminal"));
    const size_t before = terminal.windows.size();
    const auto result = sim.appleScript().execute(source);
    ASSERT_TRUE(result.succeeded()) << describeAppleScriptError(*result.error).toStdString();

    App& after = appNamed(QStringLiteral("Terminal"));
    ASSERT_EQ(after.windows.size(), before + 1);
    const QString command = QStringLiteral("bash '%1'; rm -f '%1'").arg(path);
    EXPECT_EQ(after.windows.front().commands, QStringList{command});
    const auto effects = mac().recorder().texts(EventKind::scriptEffect);
    ASSERT_GE(effects.size(), 3u);
    EXPECT_EQ(effects[effects.size() - 2], QStringLiteral("Terminal: do script ") + command);
    EXPECT_EQ(effects.back(), QStringLiteral("script file %1: #!/bin/bash\\nset -e\\necho hi\\nrm -rf /tmp/never\\n").arg(path));
    EXPECT_TRUE(QFile::exists(path)); // nothing ran, not even the rm
}

TEST_F(AppleScriptTerminals, QuotedFormEscapesSingleQuotes) {
    const auto result = sim.appleScript().execute(
        QStringLiteral("tell application id \"com.apple.Terminal\"\n    do script (\"bash \" & quoted form of \"/tmp/it's.sh\")\nend tell"));
    ASSERT_TRUE(result.succeeded());
    EXPECT_EQ(appNamed(QStringLiteral("Terminal")).windows.front().commands.front(), QStringLiteral("bash '/tmp/it'\\''s.sh'"));
}

TEST_F(AppleScriptTerminals, ITermWithoutWindowsCreatesOneAndWritesIntoItsSession) {
    const QString path = writeScript(dir.path(), "#!/bin/bash\nls\n");
    const QString source = QStringLiteral(
        "tell application \"iTerm\"\n    activate\n    if (count of windows) = 0 then\n"
        "        create window with default profile\n    end if\n    tell current window\n"
        "        create tab with default profile\n        tell current session of current tab\n"
        "            set p to \"%1\"\n"
        "            write text (\"bash \" & quoted form of p & \"; rm -f \" & quoted form of p)\n"
        "        end tell\n    end tell\nend tell").arg(path);
    const auto result = sim.appleScript().execute(source);
    ASSERT_TRUE(result.succeeded()) << describeAppleScriptError(*result.error).toStdString();
    App* iterm = mac().appWithBundleId(QStringLiteral("com.googlecode.iterm2"));
    ASSERT_NE(iterm, nullptr);
    ASSERT_EQ(iterm->windows.size(), 1u);
    EXPECT_EQ(iterm->windows[0].commands, QStringList{QStringLiteral("bash '%1'; rm -f '%1'").arg(path)});
    EXPECT_EQ(mac().frontmostPid(), iterm->pid);
}

TEST_F(AppleScriptTerminals, ScriptsFromAWorkerThreadRunOnTheMainThread) {
    // The virtual scheduler runs background work inline, as tests need; the call still works.
    AppleScriptResult seen;
    scheduler.runInBackground([&] { seen = sim.appleScript().execute(QStringLiteral("tell application id \"com.apple.Terminal\" to activate")); },
                              [] {});
    scheduler.runUntilIdle();
    EXPECT_TRUE(seen.succeeded());
    EXPECT_EQ(mac().frontmostPid(), appNamed(QStringLiteral("Terminal")).pid);
}

} // namespace
} // namespace nimbrel::sim::testing
