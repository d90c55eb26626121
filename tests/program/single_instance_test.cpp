#include "program/ProgramTestSupport.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <map>

#ifdef NIMBREL_PROGRAM
namespace nimbrel {
namespace {

const QByteArray kLaunched = "NimbrelApp: did finish launching";

// The program (or `program`), headless, on the folders "config+data" under `root` (as the README
// starts two Macs), on a machine without a display.
struct Start {
    Start(const QString& root, const QString& folders, const QString& program = QStringLiteral(NIMBREL_PROGRAM)) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("NIMBREL_CLOUD_DATABASE"));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("HOME"), root + QStringLiteral("/home"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/run"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root + '/' + folders.section('+', 0, 0));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), root + '/' + folders.section('+', 1, 1));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program);
    }
    ~Start() {
        process.kill();
        process.waitForFinished();
    }
    // Waits for `text` in its output, a minute at most.
    bool printed(const QByteArray& text) {
        while (!output.contains(text) && process.waitForReadyRead(60000))
            output += process.readAll();
        return output.contains(text);
    }
    // SIGTERM, as the system ends it; its exit status.
    int end() {
        process.terminate();
        return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    void signal(int number) { ::kill(pid_t(process.processId()), number); }
    // SIGSTOP, and every thread of it stopped.
    bool stop() {
        signal(SIGSTOP);
        const QString tasks = QStringLiteral("/proc/%1/task/").arg(process.processId());
        return spinUntil([&] {
            for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                QFile stat(tasks + task + QStringLiteral("/stat"));
                const QByteArray line = stat.open(QIODevice::ReadOnly) ? stat.readAll() : "(gone) T";
                if (line.mid(line.lastIndexOf(')') + 2, 1) != "T") return false;
            }
            return true;
        });
    }

    QProcess process;
    QByteArray output;
};

// Every folder and file under `root`, with the bytes of each file.
std::map<QString, QByteArray> everythingUnder(const QString& root) {
    std::map<QString, QByteArray> out;
    for (QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        QFile file(it.next());
        out[file.fileName()] = file.open(QIODevice::ReadOnly) ? file.readAll() : "<not a file>";
    }
    return out;
}

// A start that shares either folder with a running program ends at once, writing nothing, and
// one that shares its data folder asks the running one to open its panel (the request waits while
// that one is stopped), or says that the request did not reach it when the running one takes no
// more (its queue full); `scripts/run` again finds the running one before it builds or sets up a
// display; a Mac with folders of its own runs (here one folder holds both its preferences and its
// data); a killed program does not keep the next start on its folders from running, nor later
// starts from reaching that one.
TEST(SingleInstance, AStartOnTheFoldersOfARunningOneEndsWritingNothing) {
    ensureApplication();
    QTemporaryDir dir;
    const QString root = dir.path();
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/run")));
    QFile::setPermissions(root + QStringLiteral("/run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    auto first = std::make_unique<Start>(root, QStringLiteral("config-a+data-a"));
    ASSERT_TRUE(first->printed(kLaunched)) << first->output.toStdString();
    const struct {
        const char* folders;
        bool asksForThePanel;
    } cases[] = {{"config-a+data-a", true}, {"config-a+data-b", false}, {"config-b+data-a", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folders);
        ASSERT_TRUE(first->stop()); // whatever changes now is the second start's doing
        first->output.clear();
        const auto before = everythingUnder(root);
        Start second(root, QString::fromLatin1(c.folders));
        ASSERT_TRUE(second.process.waitForFinished(60000));
        second.output += second.process.readAll();
        EXPECT_EQ(second.process.exitCode(), 0);
        EXPECT_TRUE(second.output.contains("NimbrelApp: Nimbrel is already running for these folders"))
            << second.output.toStdString();
        EXPECT_EQ(second.output.contains("asked to open its panel (the request waits until it takes it)"),
                  c.asksForThePanel);
        EXPECT_EQ(second.output.contains("the request to open its panel did not reach it"), !c.asksForThePanel);
        EXPECT_TRUE(everythingUnder(root) == before) << "the second start wrote to the folders";
        first->signal(SIGCONT);
        if (c.asksForThePanel) {
            EXPECT_TRUE(first->printed("NimbrelApp: launched again while running: opening the panel"));
        }
    }
    {
        // `scripts/run` in a checkout of its own whose build holds this program and whose set-up
        // only says that it was reached: nothing is built, nor any display set up.
        const QString checkout = root + QStringLiteral("/checkout");
        ASSERT_TRUE(QDir().mkpath(checkout + QStringLiteral("/scripts")) &&
                    QDir().mkpath(checkout + QStringLiteral("/build")));
        ASSERT_TRUE(QFile::copy(QStringLiteral(NIMBREL_RUN_SCRIPT), checkout + QStringLiteral("/scripts/run")));
        ASSERT_TRUE(QFile::link(QStringLiteral(NIMBREL_PROGRAM), checkout + QStringLiteral("/build/nimbrel")));
        ASSERT_TRUE(
            writeExecutable(checkout + QStringLiteral("/scripts/setup"), "#!/bin/sh\necho 'set-up reached'\nexit 1\n"));

        ASSERT_TRUE(first->stop());
        first->output.clear();
        const auto before = everythingUnder(root);
        Start again(root, QStringLiteral("config-a+data-a"), checkout + QStringLiteral("/scripts/run"));
        ASSERT_TRUE(again.process.waitForFinished(15000));
        again.output += again.process.readAll();
        EXPECT_EQ(again.process.exitCode(), 0) << again.output.toStdString();
        EXPECT_TRUE(again.output.contains("Nimbrel is already running for these folders") &&
                    again.output.contains("asked to open its panel (the request waits until it takes it)"))
            << again.output.toStdString();
        EXPECT_TRUE(everythingUnder(root) == before) << "scripts/run wrote to the folders";
        first->signal(SIGCONT);
        EXPECT_TRUE(first->printed("NimbrelApp: launched again while running: opening the panel"));
    }
    // Stopped, the running one takes no request: once its queue is full, later starts wait a
    // moment for room and end, saying so, instead of waiting for it.
    {
        ASSERT_TRUE(first->stop());
        const auto before = everythingUnder(root);
        QByteArray lastOutput;
        for (int start = 0; start < 12; ++start) {
            SCOPED_TRACE(start);
            Start later(root, QStringLiteral("config-a+data-a"));
            ASSERT_TRUE(later.process.waitForFinished(15000)) << "it waits for the stopped one";
            EXPECT_EQ(later.process.exitCode(), 0);
            lastOutput = later.output + later.process.readAll();
            EXPECT_TRUE(lastOutput.contains("NimbrelApp: Nimbrel is already running for these folders"));
            if (start == 0) {
                EXPECT_TRUE(lastOutput.contains("and was asked to open its panel")) << "a queued request";
            }
        }
        EXPECT_TRUE(lastOutput.contains(", but the request to open its panel did not reach it; this start ends"))
            << lastOutput.toStdString();
        EXPECT_TRUE(everythingUnder(root) == before) << "the later starts wrote to the folders";
        first->signal(SIGCONT);
    }
    Start otherMac(root, QStringLiteral("home-b+home-b"));
    EXPECT_TRUE(otherMac.printed(kLaunched)) << otherMac.output.toStdString();
    EXPECT_EQ(otherMac.end(), 0);

    first->signal(SIGKILL);
    first.reset();
    Start next(root, QStringLiteral("config-a+data-a"));
    EXPECT_TRUE(next.printed(kLaunched)) << next.output.toStdString();
    // It listens where the killed one left its socket.
    Start later(root, QStringLiteral("config-a+data-a"));
    ASSERT_TRUE(later.process.waitForFinished(15000));
    EXPECT_TRUE(later.process.readAll().contains("and was asked to open its panel"));
    EXPECT_TRUE(next.printed("NimbrelApp: launched again while running: opening the panel"));
    EXPECT_EQ(next.end(), 0);
}

} // namespace
} // namespace nimbrel
#endif
