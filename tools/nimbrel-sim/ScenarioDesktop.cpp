#include "ScenarioDesktop.h"

#include <QJsonArray>

#include <algorithm>

namespace nimbrel::simtool {

using namespace sim;

namespace {

std::optional<Rect> rectFrom(const QJsonValue& v) {
    const QJsonArray a = v.toArray();
    if (a.size() != 4) return std::nullopt;
    return Rect(a[0].toDouble(), a[1].toDouble(), a[2].toDouble(), a[3].toDouble());
}

QVariantMap fileTile(const QString& path) {
    QString label = path.section(QLatin1Char('/'), -1);
    if (label.endsWith(QLatin1String(".app"))) label.chop(4);
    return SimulatedMac::dockTileEntry(path, label, {}, false);
}

} // namespace

App* findApp(SimulatedMac& mac, const QString& key) {
    for (App& a : mac.apps())
        if (a.name == key || a.bundleIdentifier == key) return &a;
    return nullptr;
}

std::uint64_t addScenarioWindow(SimulatedMac& mac, App& app, const QJsonObject& w) {
    Window window;
    window.title = w.value(QStringLiteral("title")).toString();
    window.subrole = w.value(QStringLiteral("subrole")).toString(window.subrole);
    window.frame = rectFrom(w.value(QStringLiteral("frame"))).value_or(mac.nextWindowFrame(app));
    if (w.value(QStringLiteral("document")).isString())
        window.document = w.value(QStringLiteral("document")).toString();
    for (const QJsonValue& url : w.value(QStringLiteral("tabs")).toArray())
        window.tabs.push_back(
            Tab{url.toString(), SimulatedMac::titleForURL(url.toString(), app.bundleIdentifier == kSafariBundleId)});
    if (!window.tabs.empty() && window.title.isEmpty()) window.title = window.tabs.front().title;
    if (w.value(QStringLiteral("refuseWrites")).isDouble())
        window.refusedWriteError = w.value(QStringLiteral("refuseWrites")).toInt();
    for (const QJsonValue& a : w.value(QStringLiteral("unreadable")).toArray())
        window.unreadableAttributes << a.toString();
    const auto id = mac.addWindow(app, window).id;
    if (w.value(QStringLiteral("minimized")).toBool()) mac.setMinimized(app, id, true);
    if (w.value(QStringLiteral("fullScreen")).toBool()) mac.setFullScreen(app, id, true);
    return id;
}

QStringList applyDesktop(SimulatedPlatform& sim, const QJsonObject& d) {
    QStringList problems;
    SimulatedMac& mac = sim.mac();
    mac.setQuiet(true);

    if (d.value(QStringLiteral("trusted")).isBool()) mac.setTrusted(d.value(QStringLiteral("trusted")).toBool());
    if (d.contains(QStringLiteral("screens"))) {
        std::vector<Screen> screens;
        for (const QJsonValue& v : d.value(QStringLiteral("screens")).toArray()) {
            const QJsonObject s = v.toObject();
            auto frame = rectFrom(s.value(QStringLiteral("frame")));
            auto visible = rectFrom(s.value(QStringLiteral("visibleFrame")));
            if (!frame || !visible) {
                problems << QStringLiteral("a screen needs \"frame\" and \"visibleFrame\" as [x, y, width, height]");
                continue;
            }
            screens.push_back(Screen{s.value(QStringLiteral("id")).toInt(static_cast<int>(screens.size()) + 1),
                                     s.value(QStringLiteral("name")).toString(QStringLiteral("Display")), *frame,
                                     *visible, s.value(QStringLiteral("picture")).toString()});
        }
        if (!screens.empty()) {
            mac.screens() = screens;
            mac.setMainScreenId(screens.front().id);
        }
    }
    if (d.contains(QStringLiteral("mainScreen"))) mac.setMainScreenId(d.value(QStringLiteral("mainScreen")).toInt());
    if (d.contains(QStringLiteral("dockOrientation"))) {
        if (auto o = orientationFromName(d.value(QStringLiteral("dockOrientation")).toString()))
            mac.setDockOrientation(*o);
        else
            problems << QStringLiteral("dockOrientation is bottom, left or right");
    }
    if (d.contains(QStringLiteral("dockApps"))) {
        QVariantList tiles;
        for (const QJsonValue& v : d.value(QStringLiteral("dockApps")).toArray())
            tiles << fileTile(v.toString());
        mac.dockPreferencesPending().insert(QStringLiteral("persistent-apps"), tiles);
        mac.synchronizeDockPreferences();
        mac.restartDock();
    }
    const QJsonObject delays = d.value(QStringLiteral("launchDelays")).toObject();
    for (auto it = delays.begin(); it != delays.end(); ++it)
        mac.setLaunchDelay(it.key(), it.value().toDouble());
    const QJsonObject faults = d.value(QStringLiteral("scriptFaults")).toObject();
    for (auto it = faults.begin(); it != faults.end(); ++it)
        sim.appleScript().failScriptsFor(it.key(), it.value().toInt());
    for (const QJsonValue& v : d.value(QStringLiteral("quit")).toArray()) {
        if (App* app = findApp(mac, v.toString()))
            mac.terminate(app->pid);
        else
            problems << QStringLiteral("quit: no running application ") + v.toString();
    }
    // More applications on disk: {"path", "id", "name", "policy": "agent" or "background"}.
    for (const QJsonValue& v : d.value(QStringLiteral("install")).toArray()) {
        const QJsonObject app = v.toObject();
        const QString policy = app.value(QStringLiteral("policy")).toString();
        const ActivationPolicy activation = policy == QLatin1String("agent")        ? ActivationPolicy::accessory
                                            : policy == QLatin1String("background") ? ActivationPolicy::prohibited
                                                                                    : ActivationPolicy::regular;
        if (!mac.installApplication(app.value(QStringLiteral("path")).toString(),
                                    app.value(QStringLiteral("id")).toString(),
                                    app.value(QStringLiteral("name")).toString(), activation))
            problems << QStringLiteral("install: cannot install ") + app.value(QStringLiteral("path")).toString();
    }
    for (const QJsonValue& v : d.value(QStringLiteral("launch")).toArray()) {
        if (auto installed = mac.installedApplication(v.toString()))
            mac.startApplication(*installed, true, false);
        else
            problems << QStringLiteral("launch: no installed application ") + v.toString();
    }
    for (const QJsonValue& v : d.value(QStringLiteral("clearWindows")).toArray()) {
        if (App* app = findApp(mac, v.toString()))
            app->windows.clear();
        else
            problems << QStringLiteral("clearWindows: no running application ") + v.toString();
    }
    // Windows are added in order, each in front of the ones before.
    for (const QJsonValue& v : d.value(QStringLiteral("windows")).toArray()) {
        const QJsonObject w = v.toObject();
        App* app = findApp(mac, w.value(QStringLiteral("app")).toString());
        if (!app) {
            problems << QStringLiteral("windows: no running application ") + w.value(QStringLiteral("app")).toString();
            continue;
        }
        addScenarioWindow(mac, *app, w);
    }
    for (const QJsonValue& v : d.value(QStringLiteral("refuseWrites")).toArray()) {
        const QJsonObject r = v.toObject();
        App* app = findApp(mac, r.value(QStringLiteral("app")).toString());
        bool done = false;
        if (app)
            for (Window& w : app->windows)
                if (w.title == r.value(QStringLiteral("window")).toString()) {
                    w.refusedWriteError = r.value(QStringLiteral("error")).toInt(-25200);
                    done = true;
                }
        if (!done)
            problems << QStringLiteral("refuseWrites: no window \"%1\" of %2")
                            .arg(r.value(QStringLiteral("window")).toString(),
                                 r.value(QStringLiteral("app")).toString());
    }
    for (const QJsonValue& v : d.value(QStringLiteral("noFocusedWindow")).toArray()) {
        App* app = findApp(mac, v.toString());
        const bool visible =
            app && std::any_of(app->windows.begin(), app->windows.end(), [](const Window& w) { return !w.minimized; });
        if (visible)
            app->noFocusedWindow = true;
        else
            problems << QStringLiteral("noFocusedWindow: no running application with a visible window ") + v.toString();
    }
    for (const QJsonValue& v : d.value(QStringLiteral("ignoresQuit")).toArray()) {
        if (App* app = findApp(mac, v.toString()))
            app->ignoresTerminate = true;
        else
            problems << QStringLiteral("ignoresQuit: no running application ") + v.toString();
    }
    for (const QJsonValue& v : d.value(QStringLiteral("activate")).toArray()) {
        if (App* app = findApp(mac, v.toString()))
            mac.activate(app->pid);
        else
            problems << QStringLiteral("activate: no running application ") + v.toString();
    }
    for (const QJsonValue& v : d.value(QStringLiteral("alertAnswers")).toArray())
        sim.alerts().answerNextAlert(v.toInt());
    // Each answer: the chosen paths, or null for a cancelled panel.
    for (const QJsonValue& v : d.value(QStringLiteral("openPanelAnswers")).toArray())
        sim.alerts().answerNextOpenPanel(v.isArray() ? std::optional(v.toVariant().toStringList())
                                                     : std::optional<QStringList>());
    // The program is signed for its cloud; "entitlements" replaces them ({} removes them all).
    if (d.contains(QStringLiteral("entitlements")))
        sim.codeSignature().setEntitlements(d.value(QStringLiteral("entitlements")).toObject().toVariantMap());
    problems << applyCloudConditions(sim.cloud().conditions(), d.value(QStringLiteral("cloud")).toObject());
    const QJsonObject identity = d.value(QStringLiteral("identity")).toObject();
    if (identity.contains(QStringLiteral("fullName")))
        mac.identity().fullName = identity.value(QStringLiteral("fullName")).toString();
    if (identity.contains(QStringLiteral("hostName")))
        mac.identity().hostName = identity.value(QStringLiteral("hostName")).toString();
    if (identity.contains(QStringLiteral("model")))
        mac.identity().model = identity.value(QStringLiteral("model")).toString();

    mac.setQuiet(false);
    mac.recorder().clear();
    return problems;
}

QStringList applyCloudConditions(CloudConditions& conditions, const QJsonObject& cloud) {
    QStringList problems;
    static const std::map<QString, CloudAccountState> accounts{
        {QStringLiteral("available"), CloudAccountState::available},
        {QStringLiteral("noAccount"), CloudAccountState::noAccount},
        {QStringLiteral("restricted"), CloudAccountState::restricted},
        {QStringLiteral("couldNotDetermine"), CloudAccountState::couldNotDetermine},
        {QStringLiteral("temporarilyUnavailable"), CloudAccountState::temporarilyUnavailable},
    };
    if (cloud.contains(QStringLiteral("account"))) {
        auto it = accounts.find(cloud.value(QStringLiteral("account")).toString());
        if (it == accounts.end())
            problems << QStringLiteral("cloud: unknown account state ") +
                            cloud.value(QStringLiteral("account")).toString();
        else
            conditions.account = it->second;
    }
    if (cloud.contains(QStringLiteral("accountError")))
        conditions.accountCheckError =
            CloudError::make(CloudError::networkFailure, cloud.value(QStringLiteral("accountError")).toString());
    if (cloud.contains(QStringLiteral("offline"))) conditions.offline = cloud.value(QStringLiteral("offline")).toBool();
    if (cloud.contains(QStringLiteral("latency")))
        conditions.latency = cloud.value(QStringLiteral("latency")).toDouble();
    return problems;
}

} // namespace nimbrel::simtool
