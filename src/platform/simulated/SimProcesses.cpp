#include "platform/simulated/SimProcesses.h"

#include <QFileInfo>

#include <chrono>
#include <future>

namespace nimbrel::sim {

namespace {
ProcessResult exited(int status, const QByteArray& out = {}, const QByteArray& err = {}) {
    ProcessResult r;
    r.launched = true;
    r.terminationStatus = status;
    r.standardOutput = out;
    r.standardError = err;
    return r;
}
// The record's bytes as the directory service prints them: hex in groups of four bytes,
// eight groups a line.
QString hexLines(const QByteArray& bytes) {
    QString out;
    const QByteArray hex = bytes.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 8) {
        out += (i % 64 == 0 ? QStringLiteral("\n ") : QStringLiteral(" "));
        out += QString::fromLatin1(hex.mid(i, 8));
    }
    return out.mid(1);
}
} // namespace

SimProcesses::SimProcesses(SimulatedMac& mac) : mac_(mac), mainThread_(std::this_thread::get_id()) {}

ProcessResult SimProcesses::run(const QString& executable, const QStringList& arguments,
                                StandardErrorHandling standardError) {
    ProcessResult result;
    if (std::this_thread::get_id() == mainThread_) {
        result = runOnMainThread(executable, arguments);
    } else {
        auto promise = std::make_shared<std::promise<ProcessResult>>();
        std::future<ProcessResult> future = promise->get_future();
        mac_.scheduler().postFromAnyThread(
            [this, executable, arguments, promise] { promise->set_value(runOnMainThread(executable, arguments)); });
        // A main thread that no longer turns (the program is ending) must not hold the worker.
        if (future.wait_for(std::chrono::seconds(10)) == std::future_status::ready) {
            result = future.get();
        } else {
            result.launchError = QStringLiteral("The command did not answer.");
        }
    }
    if (standardError == StandardErrorHandling::discard) result.standardError.clear();
    return result;
}

ProcessResult SimProcesses::runOnMainThread(const QString& executable, const QStringList& arguments) {
    ProcessResult result;
    if (auto it = launchFailures_.find(executable); it != launchFailures_.end()) {
        result.launchError = it->second;
    } else if (auto exit = exitFailures_.find(executable); exit != exitFailures_.end()) {
        result = exited(exit->second.first, {}, exit->second.second);
    } else if (executable == QLatin1String("/usr/bin/killall")) {
        result = killall(arguments);
    } else if (executable == QLatin1String("/bin/launchctl")) {
        result = launchctl(arguments);
    } else if (executable == QLatin1String("/usr/bin/dscl")) {
        result = dscl(arguments);
    } else {
        result.launchError =
            QStringLiteral("The file \u201c%1\u201d doesn\u2019t exist.").arg(QFileInfo(executable).fileName());
    }
    mac_.recorder().record(EventKind::process,
                           QStringLiteral("%1 %2 -> %3")
                               .arg(executable, arguments.join(QLatin1Char(' ')),
                                    result.launched ? QStringLiteral("status %1").arg(result.terminationStatus)
                                                    : QStringLiteral("not launched: ") + result.launchError));
    return result;
}

ProcessResult SimProcesses::killall(const QStringList& arguments) {
    if (arguments.size() != 1) return exited(2, {}, "usage: killall [-delmsvz] [-help] [-SIGNAL] [procname ...]\n");
    const QString name = arguments.front();
    if (name == QLatin1String("Dock")) {
        if (mac_.dockPid() == 0) return exited(1, {}, "No matching processes belonging to you were found\n");
        mac_.restartDock(); // launchd starts the Dock again at once
        return exited(0);
    }
    for (const App& a : mac_.apps())
        if (a.name == name || QFileInfo(a.bundlePath).completeBaseName() == name) {
            mac_.terminate(a.pid);
            return exited(0);
        }
    return exited(1, {}, "No matching processes belonging to you were found\n");
}

ProcessResult SimProcesses::launchctl(const QStringList& arguments) {
    const QString dockService = QStringLiteral("gui/%1/com.apple.Dock.agent").arg(mac_.identity().uid);
    if (arguments.size() >= 2 && arguments.front() == QLatin1String("kickstart")) {
        if (arguments.back() == dockService) {
            mac_.restartDock();
            return exited(0);
        }
        return exited(
            113, {},
            QStringLiteral("Could not find service \"%1\" in domain for port\n").arg(arguments.back()).toUtf8());
    }
    return exited(64, {}, "Unrecognized subcommand\n");
}

ProcessResult SimProcesses::dscl(const QStringList& arguments) {
    if (arguments.size() < 3 || arguments[0] != QLatin1String(".") || arguments[1] != QLatin1String("-read"))
        return exited(64, {}, "Usage: dscl [options] [<datasource> [<command>]]\n");
    if (arguments[2] != QStringLiteral("/Users/") + mac_.identity().shortName)
        return exited(
            56, {},
            QStringLiteral(
                "<main> attribute status: eDSRecordNotFound\n<dscl_cmd> DS Error: -14136 (eDSRecordNotFound)\n")
                .toUtf8());
    std::map<QString, QString> record{
        {QStringLiteral("RealName"), mac_.identity().fullName},
        {QStringLiteral("RecordName"), mac_.identity().shortName},
        {QStringLiteral("UniqueID"), QString::number(mac_.identity().uid)},
        {QStringLiteral("NFSHomeDirectory"), mac_.identity().homeDirectory()},
    };
    if (!mac_.identity().picturePath.isEmpty()) record[QStringLiteral("Picture")] = mac_.identity().picturePath;
    if (!mac_.identity().jpegPhoto.isEmpty()) record[QStringLiteral("JPEGPhoto")] = hexLines(mac_.identity().jpegPhoto);
    QString out;
    const QStringList wanted = arguments.mid(3);
    for (const auto& [key, value] : record) {
        if (!wanted.isEmpty() && !wanted.contains(key)) continue;
        out += key + QStringLiteral(":\n ") + value + QLatin1Char('\n');
    }
    for (const QString& key : wanted)
        if (!record.count(key)) return exited(181, out.toUtf8(), QStringLiteral("No such key: %1\n").arg(key).toUtf8());
    return exited(0, out.toUtf8());
}

} // namespace nimbrel::sim
