// The timeline's steps that act on the simulated Mac: the mouse, time, the permission,
// applications and their windows, the stored defaults, faults, and looking at the desktop.
#include "ScenarioDesktop.h"
#include "ScenarioRun.h"

#include "platform/Files.h"
#include "platform/simulated/SimDesktopDump.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace nimbrel::simtool {

namespace {

// "0700": the permission bits of a file, as ls shows them in octal.
QString octalMode(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return QStringLiteral("unreadable");
    return QStringLiteral("%1").arg(st.st_mode & 07777, 4, 8, QLatin1Char('0'));
}

std::optional<std::pair<double, double>> pairFrom(const QJsonValue& v) {
    const QJsonArray a = v.toArray();
    if (a.size() != 2 || !a[0].isDouble() || !a[1].isDouble()) return std::nullopt;
    return std::pair(a[0].toDouble(), a[1].toDouble());
}

// A press's place: a Dock tile's centre by title, or a point in AppKit coordinates.
std::optional<Point> pointFor(ScenarioRun& run, const QJsonObject& step, QString* described) {
    if (step.contains(QStringLiteral("tile"))) {
        const QString title = step.value(QStringLiteral("tile")).toString();
        for (const sim::DockTile& t : run.mac().dockTiles())
            if (t.title == title) {
                *described = QStringLiteral("tile \"%1\"").arg(title);
                return Point{t.frame.midX(), t.frame.midY()};
            }
        run.error(QStringLiteral("no Dock tile titled \"%1\"").arg(title));
        return std::nullopt;
    }
    if (auto p = pairFrom(step.value(QStringLiteral("point")))) {
        const Point point{p->first, p->second};
        *described = QStringLiteral("point %1").arg(toText(point));
        return point;
    }
    run.error(QStringLiteral("a press needs \"tile\" or \"point\": [x, y]"));
    return std::nullopt;
}

bool pointerStep(ScenarioRun& run, const QString& what, const QJsonObject& step) {
    sim::SimulatedMac& mac = run.mac();
    if (what == QLatin1String("press") || what == QLatin1String("click")) {
        QString where;
        if (auto point = pointFor(run, step, &where)) {
            run.step(QStringLiteral("%1 at %2").arg(what, where));
            mac.mouseDown(*point);
            run.flush();
            if (what == QLatin1String("click")) {
                run.advance(step.value(QStringLiteral("hold")).toDouble(0.05));
                mac.mouseUp();
            }
        }
    } else if (what == QLatin1String("release")) {
        run.step(QStringLiteral("release"));
        mac.mouseUp();
    } else if (what == QLatin1String("move")) {
        QString where;
        if (auto point = pointFor(run, step, &where)) mac.movePointer(*point);
    } else {
        return false;
    }
    return true;
}

// What the user does with windows and applications between presses: opening, closing,
// clicking, dragging, resizing and minimizing a window, switching to another application.
bool windowStep(ScenarioRun& run, const QString& what, const QJsonObject& step) {
    static const QStringList steps = {"activate",   "openWindow",   "closeWindow",   "focusWindow",
                                      "moveWindow", "resizeWindow", "minimizeWindow"};
    if (!steps.contains(what)) return false;
    sim::SimulatedMac& mac = run.mac();
    const QString appName = step.value(QStringLiteral("app")).toString();
    sim::App* app = findApp(mac, appName);
    if (!app) {
        run.error(QStringLiteral("no running application ") + appName);
        return true;
    }
    if (what == QLatin1String("activate")) {
        run.step(QStringLiteral("activate ") + app->name);
        mac.activate(app->pid);
        return true;
    }
    if (what == QLatin1String("openWindow")) {
        const QString title = step.value(QStringLiteral("title")).toString();
        run.step(QStringLiteral("open window \"%1\" of %2").arg(title, app->name));
        addScenarioWindow(mac, *app, step);
        return true;
    }
    const QString title = step.value(QStringLiteral("window")).toString();
    const auto found =
        std::find_if(app->windows.begin(), app->windows.end(), [&](const sim::Window& w) { return w.title == title; });
    if (found == app->windows.end()) {
        run.error(QStringLiteral("no window \"%1\" of %2").arg(title, app->name));
        return true;
    }
    const QString window = QStringLiteral("window \"%1\" of %2").arg(title, app->name);
    const std::uint64_t id = found->id;
    if (what == QLatin1String("closeWindow")) {
        run.step(QStringLiteral("close ") + window);
        mac.closeWindow(*app, id);
    } else if (what == QLatin1String("focusWindow")) {
        run.step(QStringLiteral("focus ") + window);
        if (found->minimized) mac.setMinimized(*app, id, false);
        mac.raise(*app, id);
        mac.activate(app->pid);
    } else if (what == QLatin1String("minimizeWindow")) {
        // The window's yellow button.
        run.step(QStringLiteral("minimize ") + window);
        if (found->minimized)
            run.error(window + QStringLiteral(" is minimized already"));
        else
            mac.setMinimized(*app, id, true);
    } else {
        const bool move = what == QLatin1String("moveWindow");
        const auto value = pairFrom(step.value(move ? QStringLiteral("to") : QStringLiteral("size")));
        if (!value) {
            run.error(what +
                      (move ? QStringLiteral(" needs \"to\": [x, y]") : QStringLiteral(" needs \"size\": [w, h]")));
            return true;
        }
        run.step(
            QStringLiteral("%1 %2 to %3")
                .arg(move ? QStringLiteral("move") : QStringLiteral("resize"), window,
                     move ? toText(Point{value->first, value->second}) : toText(Size{value->first, value->second})));
        if (found->minimized || found->fullScreen || (!move && (value->first < 0 || value->second < 0))) {
            run.error(window + QStringLiteral(" cannot be dragged now"));
            return true;
        }
        // A drag begins with a click on the window: it comes forward and its application with it.
        sim::Window& w = *found;
        if (move)
            w.frame.origin = Point{value->first, value->second};
        else
            w.frame.size = Size{value->first, value->second};
        w.frameBeforeZoom.reset();
        mac.raise(*app, id);
        mac.activate(app->pid);
    }
    return true;
}

bool applicationStep(ScenarioRun& run, const QString& what, const QJsonObject& step) {
    sim::SimulatedMac& mac = run.mac();
    if (what == QLatin1String("launch")) {
        const QString id = step.value(QStringLiteral("app")).toString();
        // "pid": the process id it gets, a number or "real": this process's own, the program's.
        const QJsonValue pidValue = step.value(QStringLiteral("pid"));
        std::optional<int> pid;
        if (pidValue.toString() == QLatin1String("real")) {
            pid = int(::getpid());
            run.transcript().setRealPid(*pid);
        } else if (pidValue.isDouble()) {
            pid = pidValue.toInt();
        }
        run.step(QStringLiteral("launch ") + id + (pid ? QStringLiteral(" with pid %1").arg(*pid) : QString()));
        if (auto app = mac.installedApplication(id)) {
            if (pid) mac.setLaunchPid(app->bundleIdentifier, *pid);
            mac.launch(*app, true, {});
        } else {
            run.error(QStringLiteral("no installed application ") + id);
        }
    } else if (what == QLatin1String("quit")) {
        const QString name = step.value(QStringLiteral("app")).toString();
        run.step(QStringLiteral("quit ") + name);
        if (sim::App* app = findApp(mac, name))
            mac.terminate(app->pid);
        else
            run.error(QStringLiteral("no running application ") + name);
    } else if (what == QLatin1String("failWrites")) {
        // The disk refuses to replace the named files of the program's folder until a
        // later failWrites names others (or none).
        QStringList names;
        for (const QJsonValue& v : step.value(QStringLiteral("files")).toArray())
            names << v.toString();
        const QString error = step.value(QStringLiteral("error")).toString(QStringLiteral("The disk is full."));
        run.step(names.isEmpty() ? QStringLiteral("writes succeed again")
                                 : QStringLiteral("writes of %1 fail").arg(names.join(QStringLiteral(", "))));
        const QString folder = run.locations().nimbrelSupportFolder() + QLatin1Char('/');
        setAtomicWriteFaultForTesting(names.isEmpty()
                                          ? AtomicWriteFault{}
                                          : [names, folder, error](const QString& path) -> std::optional<QString> {
            if (path.startsWith(folder) && names.contains(path.mid(folder.size()))) return error;
            return std::nullopt;
        });
    } else if (what == QLatin1String("failScriptCompile")) {
        // The next script sent to the application does not compile.
        const QString name = step.value(QStringLiteral("app")).toString();
        std::optional<std::pair<QString, QString>> target; // bundle identifier, name
        if (const sim::App* app = findApp(mac, name))
            target = std::pair(app->bundleIdentifier, app->name);
        else if (auto installed = mac.installedApplication(name))
            target = std::pair(installed->bundleIdentifier, installed->name);
        if (!target) {
            run.error(QStringLiteral("no application ") + name);
            return true;
        }
        run.step(QStringLiteral("the next script to %1 fails to compile").arg(target->second));
        run.sim().appleScript().failNextCompile(target->first, target->second);
    } else {
        return false;
    }
    return true;
}

bool timeStep(ScenarioRun& run, const QString& what, const QJsonObject& step) {
    if (what == QLatin1String("wait") || what == QLatin1String("hold")) {
        run.advance(step.value(QStringLiteral("seconds")).toDouble());
    } else if (what == QLatin1String("wake")) {
        run.step(QStringLiteral("wake"));
        run.mac().wake();
    } else if (what == QLatin1String("sleep")) {
        const double seconds = step.value(QStringLiteral("seconds")).toDouble();
        if (!(seconds > 0)) {
            run.error(QStringLiteral("sleep needs \"seconds\" above 0"));
            return true;
        }
        // Nothing runs while the Mac sleeps; it wakes when the time is up.
        run.step(QStringLiteral("sleep for %1 s").arg(seconds));
        run.scheduler().sleep(seconds);
        run.mac().wake();
    } else if (what == QLatin1String("setClock")) {
        const auto when = parseISO8601(step.value(QStringLiteral("time")).toString());
        if (!when || *when < run.scheduler().now()) {
            run.error(QStringLiteral("setClock needs a later ISO 8601 time"));
        } else {
            run.step(QStringLiteral("clock to ") + iso8601String(*when));
            run.advance(when->secondsSince(run.scheduler().now()));
        }
    } else {
        return false;
    }
    return true;
}

bool lookStep(ScenarioRun& run, const QString& what, const QJsonObject& step) {
    if (what == QLatin1String("temporaryFiles")) {
        // The program's private temporary folder: each file with its permissions.
        run.step(QStringLiteral("temporary files"));
        const QDir folder(run.locations().privateTemporary);
        const QFileInfoList entries = folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        if (entries.isEmpty()) run.transcript().raw(QStringLiteral("  (none)"));
        for (const QFileInfo& entry : entries)
            run.transcript().raw(QStringLiteral("  %1 mode %2")
                                     .arg(run.transcript().stable(entry.fileName()), octalMode(entry.filePath())));
    } else if (what == QLatin1String("supportFiles")) {
        // The program's own folder: the sessions file, the snapshots and what was kept aside.
        run.step(QStringLiteral("support files"));
        // "show": name patterns of files whose text is written out too.
        const QDir folder(run.locations().nimbrelSupportFolder());
        QStringList shown;
        for (const QJsonValue& v : step.value(QStringLiteral("show")).toArray())
            shown << v.toString();
        const QStringList names = folder.entryList(QDir::Files, QDir::Name);
        if (names.isEmpty()) run.transcript().raw(QStringLiteral("  (none)"));
        for (const QString& name : names) {
            run.transcript().raw(QStringLiteral("  ") + name);
            if (!QDir::match(shown, name)) continue;
            const BoundedRead read = readFileWithin(folder.filePath(name), 16 * kMebibyte);
            if (read.status != BoundedRead::Status::read) continue;
            for (const QString& line : QString::fromUtf8(read.bytes).split(QLatin1Char('\n')))
                if (!line.isEmpty()) run.transcript().raw(QStringLiteral("    | ") + line);
        }
    } else if (what == QLatin1String("pendingNotifications")) {
        // The requests waiting in the notification center, by the time they are due.
        run.step(QStringLiteral("pending user notifications"));
        std::vector<NotificationRequest> pending = run.userNotifications().pendingNow();
        std::stable_sort(
            pending.begin(), pending.end(), [](const NotificationRequest& a, const NotificationRequest& b) {
                return a.triggerDate < b.triggerDate || (a.triggerDate == b.triggerDate && a.identifier < b.identifier);
            });
        if (pending.empty()) run.transcript().raw(QStringLiteral("  (none)"));
        for (const NotificationRequest& r : pending)
            run.transcript().raw(QStringLiteral("  %1 at %2: %3 \u2014 %4")
                                     .arg(r.identifier,
                                          r.triggerDate ? iso8601String(*r.triggerDate) : QStringLiteral("once"),
                                          r.title, r.body));
    } else if (what == QLatin1String("dump")) {
        run.step(QStringLiteral("dump"));
        for (const QString& l : sim::describeDesktop(run.mac()))
            run.transcript().raw(QStringLiteral("  ") + l);
    } else {
        return false;
    }
    return true;
}

} // namespace

bool runMacStep(ScenarioRun& run, const QString& what, const QJsonObject& step) {
    if (what == QLatin1String("grant") || what == QLatin1String("revoke")) {
        run.step(what + QStringLiteral(" accessibility"));
        run.mac().setTrusted(what == QLatin1String("grant"));
        return true;
    }
    if (what == QLatin1String("setDefaults")) {
        // A preference changed while the program runs (another screen or process wrote it).
        const QJsonObject values = step.value(QStringLiteral("values")).toObject();
        const QStringList keys = values.keys();
        if (keys.isEmpty()) {
            run.error(QStringLiteral("setDefaults needs \"values\": {key: value, ...}"));
            return true;
        }
        QStringList changes;
        for (const QString& key : keys) {
            const QJsonValue v = values.value(key);
            changes << key + QLatin1Char('=') +
                           (v.isNull() ? QStringLiteral("(removed)")
                            : v.isString()
                                ? v.toString()
                                : QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact))
                                      .chopped(1)
                                      .mid(1));
        }
        run.step(QStringLiteral("set defaults ") + changes.join(QStringLiteral(", ")));
        for (const QString& key : keys) {
            if (values.value(key).isNull())
                run.defaults().remove(key);
            else
                run.defaults().set(key, defaultsValue(values.value(key)));
        }
        return true;
    }
    return pointerStep(run, what, step) || windowStep(run, what, step) || applicationStep(run, what, step) ||
           timeStep(run, what, step) || lookStep(run, what, step);
}

} // namespace nimbrel::simtool
