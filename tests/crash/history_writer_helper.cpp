// One of two processes that write one activity history at once, as two programs on one data
// folder would: history_writer_helper <history file> <name>. For each line on standard input,
// "load" reads the file as the program does at its start and "add" adds one entry of its own
// (its message as long as its name makes it) and writes the history through the program's own
// writer; each answers with a line once done ("failed: ..." when the write failed). "hold-add"
// adds too, but stops once an addition in place has passed its checks, answering "checked",
// until the next line comes: meanwhile the other process writes.
#include "activity/ActivityHistoryFile.h"
#include "activity/ActivityHistoryReading.h"
#include "platform/Files.h"
#include "platform/InPlaceAppend.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <utility>

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
    bool hold = false;
    setInPlaceAppendHookForTesting([&hold](const QString&) {
        if (!std::exchange(hold, false)) return;
        std::puts("checked");
        std::fflush(stdout);
        std::string next;
        std::getline(std::cin, next);
    });
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
        } else if (line == "add" || line == "hold-add") {
            hold = line == "hold-add";
            history.append({Uuid::random(), NimbrelActivityType::info, QStringLiteral("Added"),
                            QStringLiteral("%1 %2").arg(name).arg(++added), Date{794836800.0 + added}});
            QString error;
            if (!file.write(history.snapshot(), &error)) answer = QStringLiteral("failed: ") + error;
        }
        std::printf("%s\n", qPrintable(answer));
        std::fflush(stdout);
    }
    return 0;
}
