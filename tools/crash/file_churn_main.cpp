// nimbrel-file-churn: rewrites a chosen set of the program's files without pause, through the
// program's own writers, until it is killed. The crash-consistency driver kills it at random
// moments and checks what it left.
//
//   nimbrel-file-churn --folder DIR [--files defaults,activity,mac,sessions] [--first-round N]
//                      [--mac-save-delay SECONDS]
//
// The files are those of the program run with XDG_DATA_HOME=DIR/data and
// XDG_CONFIG_HOME=DIR/config. "ready" is printed once every writer is in place.

#include "ChurnedFiles.h"

#include "platform/local/EventLoopScheduler.h"
#include "platform/local/JsonFileUserDefaults.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

using namespace nimbrel;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser options;
    options.addOptions(
        {{QStringLiteral("folder"), QStringLiteral("The run's folder."), QStringLiteral("dir")},
         {QStringLiteral("files"), QStringLiteral("Which files to write."), QStringLiteral("names"),
          QStringLiteral("defaults,activity,mac,sessions")},
         {QStringLiteral("first-round"), QStringLiteral("The first round's number."), QStringLiteral("n"),
          QStringLiteral("1")},
         {QStringLiteral("mac-save-delay"), QStringLiteral("Seconds from a change of the simulated Mac to its save."),
          QStringLiteral("seconds"), QStringLiteral("0.5")}});
    options.process(app);
    if (!options.isSet(QStringLiteral("folder"))) {
        std::fputs("nimbrel-file-churn: --folder is required\n", stderr);
        return 2;
    }

    EventLoopScheduler scheduler;
    SystemClock clock;
    NotificationCenter notifications;
    Platform platform;
    platform.scheduler = &scheduler;
    platform.clock = &clock;
    platform.notifications = &notifications;
    platform.locations = Locations::underRoot(options.value(QStringLiteral("folder")));
    JsonFileUserDefaults defaults(JsonFileUserDefaults::filePath(platform.locations));
    platform.defaults = &defaults;
    ScopedPlatform installed(platform);

    std::vector<std::shared_ptr<void>> keep;
    crash::ChurnContext context{platform, options.value(QStringLiteral("mac-save-delay")).toDouble(), keep};
    std::vector<std::function<void(qint64)>> changes;
    for (const QString& name : options.value(QStringLiteral("files")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const crash::ChurnedFile* file = crash::churnedFile(name);
        if (!file) {
            std::fprintf(stderr, "nimbrel-file-churn: no file called %s\n", qPrintable(name));
            return 2;
        }
        changes.push_back(file->start(context));
    }

    qint64 round = options.value(QStringLiteral("first-round")).toLongLong();
    QTimer churn;
    QObject::connect(&churn, &QTimer::timeout, [&] {
        for (const auto& change : changes)
            change(round);
        ++round;
    });
    churn.start(1);
    std::puts("ready");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
