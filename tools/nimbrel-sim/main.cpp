// nimbrel-sim: plays a scenario against the simulated Mac and prints its transcript.
#include "ScenarioRunner.h"
#include "platform/BuildVersion.h"
#include "platform/Files.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    nimbrel::applyBuildVersion(); // its panel's settings screen shows it
    const QStringList args = app.arguments().mid(1);
    QString scenarioPath;
    QString folder;
    bool keep = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--folder") && i + 1 < args.size())
            folder = args[++i];
        else if (args[i] == QLatin1String("--keep"))
            keep = true;
        else if (args[i] == QLatin1String("-h") || args[i] == QLatin1String("--help")) {
            std::fputs(
                "usage: nimbrel-sim [--folder DIR [--keep]] scenario.json\n"
                "  Runs the scenario on virtual time and prints its transcript.\n"
                "  --folder DIR  keep the program's data and the simulated Mac in DIR (default: a temporary folder)\n"
                "  --keep        save the simulated Mac's state in DIR when the run ends\n",
                stdout);
            return 0;
        } else
            scenarioPath = args[i];
    }
    if (scenarioPath.isEmpty()) {
        std::fputs("nimbrel-sim: no scenario file given (see --help)\n", stderr);
        return 2;
    }
    // A scenario is text written by hand or by a test; a larger file is refused, not read whole.
    constexpr qint64 kMaxScenarioBytes = 64 * nimbrel::kMebibyte;
    const nimbrel::BoundedRead scenario = nimbrel::readFileWithin(scenarioPath, kMaxScenarioBytes);
    if (scenario.status != nimbrel::BoundedRead::Status::read) {
        std::fprintf(stderr, "nimbrel-sim: cannot read %s%s%s\n", qPrintable(scenarioPath),
                     scenario.error.isEmpty() ? "" : ": ", qPrintable(scenario.error));
        return 2;
    }
    QTemporaryDir temporary;
    if (folder.isEmpty()) folder = temporary.path();
    nimbrel::simtool::ScenarioRunner runner(folder);
    QString error;
    if (!runner.load(scenario.bytes, &error)) {
        std::fprintf(stderr, "nimbrel-sim: %s: %s\n", qPrintable(scenarioPath), qPrintable(error));
        return 2;
    }
    runner.setSaveState(keep);
    QTextStream out(stdout);
    for (const QString& line : runner.run())
        out << line << '\n';
    return 0;
}
