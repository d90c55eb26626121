#include "platform/simulated/SimWorkspace.h"

#include "platform/ProgramIdentity.h"
#include "platform/simulated/SimPlist.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace nimbrel::sim {

namespace {
WorkspaceError applicationNotFound(const QString& applicationPath) {
    return WorkspaceError{QStringLiteral("NSCocoaErrorDomain"), 260,
                          QStringLiteral("The application \u201c%1\u201d could not be found.")
                              .arg(QFileInfo(applicationPath).completeBaseName())};
}

// Answers a launch's completion with the running app, or the launch failure.
void finishLaunch(SimulatedMac& mac, App* app, const OpenCompletion& completion) {
    if (!completion) return;
    if (app)
        completion(mac.snapshot(*app), std::nullopt);
    else
        completion(std::nullopt, WorkspaceError{QStringLiteral("NSCocoaErrorDomain"), 4,
                                                QStringLiteral("The application could not be launched.")});
}
} // namespace

std::vector<RunningApplication> SimWorkspace::runningApplications() const {
    std::vector<RunningApplication> out;
    for (const App& a : mac_.apps())
        out.push_back(mac_.snapshot(a));
    return out;
}

std::optional<RunningApplication> SimWorkspace::frontmostApplication() const {
    if (const App* a = mac_.app(mac_.frontmostPid())) return mac_.snapshot(*a);
    return std::nullopt;
}

std::optional<RunningApplication> SimWorkspace::runningApplication(int pid) const {
    if (const App* a = mac_.app(pid)) return mac_.snapshot(*a);
    return std::nullopt;
}

std::optional<int> SimWorkspace::currentApplicationPid() const {
    for (const App& a : mac_.apps())
        if (a.bundleIdentifier == kNimbrelBundleIdentifier) return a.pid;
    return std::nullopt;
}

bool SimWorkspace::activate(int pid, ActivationOptions options) {
    const App* a = mac_.app(pid);
    const bool ok = mac_.activate(pid);
    mac_.recorder().record(EventKind::workspace,
                           QStringLiteral("activate %1%2 -> %3")
                               .arg(a ? a->name : QStringLiteral("pid %1").arg(pid),
                                    options.allWindows ? QStringLiteral(" (all windows)") : QString(),
                                    ok ? QStringLiteral("ok") : QStringLiteral("refused")));
    return ok;
}

bool SimWorkspace::hide(int pid) {
    const bool ok = mac_.setHidden(pid, true);
    mac_.recorder().record(EventKind::workspace,
                           QStringLiteral("hide pid %1 -> %2").arg(pid).arg(ok ? "ok" : "refused"));
    return ok;
}

bool SimWorkspace::unhide(int pid) {
    const bool ok = mac_.setHidden(pid, false);
    mac_.recorder().record(EventKind::workspace,
                           QStringLiteral("unhide pid %1 -> %2").arg(pid).arg(ok ? "ok" : "refused"));
    return ok;
}

bool SimWorkspace::terminate(int pid) {
    const App* a = mac_.app(pid);
    if (a) lastKnown_[pid] = mac_.snapshot(*a);
    const QString name = a ? a->name : QStringLiteral("pid %1").arg(pid);
    const bool ok = mac_.terminate(pid);
    mac_.recorder().record(EventKind::workspace, QStringLiteral("terminate %1 -> %2").arg(name, ok ? "ok" : "refused"));
    return ok;
}

void SimWorkspace::complete(OpenCompletion completion, std::optional<RunningApplication> app,
                            std::optional<WorkspaceError> error) {
    if (!completion) return;
    mac_.scheduler().post([completion = std::move(completion), app, error] { completion(app, error); });
}

void SimWorkspace::openApplication(const QString& applicationPath, const OpenConfiguration& configuration,
                                   OpenCompletion completion) {
    mac_.recorder().record(EventKind::workspace, QStringLiteral("open application %1 activates=%2")
                                                     .arg(applicationPath, configuration.activates ? "true" : "false"));
    auto installed = mac_.installedApplicationAt(applicationPath);
    if (!installed) {
        complete(std::move(completion), std::nullopt, applicationNotFound(applicationPath));
        return;
    }
    SimulatedMac* mac = &mac_;
    mac_.launch(*installed, configuration.activates,
                [mac, completion](App* app) { finishLaunch(*mac, app, completion); });
}

bool SimWorkspace::open(const QString& urlOrPath) {
    const bool ok = mac_.openURL(urlOrPath);
    mac_.recorder().record(EventKind::workspace, QStringLiteral("open %1 -> %2").arg(urlOrPath, ok ? "ok" : "failed"));
    return ok;
}

void SimWorkspace::openURLs(const QStringList& urls, const QString& applicationPath,
                            const OpenConfiguration& configuration, OpenCompletion completion) {
    mac_.recorder().record(EventKind::workspace, QStringLiteral("open [%1] with %2 activates=%3")
                                                     .arg(urls.join(QStringLiteral(", ")), applicationPath,
                                                          configuration.activates ? "true" : "false"));
    auto installed = mac_.installedApplicationAt(applicationPath);
    if (!installed) {
        complete(std::move(completion), std::nullopt, applicationNotFound(applicationPath));
        return;
    }
    SimulatedMac* mac = &mac_;
    mac_.launch(*installed, configuration.activates, [mac, urls, completion](App* app) {
        if (app) {
            for (const QString& url : urls) {
                // Browsers show each URL in a tab of their front window (a new window when they have none).
                if (app->windows.empty() || app->windows.front().tabs.empty())
                    mac->newBrowserWindow(*app, url);
                else {
                    Window& front = app->windows.front();
                    front.currentTab = mac->newTab(*app, front, url);
                    front.title = front.tabs.back().title;
                }
            }
        }
        finishLaunch(*mac, app, completion);
    });
}

std::optional<QString> SimWorkspace::urlForApplication(const QString& bundleIdentifier) const {
    if (auto app = mac_.installedApplication(bundleIdentifier)) return app->bundlePath;
    return std::nullopt;
}

QVariant SimWorkspace::infoPlistValue(const QString& bundlePath, const QString& key) const {
    return readBundleInfo(mac_.realPath(bundlePath)).value(key);
}

QString SimWorkspace::iconPath(const QString& path) const {
    return mac_.iconPath(path);
}

std::optional<QString> SimWorkspace::desktopImageURL(int screenId) const {
    const Screen* s = mac_.screen(screenId);
    if (!s || s->desktopImageURL.isEmpty()) return std::nullopt;
    return s->desktopImageURL;
}

bool SimWorkspace::setDesktopImageURL(const QString& url, int screenId, WorkspaceError* error) {
    Screen* s = mac_.screen(screenId);
    auto fail = [&](const QString& description) {
        if (error) *error = WorkspaceError{QStringLiteral("NSCocoaErrorDomain"), 4, description};
        mac_.recorder().record(EventKind::desktopPicture,
                               QStringLiteral("set screen %1 to %2 -> failed: %3").arg(screenId).arg(url, description));
        return false;
    };
    if (!s) return fail(QStringLiteral("The screen is not connected."));
    if (auto it = desktopFailures_.find(screenId); it != desktopFailures_.end()) {
        const QString description = it->second;
        desktopFailures_.erase(it);
        return fail(description);
    }
    const QString path = QUrl(url).isLocalFile() ? QUrl(url).toLocalFile() : QString();
    if (path.isEmpty() || !QFileInfo::exists(mac_.realPath(path)))
        return fail(QStringLiteral("The file \u201c%1\u201d couldn\u2019t be opened because there is no such file.")
                        .arg(QFileInfo(path.isEmpty() ? url : path).fileName()));
    s->desktopImageURL = url;
    mac_.recorder().record(EventKind::desktopPicture,
                           QStringLiteral("set screen %1 to %2 -> ok").arg(screenId).arg(url));
    return true;
}

ObserverToken SimWorkspace::observeApp(const QString& notice, std::function<void(const RunningApplication&)> observer) {
    return mac_.notices().addObserver(notice, [this, observer = std::move(observer)](const Notification& n) {
        const int pid = n.userInfo.value(QStringLiteral("pid")).toInt();
        if (const App* a = mac_.app(pid)) {
            lastKnown_[pid] = mac_.snapshot(*a);
            observer(mac_.snapshot(*a));
        } else {
            RunningApplication gone =
                mac_.departed(pid).value_or(lastKnown_.count(pid) ? lastKnown_[pid] : RunningApplication{});
            gone.pid = pid;
            gone.isTerminated = true;
            gone.isActive = false;
            observer(gone);
        }
    });
}

ObserverToken SimWorkspace::observeDidLaunch(std::function<void(const RunningApplication&)> observer) {
    return observeApp(kNoticeDidLaunch, std::move(observer));
}
ObserverToken SimWorkspace::observeDidTerminate(std::function<void(const RunningApplication&)> observer) {
    return observeApp(kNoticeDidTerminate, std::move(observer));
}
ObserverToken SimWorkspace::observeDidActivate(std::function<void(const RunningApplication&)> observer) {
    return observeApp(kNoticeDidActivate, std::move(observer));
}
ObserverToken SimWorkspace::observeDidWake(std::function<void()> observer) {
    return mac_.notices().addObserver(kNoticeDidWake,
                                      [observer = std::move(observer)](const Notification&) { observer(); });
}

} // namespace nimbrel::sim
