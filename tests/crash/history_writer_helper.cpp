// One of two processes that write one activity history at once, as two programs on one data
// folder would: history_writer_helper <history file> <name>. For each line on standard input,
// "load" reads the file as the program does at its start, "add" adds one entry of its own (its
// message as long as its name makes it) and writes the history through the program's own
// writer, and "forget" makes that writer's next write a whole rewrite, as after a failed one;
// each answers with a line once done ("failed: ..." when the write failed). "hold-add <stage>"
// adds too, but stops when its write reaches the stage ("before-lock", "checked",
// "between-writes", "replaced"), answering "held", until the next line comes: meanwhile the
// other process writes.
#include "activity/ActivityHistoryFile.h"
#include "activity/ActivityHistoryReading.h"
#include "platform/Files.h"
#include "platform/InPlaceAppend.h"

#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <string>

using namespace nimbrel;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: history_writer_helper <history file> <name>\n", stderr);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    ActivityHistory history;
    ActivityHistoryFile file(path);
    int added = 0;
    std::optional<FileChangeStage> holdAt;
    setFileChangeHookForTesting([&holdAt](const QString&, FileChangeStage stage) {
        if (holdAt != stage) return;
        holdAt.reset();
        std::puts("held");
        std::fflush(stdout);
        std::string next;
        std::getline(std::cin, next);
    });
    const std::map<std::string, FileChangeStage> stages{{"before-lock", FileChangeStage::beforeLock},
                                                        {"checked", FileChangeStage::checked},
                                                        {"between-writes", FileChangeStage::betweenWrites},
                                                        {"replaced", FileChangeStage::replaced}};
    for (std::string line; std::getline(std::cin, line);) {
        QString answer = QStringLiteral("done");
        if (line == "load") {
            const BoundedRead read = readFileWithin(path, ActivityHistoryFile::kMaxBytes);
            const auto decoded = json::tryDecode<DecodedHistory>([&] { return decodeHistory(read.bytes); });
            if (!decoded) {
                answer = QStringLiteral("failed: ") + decoded.error;
            } else {
                history.assign(decoded.value->entries);
                if (decoded.value->endsAsWritten) file.adopt(history.lineage(), history.entries().size());
            }
        } else if (line == "forget") {
            file.adopt(history.lineage(), 0);
        } else if (line == "add" || line.starts_with("hold-add ")) {
            if (line != "add") holdAt = stages.at(line.substr(line.find(' ') + 1));
            history.append({Uuid::random(), NimbrelActivityType::info, QStringLiteral("Added"),
                            QStringLiteral("%1 %2").arg(name).arg(++added), Date{794836800.0 + added}});
            QString error;
            if (!file.write(history.snapshot(), &error)) answer = QStringLiteral("failed: ") + error;
            holdAt.reset(); // a stage this write never reached holds no later one
        }
        std::printf("%s\n", qPrintable(answer));
        std::fflush(stdout);
    }
    return 0;
}
