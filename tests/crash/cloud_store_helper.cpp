// A program on one cloud file in a process of its own, as another Nimbrel would be:
// cloud_store_helper <cloud file>. For each line on standard input: "save NAME" saves a new
// record of that name ("done", or "failed: ..."), "fetch NAME" reads it ("found", "missing" or
// "failed: ..."), and "hold STEP" ("setting-aside" or "opened") makes the next call that reaches
// that step in the store answer "held" there and go on only when the next line comes.
#include "platform/local/SqliteCloudStore.h"

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <utility>

using namespace nimbrel;

namespace {

const QString kContainer = QStringLiteral("iCloud.com.nimbrel.app");

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
    SqliteCloudStore store(QString::fromLocal8Bit(argv[1]));
    std::optional<SqliteCloudStore::Step> hold;
    store.setStepHookForTesting([&hold](SqliteCloudStore::Step step) {
        if (hold != step) return;
        hold.reset();
        std::puts("held");
        std::fflush(stdout);
        std::string next;
        std::getline(std::cin, next);
    });
    for (std::string line; std::getline(std::cin, line);) {
        const QString command = QString::fromStdString(line).section(QLatin1Char(' '), 0, 0);
        const QString argument = QString::fromStdString(line).section(QLatin1Char(' '), 1);
        QString answer = QStringLiteral("done");
        if (command == QLatin1String("hold")) {
            if (argument == QLatin1String("setting-aside"))
                hold = SqliteCloudStore::Step::settingAside;
            else if (argument == QLatin1String("opened"))
                hold = SqliteCloudStore::Step::opened;
            else
                answer = QStringLiteral("failed: unknown step");
        } else {
            answer = answerTo(store, command, argument);
        }
        std::printf("%s\n", qPrintable(answer));
        std::fflush(stdout);
    }
    return 0;
}
