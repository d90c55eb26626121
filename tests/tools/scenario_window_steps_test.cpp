#include "ScenarioRunner.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace nimbrel::simtool {
namespace {

// The final state's lines for one app: its line and its windows.
QStringList appBlock(const QStringList& lines, const QString& appLine) {
    QStringList out;
    bool in = false;
    for (const QString& l : lines) {
        if (l.startsWith(QStringLiteral("  ")) && !l.startsWith(QStringLiteral("    ")))
            in = l.trimmed().startsWith(appLine);
        if (in) out << l.trimmed();
    }
    return out;
}

TEST(ScenarioWindowSteps, OpenFocusCloseAndActivateChangeTheDesktop) {
    QTemporaryDir dir;
    ScenarioRunner runner(dir.path());
    ASSERT_TRUE(runner.load(R"({
        "desktop": {"clearWindows": ["Notes"], "activate": ["Safari"]},
        "timeline": [
            {"do": "openWindow", "app": "Notes", "title": "A", "frame": [10, 60, 300, 200]},
            {"do": "openWindow", "app": "Notes", "title": "B", "frame": [40, 90, 300, 200], "unreadable": ["AXPosition"]},
            {"do": "openWindow", "app": "Notes", "title": "C", "frame": [70, 120, 300, 200], "minimized": true},
            {"do": "focusWindow", "app": "Notes", "window": "C"},
            {"do": "closeWindow", "app": "Notes", "window": "A"},
            {"do": "activate", "app": "Terminal"},
            {"do": "closeWindow", "app": "Notes", "window": "Nope"},
            {"do": "activate", "app": "Nobody"}
        ],
        "settleSeconds": 0})",
                            nullptr));
    const QStringList lines = runner.run();
    const QStringList notes = appBlock(lines, QStringLiteral("Notes ("));
    ASSERT_EQ(notes.size(), 3) << lines.join('\n').toStdString();
    EXPECT_TRUE(notes[1].startsWith(QStringLiteral("window \"C\" {{70, 120}")));
    EXPECT_TRUE(notes[1].endsWith(QStringLiteral("focused"))) << notes[1].toStdString();
    EXPECT_EQ(notes[2], QStringLiteral("window \"B\" {{40, 90}, {300, 200}} unreadable=AXPosition"));
    EXPECT_TRUE(appBlock(lines, QStringLiteral("Terminal (")).value(0).contains(QStringLiteral("frontmost")));
    EXPECT_FALSE(notes[0].contains(QStringLiteral("frontmost")));
    EXPECT_TRUE(lines.contains(QStringLiteral("  0.000 step: focus window \"C\" of Notes")));
    EXPECT_TRUE(lines.contains(QStringLiteral("  0.000 scenario-error: no window \"Nope\" of Notes")));
    EXPECT_TRUE(lines.contains(QStringLiteral("  0.000 scenario-error: no running application Nobody")));
}

} // namespace
} // namespace nimbrel::simtool
