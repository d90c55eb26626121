#include "platform/simulated/SimulatedMac.h"

#include <QFileInfo>
#include <QUrl>

// What the everyday applications of the simulated Mac do: browsers, Finder, terminals,
// System Settings, and opening URLs and files with their default handlers.
namespace nimbrel::sim {

namespace {

bool isChromiumFamily(const QString& id) {
    static const QStringList ids{QStringLiteral("com.google.Chrome"),       QStringLiteral("com.google.Chrome.canary"),
                                 QStringLiteral("com.brave.Browser"),       QStringLiteral("com.microsoft.edgemac"),
                                 QStringLiteral("com.operasoftware.Opera"), QStringLiteral("com.operasoftware.OperaGX"),
                                 QStringLiteral("com.vivaldi.Vivaldi")};
    return ids.contains(id);
}

QString folderURL(const QString& path) {
    QString text = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    if (!text.endsWith(QLatin1Char('/'))) text += QLatin1Char('/');
    return text;
}

QString settingsPaneTitle(const QString& url) {
    if (url.contains(QLatin1String("Privacy_Accessibility"))) return QStringLiteral("Accessibility");
    if (url.contains(QLatin1String("Privacy_Automation"))) return QStringLiteral("Automation");
    if (url.contains(QLatin1String("com.apple.preference.security"))) return QStringLiteral("Privacy & Security");
    if (url.contains(QLatin1String("com.apple.preference.dock"))) return QStringLiteral("Desktop & Dock");
    return QStringLiteral("General");
}

} // namespace

QString SimulatedMac::titleForURL(const QString& url, bool safari) {
    const QString trimmed = url.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String("about:blank") ||
        trimmed.startsWith(QLatin1String("favorites:")) ||
        trimmed.startsWith(QLatin1String("x-apple-safari-startpage:")))
        return safari ? QStringLiteral("Start Page") : QStringLiteral("New Tab");
    if (trimmed.contains(QLatin1String("newtab")) || trimmed.contains(QLatin1String("new-tab")))
        return QStringLiteral("New Tab");
    const QUrl parsed(trimmed);
    QString host = parsed.host();
    if (host.startsWith(QLatin1String("www."))) host = host.mid(4);
    return host.isEmpty() ? trimmed : host;
}

App& SimulatedMac::startApplication(const InstalledApp& installed, bool withWindow, bool activates) {
    if (App* existing = appWithBundleId(installed.bundleIdentifier)) {
        if (activates) activate(existing->pid);
        return *existing;
    }
    App fresh;
    const auto given = launchPids_.extract(installed.bundleIdentifier);
    fresh.pid = given && !app(given.mapped()) ? given.mapped() : takePid();
    fresh.bundleIdentifier = installed.bundleIdentifier;
    fresh.bundlePath = installed.bundlePath;
    fresh.name = installed.name;
    fresh.policy = installed.policy;
    if (installed.bundleIdentifier == kDockBundleId) {
        fresh.policy = ActivationPolicy::accessory;
        dockPid_ = fresh.pid;
    } else if (installed.bundleIdentifier == kSystemEventsBundleId) {
        fresh.policy = ActivationPolicy::prohibited;
    }
    apps_.push_back(fresh);
    App& added = apps_.back();
    recorder_.record(EventKind::system, QStringLiteral("launched %1 pid=%2").arg(added.name).arg(added.pid));
    if (withWindow && added.policy == ActivationPolicy::regular) {
        const QString id = added.bundleIdentifier;
        if (id == kSafariBundleId)
            newBrowserWindow(added, QString());
        else if (isChromiumFamily(id))
            newBrowserWindow(added, QStringLiteral("chrome://newtab/"));
        else if (id == kFinderBundleId) {
            Window w;
            w.title = identity_.shortName;
            w.document = folderURL(identity_.homeDirectory());
            w.frame = nextWindowFrame(added);
            addWindow(added, w);
        } else if (id == kTerminalBundleId || id == kITermBundleId) {
            Window w;
            w.title = id == kITermBundleId ? QStringLiteral("-zsh")
                                           : identity_.shortName + QStringLiteral(" \u2014 -zsh \u2014 80\u00d724");
            w.frame = nextWindowFrame(added);
            addWindow(added, w);
        } else if (id != QLatin1String("com.apple.launchpad.launcher")) {
            Window w;
            w.title = id == kSystemSettingsBundleId ? QStringLiteral("General") : added.name;
            w.frame = nextWindowFrame(added);
            addWindow(added, w);
        }
    }
    postNotice(kNoticeDidLaunch, added.pid);
    const int pid = added.pid;
    if (activates)
        activate(pid);
    else if (added.policy == ActivationPolicy::regular)
        activationOrder_.push_back(pid);
    return *app(pid);
}

void SimulatedMac::launch(const InstalledApp& installed, bool activates, std::function<void(App*)> done) {
    if (App* existing = appWithBundleId(installed.bundleIdentifier)) {
        if (activates) activate(existing->pid);
        const int pid = existing->pid;
        scheduler_.post(lifetime_.guard([this, pid, done] {
            if (done) done(app(pid));
        }));
        return;
    }
    const double delay =
        launchDelays_.count(installed.bundleIdentifier) ? launchDelays_[installed.bundleIdentifier] : 0.0;
    scheduler_.after(delay, lifetime_.guard([this, installed, activates, done] {
        App& started = startApplication(installed, true, activates);
        if (done) done(&started);
    }));
}

Window& SimulatedMac::newBrowserWindow(App& browser, const QString& url) {
    const bool safari = browser.bundleIdentifier == kSafariBundleId;
    Window w;
    w.tabs.push_back(Tab{url, titleForURL(url, safari)});
    w.title = w.tabs.front().title;
    w.frame = nextWindowFrame(browser);
    return addWindow(browser, w);
}

void SimulatedMac::loadURL(App& browser, Window& window, int tabIndex, const QString& url) {
    if (tabIndex < 0 || tabIndex >= static_cast<int>(window.tabs.size())) return;
    window.tabs[static_cast<size_t>(tabIndex)] =
        Tab{url, titleForURL(url, browser.bundleIdentifier == kSafariBundleId)};
    if (tabIndex == window.currentTab) window.title = window.tabs[static_cast<size_t>(tabIndex)].title;
}

int SimulatedMac::newTab(App& browser, Window& window, const QString& url) {
    window.tabs.push_back(Tab{url, titleForURL(url, browser.bundleIdentifier == kSafariBundleId)});
    return static_cast<int>(window.tabs.size()) - 1;
}

void SimulatedMac::openFolderInFinder(const QString& path) {
    auto finder = installedApplication(kFinderBundleId);
    App* app = appWithBundleId(kFinderBundleId);
    if (!app && finder) app = &startApplication(*finder, false, false);
    if (!app) return;
    const QString title = path == QLatin1String("/") ? QStringLiteral("Macintosh HD") : QFileInfo(path).fileName();
    showFinderWindow(*app, folderURL(path), title);
}

void SimulatedMac::openTrashInFinder() {
    App* app = appWithBundleId(kFinderBundleId);
    if (!app) return;
    showFinderWindow(*app, folderURL(identity_.homeDirectory() + QStringLiteral("/.Trash")), QStringLiteral("Trash"));
}

void SimulatedMac::showFinderWindow(App& finder, const QString& document, const QString& title) {
    for (Window& w : finder.windows) {
        if (w.document == document) {
            // Finder shows a folder once: it brings the existing window forward.
            const auto id = w.id;
            setMinimized(finder, id, false);
            raise(finder, id);
            activate(finder.pid);
            return;
        }
    }
    Window w;
    w.title = title;
    w.document = document;
    w.frame = nextWindowFrame(finder);
    addWindow(finder, w);
    activate(finder.pid);
}

Window& SimulatedMac::runInTerminal(App& terminal, const QString& command, bool newWindow) {
    if (newWindow || terminal.windows.empty()) {
        Window w;
        w.title = terminal.bundleIdentifier == kITermBundleId ? QStringLiteral("bash")
                                                              : QStringLiteral("bash \u2014 80\u00d724");
        w.frame = nextWindowFrame(terminal);
        addWindow(terminal, w);
    }
    Window& target = terminal.windows.front();
    target.commands << command;
    return target;
}

bool SimulatedMac::openURL(const QString& urlOrPath) {
    const QString text = urlOrPath.trimmed();
    if (text.startsWith(QLatin1String("x-apple.systempreferences:"))) {
        auto settings = installedApplication(kSystemSettingsBundleId);
        if (!settings) return false;
        App& app = startApplication(*settings, false, true);
        Window w;
        w.title = settingsPaneTitle(text);
        w.frame = nextWindowFrame(app);
        if (app.windows.empty())
            addWindow(app, w);
        else {
            // System Settings keeps one window and shows the requested pane in it.
            app.windows.front().title = w.title;
            setMinimized(app, app.windows.front().id, false);
        }
        return true;
    }
    if (text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
        text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) {
        auto browser = installedApplication(defaultBrowser_);
        if (!browser) return false;
        App* running = appWithBundleId(defaultBrowser_);
        if (running && !running->windows.empty()) {
            Window& front = running->windows.front();
            front.currentTab = newTab(*running, front, text);
            front.title = front.tabs.back().title;
            activate(running->pid);
        } else {
            App& app = running ? *running : startApplication(*browser, false, true);
            newBrowserWindow(app, text);
            activate(app.pid);
        }
        return true;
    }
    if (text.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive)) {
        auto mail = installedApplication(QStringLiteral("com.apple.mail"));
        if (!mail) return false;
        App& app = startApplication(*mail, false, true);
        Window w;
        w.title = QStringLiteral("New Message");
        w.frame = nextWindowFrame(app);
        addWindow(app, w);
        return true;
    }
    QString path = text;
    if (text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        path = QUrl(text).toLocalFile();
    else if (text.contains(QLatin1String("://")))
        return false;
    if (path.isEmpty() || !path.startsWith(QLatin1Char('/'))) return false;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    if (path.endsWith(QLatin1String(".app"))) {
        if (auto installed = installedApplicationAt(path)) {
            launch(*installed, true, {});
            return true;
        }
        return false;
    }
    const QFileInfo info(realPath(path));
    if (info.isDir()) {
        openFolderInFinder(path);
        return true;
    }
    return info.exists();
}

} // namespace nimbrel::sim
