// A program on one cloud file in a process of its own, as another Nimbrel would be:
// cloud_store_helper <cloud file>. For each line on standard input: "save NAME" saves a new
// record of that name ("done", or "failed: ..."), "fetch NAME" reads it ("found", "missing" or
// "failed: ..."), "close" closes the store as the program does when it quits (the next call opens
// it again, as a new start), and "hold STEP" ("setting-aside", "damage-found", "opened",
// "stray-found" or "closing") makes the next call that reaches that step answer "held" there and
// go on only when the next line comes. "closing" is inside the engine's close, just after it
// looked whether the file is still at its path. The set-aside's names can be held too ("keep-log"
// and "keep-file", the kept names; "drop-memory", "drop-file" and "drop-log", the path's names, which
// dropping a stray log also drops), or made to fail once ("fail NAME"); "no-links" makes it copy
// where it would link.
#include "platform/Files.h"
#include "platform/local/SqliteCloudStore.h"

#include <sqlite3.h>

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <utility>

#include <sys/stat.h>

using namespace nimbrel;

namespace {

const QString kContainer = QStringLiteral("iCloud.com.nimbrel.app");

void holdHere() {
    std::puts("held");
    std::fflush(stdout);
    std::string next;
    std::getline(std::cin, next);
}

// The engine, closing a file, looks whether it is still at its path with a stat of the path.
QByteArray heldStat;
sqlite3_syscall_ptr engineStat = nullptr;
int statThenHold(const char* path, struct stat* st) {
    const int result = reinterpret_cast<int (*)(const char*, struct stat*)>(engineStat)(path, st);
    if (!heldStat.isEmpty() && heldStat == path) {
        heldStat.clear();
        holdHere();
    }
    return result;
}

bool holdClosing(const QString& file) {
    sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
    if (!engineStat) engineStat = vfs->xGetSystemCall(vfs, "stat");
    heldStat = QFile::encodeName(file);
    return engineStat && vfs->xSetSystemCall(vfs, "stat", reinterpret_cast<sqlite3_syscall_ptr>(&statThenHold)) == 0;
}

// Which of the set-aside's names a step of it gives or drops.
QString nameStep(NameStep step, const QString& name, const QString& file) {
    if (step != NameStep::drop)
        return name.endsWith(QLatin1String("-wal")) ? QStringLiteral("keep-log") : QStringLiteral("keep-file");
    if (name == file) return QStringLiteral("drop-file");
    if (name == file + QLatin1String("-shm")) return QStringLiteral("drop-memory");
    return name == file + QLatin1String("-wal") ? QStringLiteral("drop-log") : QString();
}

QString answerTo(SqliteCloudStore& store, const QString& command, const QString& name) {
    if (command == QLatin1String("save")) {
        CloudRecord record(QStringLiteral("NimbrelTest"), {name});
        record.set(QStringLiteral("counter"), qint64(1));
        const auto saved = store.save(kContainer, record);
        return saved.ok() ? QStringLiteral("done") : QStringLiteral("failed: ") + saved.error().localizedDescription;
    }
    if (command == QLatin1String("fetch")) {
        const auto fetched = store.fetch(kContainer, {name});
        if (fetched.ok()) return QStringLiteral("found");
        if (fetched.error().hasCode(CloudError::unknownItem)) return QStringLiteral("missing");
        return QStringLiteral("failed: ") + fetched.error().localizedDescription;
    }
    return QStringLiteral("failed: unknown command");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: cloud_store_helper <cloud file>\n", stderr);
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    std::optional<SqliteCloudStore> store;
    std::optional<SqliteCloudStore::Step> hold;
    QString heldName, failingName;
    bool noLinks = false;
    setNameStepFaultForTesting([&](NameStep step, const QString& name) {
        const QString which = nameStep(step, name, file);
        if (!which.isEmpty() && which == heldName) {
            heldName.clear();
            holdHere();
        }
        if (step == NameStep::link && noLinks) return EXDEV;
        if (which.isEmpty() || which != failingName) return 0;
        failingName.clear();
        return EIO;
    });
    for (std::string line; std::getline(std::cin, line);) {
        const QString command = QString::fromStdString(line).section(QLatin1Char(' '), 0, 0);
        const QString argument = QString::fromStdString(line).section(QLatin1Char(' '), 1);
        QString answer = QStringLiteral("done");
        if (command == QLatin1String("hold")) {
            if (argument == QLatin1String("setting-aside"))
                hold = SqliteCloudStore::Step::settingAside;
            else if (argument == QLatin1String("damage-found"))
                hold = SqliteCloudStore::Step::damageFound;
            else if (argument == QLatin1String("opened"))
                hold = SqliteCloudStore::Step::opened;
            else if (argument == QLatin1String("stray-found"))
                hold = SqliteCloudStore::Step::strayFound;
            else if (argument.startsWith(QLatin1String("keep-")) || argument.startsWith(QLatin1String("drop-")))
                heldName = argument;
            else if (argument != QLatin1String("closing") || !holdClosing(file))
                answer = QStringLiteral("failed: unknown step");
        } else if (command == QLatin1String("fail")) {
            failingName = argument;
        } else if (command == QLatin1String("no-links")) {
            noLinks = true;
        } else if (command == QLatin1String("close")) {
            store.reset();
        } else {
            if (!store) {
                store.emplace(file);
                store->setStepHookForTesting([&hold](SqliteCloudStore::Step step) {
                    if (hold != step) return;
                    hold.reset();
                    holdHere();
                });
            }
            answer = answerTo(*store, command, argument);
        }
        std::printf("%s\n", qPrintable(answer.simplified())); // one line, whatever the engine says
        std::fflush(stdout);
    }
    return 0;
}
