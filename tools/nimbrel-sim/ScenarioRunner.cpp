#include "ScenarioRunner.h"

#include "ScenarioDesktop.h"

#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/RecordingUserNotifications.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "platform/local/TypedValueCoding.h"
#include "platform/simulated/SimDesktopDump.h"
#include "platform/simulated/SimulatedPlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <sys/stat.h>

#include <algorithm>

namespace nimbrel::simtool {

namespace {

const QString kActivityNotification = QStringLiteral("nimbrelRecordActivity");

// User notifications show up in the transcript when they are delivered.
class TranscriptUserNotifications final : public RecordingUserNotifications {
  public:
    TranscriptUserNotifications(Scheduler& s, Clock& c, std::function<void(const NotificationRequest&)> show)
        : RecordingUserNotifications(s, c), show_(std::move(show)) {}

  protected:
    void present(const NotificationRequest& request) override { show_(request); }

  private:
    std::function<void(const NotificationRequest&)> show_;
};

// "0700": the permission bits of a file, as ls shows them in octal.
QString octalMode(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return QStringLiteral("unreadable");
    return QStringLiteral("%1").arg(st.st_mode & 07777, 4, 8, QLatin1Char('0'));
}

QString describeMap(const QVariantMap& map) {
    QStringList parts;
    for (auto it = map.begin(); it != map.end(); ++it)
        parts << it.key() + QLatin1Char('=') + it.value().toString();
    return parts.isEmpty() ? QString() : QStringLiteral(" {") + parts.join(QStringLiteral(", ")) + QLatin1Char('}');
}

// Plain JSON becomes the closest typed value; {"type": ..., "value": ...} is taken as typed.
QVariant defaultsValue(const QJsonValue& v) {
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        if (o.size() == 2 && o.contains(QStringLiteral("type")) && o.contains(QStringLiteral("value")))
            if (auto typed = decodeTypedValue(o)) return *typed;
        QVariantMap map;
        for (auto it = o.begin(); it != o.end(); ++it)
            map.insert(it.key(), defaultsValue(it.value()));
        return map;
    }
    if (v.isArray()) {
        QVariantList list;
        for (const QJsonValue& item : v.toArray())
            list << defaultsValue(item);
        return list;
    }
    if (v.isBool()) return v.toBool();
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (d == static_cast<double>(static_cast<qint64>(d))) return QVariant(static_cast<qint64>(d));
        return d;
    }
    if (v.isString()) return v.toString();
    return {};
}

class Transcript {
  public:
    Transcript(const VirtualScheduler& clock, Date start, const QString& workFolder)
        : clock_(clock), start_(start), workFolder_(QDir::cleanPath(QDir(workFolder).absolutePath())) {}
    void line(const QString& kind, const QString& text) {
        lines_ << QStringLiteral("%1 %2: %3").arg(clock_.now().secondsSince(start_), 7, 'f', 3).arg(kind, stable(text));
    }
    void raw(const QString& text) { lines_ << stable(text); }
    QStringList lines_;

  private:
    // Two runs print the same transcript: the run's own folder and the random names of
    // temporary script files are written the same way every time.
  public:
    QString stable(QString text) const {
        static const QRegularExpression scriptName(
            QStringLiteral("nimbrel_[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\.sh"));
        text.replace(workFolder_, QStringLiteral("<work>"));
        return text.replace(scriptName, QStringLiteral("nimbrel_<UUID>.sh"));
    }

  private:
    const VirtualScheduler& clock_;
    Date start_;
    QString workFolder_;
};

// What the user does with windows and applications between presses: opening and closing a
// window, clicking a window to bring it to the front, switching to another application.
void windowStep(sim::SimulatedMac& mac, const QString& what, const QJsonObject& step, Transcript& transcript) {
    const QString appName = step.value(QStringLiteral("app")).toString();
    sim::App* app = findApp(mac, appName);
    if (!app) {
        transcript.line(QStringLiteral("scenario-error"), QStringLiteral("no running application ") + appName);
        return;
    }
    if (what == QLatin1String("activate")) {
        transcript.line(QStringLiteral("step"), QStringLiteral("activate ") + app->name);
        mac.activate(app->pid);
        return;
    }
    if (what == QLatin1String("openWindow")) {
        const QString title = step.value(QStringLiteral("title")).toString();
        transcript.line(QStringLiteral("step"), QStringLiteral("open window \"%1\" of %2").arg(title, app->name));
        addScenarioWindow(mac, *app, step);
        return;
    }
    const QString title = step.value(QStringLiteral("window")).toString();
    const auto found =
        std::find_if(app->windows.begin(), app->windows.end(), [&](const sim::Window& w) { return w.title == title; });
    if (found == app->windows.end()) {
        transcript.line(QStringLiteral("scenario-error"),
                        QStringLiteral("no window \"%1\" of %2").arg(title, app->name));
        return;
    }
    const std::uint64_t id = found->id;
    if (what == QLatin1String("closeWindow")) {
        transcript.line(QStringLiteral("step"), QStringLiteral("close window \"%1\" of %2").arg(title, app->name));
        mac.closeWindow(*app, id);
    } else {
        transcript.line(QStringLiteral("step"), QStringLiteral("focus window \"%1\" of %2").arg(title, app->name));
        if (found->minimized) mac.setMinimized(*app, id, false);
        mac.raise(*app, id);
        mac.activate(app->pid);
    }
}

} // namespace

ScenarioRunner::ScenarioRunner(QString workFolder, std::vector<ProgramPart> parts)
    : workFolder_(std::move(workFolder)), parts_(std::move(parts)) {}

bool ScenarioRunner::load(const QByteArray& json, QString* error) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (!doc.isObject()) {
        if (error) *error = QStringLiteral("the scenario is not a JSON object: ") + parseError.errorString();
        return false;
    }
    const QJsonObject o = doc.object();
    if (o.contains(QStringLiteral("timeline")) && !o.value(QStringLiteral("timeline")).isArray()) {
        if (error) *error = QStringLiteral("\"timeline\" must be an array of steps");
        return false;
    }
    if (o.contains(QStringLiteral("start")) && !parseISO8601(o.value(QStringLiteral("start")).toString())) {
        if (error) *error = QStringLiteral("\"start\" must be an ISO 8601 date like 2026-12-07T09:00:00Z");
        return false;
    }
    scenario_ = o;
    return true;
}

QStringList ScenarioRunner::run() {
    const Date start =
        parseISO8601(scenario_.value(QStringLiteral("start")).toString(QStringLiteral("2026-12-07T09:00:00Z")))
            .value_or(Date{0});
    VirtualScheduler scheduler(start);
    Transcript transcript(scheduler, start, workFolder_);
    transcript.raw(QStringLiteral("# scenario: ") +
                   scenario_.value(QStringLiteral("description")).toString(QStringLiteral("(untitled)")));

    QDir().mkpath(workFolder_);
    Locations locations = Locations::underRoot(workFolder_);
    NotificationCenter notifications;
    notifications.setRecording(true);
    InMemoryUserDefaults defaults;
    TranscriptUserNotifications userNotifications(scheduler, scheduler, [&](const NotificationRequest& r) {
        transcript.line(QStringLiteral("user-notification"), QStringLiteral("%1 \u2014 %2").arg(r.title, r.body));
    });

    sim::SimulatedPlatform sim(scheduler, scheduler, sim::SimulatedPlatform::defaultFolder(locations));
    Platform platform;
    platform.scheduler = &scheduler;
    platform.clock = &scheduler;
    platform.notifications = &notifications;
    platform.defaults = &defaults;
    platform.locations = locations;
    platform.userNotifications = &userNotifications;
    sim.fill(platform);
    ScopedPlatform installed(platform);

    // The desktop, stored defaults and files, before anything of the program runs.
    for (const QString& problem : applyDesktop(sim, scenario_.value(QStringLiteral("desktop")).toObject()))
        transcript.line(QStringLiteral("scenario-error"), problem);
    const QJsonObject storedDefaults = scenario_.value(QStringLiteral("defaults")).toObject();
    for (auto it = storedDefaults.begin(); it != storedDefaults.end(); ++it)
        defaults.set(it.key(), defaultsValue(it.value()));
    auto writeFiles = [&](const QJsonObject& files, const std::function<QString(const QString&)>& real) {
        for (auto it = files.begin(); it != files.end(); ++it) {
            const QString path = real(it.key());
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile file(path);
            const QByteArray content = it.value().isString()
                                           ? it.value().toString().toUtf8()
                                           : QJsonDocument::fromVariant(it.value().toVariant()).toJson();
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
                transcript.line(QStringLiteral("scenario-error"), QStringLiteral("cannot write ") + it.key());
        }
    };
    writeFiles(scenario_.value(QStringLiteral("files")).toObject(),
               [&](const QString& p) { return sim.mac().realPath(p); });
    writeFiles(scenario_.value(QStringLiteral("supportFiles")).toObject(),
               [&](const QString& p) { return locations.nimbrelSupportFolder() + QLatin1Char('/') + p; });

    // Everything from here on is written down as it happens.
    size_t notificationsSeen = notifications.posted().size();
    auto flushNotifications = [&] {
        const auto& posted = notifications.posted();
        for (; notificationsSeen < posted.size(); ++notificationsSeen) {
            const Notification& n = posted[notificationsSeen];
            if (n.name == kActivityNotification) continue;
            transcript.line(QStringLiteral("notification"), n.name + describeMap(n.userInfo));
        }
    };
    auto activityToken = notifications.addObserver(kActivityNotification, [&](const Notification& n) {
        flushNotifications();
        transcript.line(QStringLiteral("activity"), QStringLiteral("%1 \"%2\" %3")
                                                        .arg(n.userInfo.value(QStringLiteral("type")).toString(),
                                                             n.userInfo.value(QStringLiteral("title")).toString(),
                                                             n.userInfo.value(QStringLiteral("message")).toString()));
    });
    sim.mac().recorder().setListener([&](const sim::Event& e) {
        flushNotifications();
        transcript.line(sim::eventKindName(e.kind), e.text);
    });
    const LogSink previousSink = setLogSink([&](const QString& line) {
        flushNotifications();
        transcript.line(QStringLiteral("log"), line);
    });
    setLogToStdout(false);

    for (const ProgramPart& part : parts_) {
        transcript.line(QStringLiteral("start"), part.name);
        part.start(platform);
    }

    auto advance = [&](double seconds) {
        // Step from one due item to the next, so notifications land at their own time.
        const Date target = scheduler.now().addingSeconds(std::max(0.0, seconds));
        while (true) {
            auto next = scheduler.nextDueIn();
            if (!next || scheduler.now().addingSeconds(*next) > target) break;
            scheduler.advance(*next);
            flushNotifications();
        }
        scheduler.advanceTo(target);
        flushNotifications();
    };

    sim::SimulatedMac& mac = sim.mac();
    for (const QJsonValue& stepValue : scenario_.value(QStringLiteral("timeline")).toArray()) {
        const QJsonObject step = stepValue.toObject();
        if (step.contains(QStringLiteral("at"))) {
            const Date at = start.addingSeconds(step.value(QStringLiteral("at")).toDouble());
            if (at > scheduler.now()) advance(at.secondsSince(scheduler.now()));
        }
        const QString what = step.value(QStringLiteral("do")).toString();
        auto pointFor = [&](QString* described) -> std::optional<Point> {
            if (step.contains(QStringLiteral("tile"))) {
                const QString title = step.value(QStringLiteral("tile")).toString();
                for (const sim::DockTile& t : mac.dockTiles())
                    if (t.title == title) {
                        *described = QStringLiteral("tile \"%1\"").arg(title);
                        return Point{t.frame.midX(), t.frame.midY()};
                    }
                transcript.line(QStringLiteral("scenario-error"),
                                QStringLiteral("no Dock tile titled \"%1\"").arg(title));
                return std::nullopt;
            }
            const QJsonArray p = step.value(QStringLiteral("point")).toArray();
            if (p.size() == 2) {
                const Point point{p[0].toDouble(), p[1].toDouble()};
                *described = QStringLiteral("point %1").arg(toText(point));
                return point;
            }
            transcript.line(QStringLiteral("scenario-error"),
                            QStringLiteral("a press needs \"tile\" or \"point\": [x, y]"));
            return std::nullopt;
        };
        if (what == QLatin1String("press") || what == QLatin1String("click")) {
            QString where;
            if (auto point = pointFor(&where)) {
                transcript.line(QStringLiteral("step"), QStringLiteral("%1 at %2").arg(what, where));
                mac.mouseDown(*point);
                flushNotifications();
                if (what == QLatin1String("click")) {
                    advance(step.value(QStringLiteral("hold")).toDouble(0.05));
                    mac.mouseUp();
                }
            }
        } else if (what == QLatin1String("release")) {
            transcript.line(QStringLiteral("step"), QStringLiteral("release"));
            mac.mouseUp();
        } else if (what == QLatin1String("move")) {
            QString where;
            if (auto point = pointFor(&where)) mac.movePointer(*point);
        } else if (what == QLatin1String("wait") || what == QLatin1String("hold")) {
            advance(step.value(QStringLiteral("seconds")).toDouble());
        } else if (what == QLatin1String("wake")) {
            transcript.line(QStringLiteral("step"), QStringLiteral("wake"));
            mac.wake();
        } else if (what == QLatin1String("grant") || what == QLatin1String("revoke")) {
            transcript.line(QStringLiteral("step"), what + QStringLiteral(" accessibility"));
            mac.setTrusted(what == QLatin1String("grant"));
        } else if (what == QLatin1String("launch")) {
            const QString id = step.value(QStringLiteral("app")).toString();
            transcript.line(QStringLiteral("step"), QStringLiteral("launch ") + id);
            if (auto app = mac.installedApplication(id))
                mac.launch(*app, true, {});
            else
                transcript.line(QStringLiteral("scenario-error"), QStringLiteral("no installed application ") + id);
        } else if (what == QLatin1String("quit")) {
            const QString name = step.value(QStringLiteral("app")).toString();
            transcript.line(QStringLiteral("step"), QStringLiteral("quit ") + name);
            if (sim::App* app = findApp(mac, name))
                mac.terminate(app->pid);
            else
                transcript.line(QStringLiteral("scenario-error"), QStringLiteral("no running application ") + name);
        } else if (what == QLatin1String("openWindow") || what == QLatin1String("closeWindow") ||
                   what == QLatin1String("focusWindow") || what == QLatin1String("activate")) {
            windowStep(mac, what, step, transcript);
        } else if (what == QLatin1String("setClock")) {
            const auto when = parseISO8601(step.value(QStringLiteral("time")).toString());
            if (!when || *when < scheduler.now()) {
                transcript.line(QStringLiteral("scenario-error"),
                                QStringLiteral("setClock needs a later ISO 8601 time"));
            } else {
                transcript.line(QStringLiteral("step"), QStringLiteral("clock to ") + iso8601String(*when));
                advance(when->secondsSince(scheduler.now()));
            }
        } else if (what == QLatin1String("temporaryFiles")) {
            // The program's private temporary folder: each file with its permissions.
            transcript.line(QStringLiteral("step"), QStringLiteral("temporary files"));
            const QDir folder(locations.privateTemporary);
            const QFileInfoList entries = folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
            if (entries.isEmpty()) transcript.raw(QStringLiteral("  (none)"));
            for (const QFileInfo& entry : entries)
                transcript.raw(QStringLiteral("  %1 mode %2")
                                   .arg(transcript.stable(entry.fileName()), octalMode(entry.filePath())));
        } else if (what == QLatin1String("dump")) {
            transcript.line(QStringLiteral("step"), QStringLiteral("dump"));
            for (const QString& l : sim::describeDesktop(mac))
                transcript.raw(QStringLiteral("  ") + l);
        } else {
            transcript.line(QStringLiteral("scenario-error"), QStringLiteral("unknown step \"%1\"").arg(what));
        }
        flushNotifications();
    }
    advance(scenario_.value(QStringLiteral("settleSeconds")).toDouble(5));

    setLogToStdout(true);
    setLogSink(previousSink);
    sim.mac().recorder().setListener({});
    activityToken.reset();

    transcript.raw(QStringLiteral("== final state =="));
    for (const QString& l : sim::describeDesktop(mac))
        transcript.raw(l);
    if (saveState_) {
        QString error;
        if (!sim.save(&error)) transcript.raw(QStringLiteral("could not save the simulated Mac: ") + error);
    }
    resetSharedInstances();
    return transcript.lines_;
}

} // namespace nimbrel::simtool
