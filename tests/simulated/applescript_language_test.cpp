#include "SimFixture.h"

#include "platform/simulated/SimScriptSyntax.h"

namespace nimbrel::sim::testing {
namespace {

using AppleScriptLanguage = SimTest;

QString resultOf(SimAppleScript& runner, const QString& source) {
    const auto r = runner.execute(source);
    if (!r.succeeded()) return QStringLiteral("error %1").arg(r.error->value(kAppleScriptErrorNumber).toInt());
    return r.resultText;
}

TEST_F(AppleScriptLanguage, ComparisonsIgnoreCaseLikeAppleScript) {
    auto& as = sim.appleScript();
    EXPECT_EQ(resultOf(as, QStringLiteral("return \"About:Blank\" is \"about:blank\"")), QStringLiteral("true"));
    EXPECT_EQ(resultOf(as, QStringLiteral("return \"chrome://NEWTAB/\" contains \"newtab\"")), QStringLiteral("true"));
    EXPECT_EQ(resultOf(as, QStringLiteral("return \"Favorites://x\" starts with \"favorites:\"")),
              QStringLiteral("true"));
    EXPECT_EQ(resultOf(as, QStringLiteral("return \"abc\" does not contain \"b\"")), QStringLiteral("false"));
    EXPECT_EQ(resultOf(as, QStringLiteral("return \"a\" is not \"b\" and 3 is greater than 2")),
              QStringLiteral("true"));
    EXPECT_EQ(resultOf(as, QStringLiteral("return missing value is \"\"")), QStringLiteral("false"));
    EXPECT_EQ(resultOf(as, QStringLiteral("return (count of {1, 2, 3}) = 3")), QStringLiteral("true"));
    EXPECT_EQ(resultOf(as, QStringLiteral("return \"a\" & 1 & \"b\"")), QStringLiteral("a1b"));
    EXPECT_EQ(resultOf(as, QStringLiteral("return 2 is in {1, 2}")), QStringLiteral("true"));
    // A condition must be a boolean.
    EXPECT_EQ(resultOf(as, QStringLiteral("if \"yes\" then\n return 1\nend if")), QStringLiteral("error -1700"));
}

TEST_F(AppleScriptLanguage, ElseIfChainsTryBlocksAndRepeats) {
    auto& as = sim.appleScript();
    const QString chain = QStringLiteral(
        "set x to %1\nif x is 1 then\n    set y to \"one\"\nelse if x is 2 then\n    set y to \"two\"\nelse\n"
        "    set y to \"many\"\nend if\nreturn y");
    EXPECT_EQ(resultOf(as, chain.arg(1)), QStringLiteral("one"));
    EXPECT_EQ(resultOf(as, chain.arg(2)), QStringLiteral("two"));
    EXPECT_EQ(resultOf(as, chain.arg(5)), QStringLiteral("many"));

    EXPECT_EQ(resultOf(as, QStringLiteral("set r to \"\"\ntry\n    set r to undefinedThing\non error message\n"
                                          "    set r to \"caught: \" & message\nend try\nreturn r")),
              QStringLiteral("caught: The variable undefinedthing is not defined."));
    EXPECT_EQ(resultOf(as, QStringLiteral("set n to 0\nrepeat 3 times\n    set n to n & \"x\"\nend repeat\nreturn n")),
              QStringLiteral("0xxx"));
    EXPECT_EQ(
        resultOf(as, QStringLiteral(
                         "set s to \"\"\nrepeat with w in {\"a\", \"b\"}\n    set s to s & w\nend repeat\nreturn s")),
        QStringLiteral("ab"));
}

TEST_F(AppleScriptLanguage, ReadingBrowserWindowsAndTabs) {
    auto& as = sim.appleScript();
    EXPECT_EQ(resultOf(as, QStringLiteral("tell application id \"com.apple.Safari\" to return count of windows")),
              QStringLiteral("2"));
    EXPECT_EQ(
        resultOf(
            as,
            QStringLiteral(
                "tell application id \"com.apple.Safari\"\n    return URL of current tab of front window\nend tell")),
        QStringLiteral("https://en.wikipedia.org/wiki/Dock_(macOS)"));
    EXPECT_EQ(resultOf(as, QStringLiteral(
                               "tell application id \"com.google.Chrome\"\n    tell front window\n"
                               "        return title of active tab & \"|\" & (count of tabs)\n    end tell\nend tell")),
              QStringLiteral("docs.google.com|2"));
    EXPECT_EQ(
        resultOf(as, QStringLiteral("tell application id \"com.apple.Safari\" to return name of tab 2 of window 1")),
        QStringLiteral("news.ycombinator.com"));
    EXPECT_EQ(resultOf(as, QStringLiteral("tell application id \"com.apple.Safari\" to return name of window 9")),
              QStringLiteral("error -1719"));
    // Setting the current tab switches what the window shows.
    ASSERT_EQ(resultOf(as, QStringLiteral("tell application id \"com.apple.Safari\"\n    tell front window\n"
                                          "        set current tab to tab 2\n    end tell\nend tell")),
              QString());
    EXPECT_EQ(appNamed(QStringLiteral("Safari")).windows.front().title, QStringLiteral("news.ycombinator.com"));
}

TEST_F(AppleScriptLanguage, ScriptsThatCloseWindowsAndMinimizeThem) {
    auto& as = sim.appleScript();
    ASSERT_TRUE(
        as.execute(QStringLiteral(
                       "tell application id \"com.apple.Safari\"\n    set miniaturized of window 2 to true\nend tell"))
            .succeeded());
    EXPECT_TRUE(appNamed(QStringLiteral("Safari")).windows.back().minimized);
    ASSERT_TRUE(as.execute(QStringLiteral("tell application id \"com.apple.Safari\"\n    close front window\nend tell"))
                    .succeeded());
    EXPECT_EQ(appNamed(QStringLiteral("Safari")).windows.size(), 1u);
    EXPECT_FALSE(as.execute(QStringLiteral("tell application id \"com.apple.Safari\"\n    close \"nothing\"\nend tell"))
                     .succeeded());
}

TEST(AppleScriptSyntax, ReportsTheLineOfAnError) {
    script::SyntaxError error;
    EXPECT_FALSE(script::parseScript(
        QStringLiteral("tell application \"Finder\"\n    activate\n    if x then\nend tell"), &error));
    EXPECT_EQ(error.line, 4);
    EXPECT_FALSE(script::parseScript(QStringLiteral("set x to (1 & 2"), &error));
    EXPECT_EQ(error.line, 1);
    EXPECT_FALSE(script::parseScript(QStringLiteral("repeat with in {1}\nend repeat"), &error));
    EXPECT_FALSE(script::parseScript(QStringLiteral("set x to {URL:\"a\", \"b\"}"), &error));
    EXPECT_TRUE(script::parseScript(QStringLiteral("-- a comment only\n\n"), &error).has_value());
    // Smart quotes as a pasted script might hold them.
    EXPECT_TRUE(script::parseScript(QStringLiteral("set x to \u201chello\u201d"), &error).has_value());
}

} // namespace
} // namespace nimbrel::sim::testing
