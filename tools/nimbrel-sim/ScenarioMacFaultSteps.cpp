// The timeline's steps that make the Mac misbehave or change under the program: applications
// that stay, commands that fail, the Dock rewriting or being changed by hand, desktop pictures
// that cannot be set, the program's own files changed by someone else, and alerts answered.
#include "ScenarioDesktop.h"
#include "ScenarioRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace nimbrel::simtool {

namespace {

QStringList texts(const QJsonValue& v) {
    QStringList out;
    for (const QJsonValue& item : v.toArray())
        out << item.toString();
    return out;
}

void processFault(ScenarioRun& run, const QJsonObject& step) {
    const QString command = step.value(QStringLiteral("command")).toString();
    sim::SimProcesses& processes = run.sim().processes();
    if (command.isEmpty()) {
        run.error(QStringLiteral("processFault needs \"command\": the executable's path"));
    } else if (step.value(QStringLiteral("clear")).toBool()) {
        run.step(command + QStringLiteral(" works again"));
        processes.clearFaults(command);
    } else if (step.contains(QStringLiteral("launchError"))) {
        const QString why = step.value(QStringLiteral("launchError")).toString();
        run.step(QStringLiteral("%1 cannot be launched: %2").arg(command, why));
        processes.failLaunch(command, why);
    } else {
        const int status = step.value(QStringLiteral("status")).toInt(1);
        run.step(QStringLiteral("%1 exits with status %2").arg(command).arg(status));
        processes.exitWith(command, status, step.value(QStringLiteral("stderr")).toString().toUtf8());
    }
}

// A file of the program's folder written, replaced or removed by someone else.
void changeSupportFile(ScenarioRun& run, const QJsonObject& step) {
    const QString name = step.value(QStringLiteral("name")).toString();
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || !step.contains(QStringLiteral("content"))) {
        run.error(QStringLiteral("changeSupportFile needs \"name\" (a file of the program's folder) and "
                                 "\"content\" (text, JSON, or null to remove it)"));
        return;
    }
    const QString path = run.locations().nimbrelSupportFolder() + QLatin1Char('/') + name;
    const QJsonValue content = step.value(QStringLiteral("content"));
    if (content.isNull()) {
        run.step(QStringLiteral("%1 removed from the program's folder").arg(name));
        if (!QFile::remove(path)) run.error(QStringLiteral("there is no %1").arg(name));
        return;
    }
    run.step(QStringLiteral("%1 %2 in the program's folder")
                 .arg(name, QFileInfo::exists(path) ? QStringLiteral("changed") : QStringLiteral("written")));
    const QByteArray bytes =
        content.isString() ? content.toString().toUtf8() : QJsonDocument::fromVariant(content.toVariant()).toJson();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        run.error(QStringLiteral("cannot write ") + name);
}

// "button": the index of the open alert's button, or its title.
void answerAlert(ScenarioRun& run, const QJsonObject& step) {
    const AlertRequest* alert = run.openAlert();
    if (!alert) {
        run.error(QStringLiteral("answerAlert: no alert is open"));
        return;
    }
    const QStringList buttons = alert->buttons.isEmpty() ? QStringList{QStringLiteral("OK")} : alert->buttons;
    const QJsonValue button = step.value(QStringLiteral("button"));
    const int index = button.isString() ? int(buttons.indexOf(button.toString())) : button.toInt(0);
    if (index < 0 || index >= buttons.size()) {
        run.error(QStringLiteral("answerAlert: \"%1\" has no such button").arg(alert->messageText));
        return;
    }
    run.step(QStringLiteral("answer alert \"%1\" with \"%2\"").arg(alert->messageText, buttons[index]));
    run.answerAlert(index);
}

} // namespace

bool runMacFaultStep(ScenarioRun& run, const QString& what, const QJsonObject& step) {
    sim::SimulatedMac& mac = run.mac();
    if (what == QLatin1String("ignoreQuit")) {
        const QString name = step.value(QStringLiteral("app")).toString();
        const bool on = step.value(QStringLiteral("on")).toBool(true);
        sim::App* app = findApp(mac, name);
        if (!app) {
            run.error(QStringLiteral("no running application ") + name);
            return true;
        }
        run.step(QStringLiteral("%1 %2 requests to quit").arg(app->name, on ? "ignores" : "honours"));
        app->ignoresTerminate = on;
    } else if (what == QLatin1String("processFault")) {
        processFault(run, step);
    } else if (what == QLatin1String("dockRewrites")) {
        const bool on = step.value(QStringLiteral("on")).toBool(true);
        const QStringList apps = texts(step.value(QStringLiteral("apps")));
        run.step(!on              ? QStringLiteral("the Dock leaves its preferences as they are")
                 : apps.isEmpty() ? QStringLiteral("the Dock rewrites its preferences as it starts")
                                  : QStringLiteral("the Dock rewrites its preferences as it starts to ") +
                                        apps.join(QStringLiteral(", ")));
        mac.setDockRewritesPreferences(on, apps);
    } else if (what == QLatin1String("changeDock")) {
        const QStringList add = texts(step.value(QStringLiteral("add")));
        const QStringList remove = texts(step.value(QStringLiteral("remove")));
        run.step(QStringLiteral("the user changes the Dock: adds [%1], removes [%2]")
                     .arg(add.join(QStringLiteral(", ")), remove.join(QStringLiteral(", "))));
        mac.userChangesDock(add, remove);
    } else if (what == QLatin1String("failDesktopPicture")) {
        const int screen = step.value(QStringLiteral("screen")).toInt();
        const QString why =
            step.value(QStringLiteral("error")).toString(QStringLiteral("The picture could not be set."));
        run.step(QStringLiteral("the next desktop picture of screen %1 fails: %2").arg(screen).arg(why));
        run.sim().workspace().failDesktopPicture(screen, why);
    } else if (what == QLatin1String("changeSupportFile")) {
        changeSupportFile(run, step);
    } else if (what == QLatin1String("answerAlert")) {
        answerAlert(run, step);
    } else {
        return false;
    }
    return true;
}

} // namespace nimbrel::simtool
