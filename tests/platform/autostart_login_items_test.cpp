#include "platform/local/AutostartLoginItems.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace nimbrel {
namespace {

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The entry is written as a valid desktop entry whose Exec starts this executable, even
// from a path with spaces, quotes, dollars, backslashes and percent signs, and goes again.
TEST(AutostartLoginItems, WritesAValidEntryForTheExecutableAndRemovesIt) {
    QTemporaryDir home;
    for (const QString& executable :
         {QStringLiteral("/opt/nimbrel/build/nimbrel"), QStringLiteral("/home/a b/\"q\" $x `y` \\z 100%/nimbrel")}) {
        SCOPED_TRACE(executable.toStdString());
        AutostartLoginItems items(home.path() + QStringLiteral("/autostart"), executable);
        EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
        QString error;
        ASSERT_TRUE(items.registerMainApp(&error)) << error.toStdString();
        const QList<QByteArray> lines = read(items.entryPath()).split('\n');
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_EQ(lines.first(), "[Desktop Entry]");
        EXPECT_TRUE(lines.contains("Type=Application"));
        EXPECT_TRUE(lines.contains("Name=Nimbrel"));
        const auto exec =
            std::find_if(lines.begin(), lines.end(), [](const QByteArray& l) { return l.startsWith("Exec="); });
        ASSERT_NE(exec, lines.end());
        // Undo the string escapes, then the quoting.
        const QString value = QString::fromUtf8(exec->mid(5)).replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        EXPECT_EQ(AutostartLoginItems::execProgram(value), executable);
        EXPECT_EQ(items.status(), LoginItemStatus::enabled);
        ASSERT_TRUE(items.unregisterMainApp(&error));
        EXPECT_FALSE(QFile::exists(items.entryPath()));
        EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
    }
}

TEST(AutostartLoginItems, StatusOfEntriesChangedOutsideTheProgram) {
    QTemporaryDir home;
    AutostartLoginItems items(home.path(), QStringLiteral("/opt/nimbrel"));
    const struct {
        const char* text;
        LoginItemStatus status;
    } cases[] = {
        {"[Desktop Entry]\nExec=/opt/nimbrel\nHidden=true\n", LoginItemStatus::requiresApproval},
        {"[Desktop Entry]\nExec=\"/opt/nimbrel\"\nX-GNOME-Autostart-enabled=false\n",
         LoginItemStatus::requiresApproval},
        {"[Desktop Entry]\nExec=/usr/bin/other\n", LoginItemStatus::notFound},
        {"not a desktop entry", LoginItemStatus::notFound},
        {"# comment\n[Desktop Entry]\nExec=/opt/nimbrel --quiet\n", LoginItemStatus::enabled},
    };
    for (const auto& c : cases) {
        write(items.entryPath(), c.text);
        EXPECT_EQ(items.status(), c.status) << c.text;
    }
    // Registering puts the program's own entry back.
    ASSERT_TRUE(items.registerMainApp());
    EXPECT_EQ(items.status(), LoginItemStatus::enabled);
}

TEST(AutostartLoginItems, AFolderThatCannotBeWrittenIsAFailureWithAMessage) {
    QTemporaryDir home;
    write(home.path() + QStringLiteral("/autostart"), "a file where the folder should be");
    AutostartLoginItems items(home.path() + QStringLiteral("/autostart"), QStringLiteral("/opt/nimbrel"));
    QString error;
    EXPECT_FALSE(items.registerMainApp(&error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("The autostart entry could not be written"))) << error.toStdString();
    EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
}

} // namespace
} // namespace nimbrel
