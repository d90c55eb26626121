#include "platform/simulated/SimulatedMac.h"

#include "platform/Input.h"
#include "platform/simulated/SimAppPictures.h"
#include "platform/simulated/SimPlist.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <utility>

#include <sys/stat.h>

namespace nimbrel::sim {

QString dockTileKindName(DockTileKind kind) {
    static const std::array<const char*, 5> names{"application", "folder", "file", "trash", "separator"};
    return QString::fromLatin1(names.at(static_cast<size_t>(kind)));
}

std::optional<DockTileKind> dockTileKindFromName(const QString& name) {
    for (int i = 0; i < 5; ++i)
        if (dockTileKindName(static_cast<DockTileKind>(i)) == name) return static_cast<DockTileKind>(i);
    return std::nullopt;
}

QString orientationName(DockOrientation o) {
    switch (o) {
    case DockOrientation::left:
        return QStringLiteral("left");
    case DockOrientation::right:
        return QStringLiteral("right");
    case DockOrientation::bottom:
        break;
    }
    return QStringLiteral("bottom");
}

std::optional<DockOrientation> orientationFromName(const QString& name) {
    if (name == QLatin1String("bottom")) return DockOrientation::bottom;
    if (name == QLatin1String("left")) return DockOrientation::left;
    if (name == QLatin1String("right")) return DockOrientation::right;
    return std::nullopt;
}

SimulatedMac::SimulatedMac(Scheduler& scheduler, Clock& clock, QString root)
    : scheduler_(scheduler), clock_(clock), startTime_(clock.now()), root_(std::move(root)) {
    recorder_.setTimeSource([this] { return clock_.now().secondsSince(startTime_); });
}

SimulatedMac::~SimulatedMac() = default;

// ---- the disk

QString SimulatedMac::realPath(const QString& macPath) const {
    QString path = macPath;
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path = identity_.homeDirectory() + path.mid(1);
    if (!path.startsWith(QLatin1Char('/'))) path.prepend(QLatin1Char('/'));
    return root_ + QDir::cleanPath(path);
}

bool SimulatedMac::installApplication(const QString& bundlePath, const QString& bundleIdentifier, const QString& name,
                                      ActivationPolicy policy) {
    const QString contents = realPath(bundlePath) + QStringLiteral("/Contents");
    if (!QDir().mkpath(contents)) return false;
    QVariantMap info{{QStringLiteral("CFBundleIdentifier"), bundleIdentifier},
                     {QStringLiteral("CFBundleName"), name},
                     {QStringLiteral("CFBundleDisplayName"), name},
                     {QStringLiteral("CFBundlePackageType"), QStringLiteral("APPL")},
                     {QStringLiteral("CFBundleIconFile"), QStringLiteral("AppIcon")}};
    if (policy == ActivationPolicy::accessory) info.insert(QStringLiteral("LSUIElement"), true);
    if (policy == ActivationPolicy::prohibited) info.insert(QStringLiteral("LSBackgroundOnly"), true);
    QFile file(contents + QStringLiteral("/Info.plist"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(writePlist(info)) <= 0) return false;
    file.close();
    writeAppPicture(realPath(bundlePath), bundleIdentifier);
    return true;
}

namespace {

// The app a bundle's Info.plist describes.
std::optional<InstalledApp> installedApplicationFrom(const QString& bundlePath, const QByteArray& infoPlist) {
    const auto plist = readPlist(infoPlist);
    if (!plist || plist->typeId() != QMetaType::QVariantMap) return std::nullopt;
    const QVariantMap info = plist->toMap();
    InstalledApp app;
    app.bundlePath = QDir::cleanPath(bundlePath);
    app.bundleIdentifier = info.value(QStringLiteral("CFBundleIdentifier")).toString();
    app.name = info.value(QStringLiteral("CFBundleDisplayName")).toString();
    if (app.name.isEmpty()) app.name = info.value(QStringLiteral("CFBundleName")).toString();
    if (app.name.isEmpty()) app.name = QFileInfo(bundlePath).completeBaseName();
    if (info.value(QStringLiteral("LSUIElement")).toBool()) app.policy = ActivationPolicy::accessory;
    if (info.value(QStringLiteral("LSBackgroundOnly")).toBool()) app.policy = ActivationPolicy::prohibited;
    return app;
}

} // namespace

std::optional<InstalledApp> SimulatedMac::installedApplicationAt(const QString& bundlePath) const {
    const auto bytes = readInfoPlistFile(realPath(bundlePath) + QStringLiteral("/Contents/Info.plist"));
    if (!bytes) return std::nullopt;
    return installedApplicationFrom(bundlePath, *bytes);
}

namespace {

const std::array<const char*, 4> kApplicationFolders{"/Applications", "/System/Applications",
                                                     "/System/Applications/Utilities", "/System/Library/CoreServices"};

struct FileStamp {
    std::int64_t size = -1;
    std::int64_t modified = -1;
};

FileStamp stampOf(const QString& realPath) {
    struct stat info;
    if (::stat(QFile::encodeName(realPath).constData(), &info) != 0) return {};
    return {std::int64_t(info.st_size), std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

// Whether a file that looked like `stamp` last time is certainly the same now, without reading it.
template <typename Snapshot> bool certainlyUnchanged(const Snapshot& before, const FileStamp& now) {
    const auto settled = (QDateTime::currentMSecsSinceEpoch() - 1000) * std::int64_t(1'000'000);
    return before.modified >= 0 && before.size == now.size && before.modified == now.modified && now.modified < settled;
}

} // namespace

std::vector<InstalledApp> SimulatedMac::installedApplications() const {
    std::lock_guard lock(installedMutex_);
    std::vector<InstalledApp> out;
    for (const char* folder : kApplicationFolders) {
        const QString real = realPath(QString::fromLatin1(folder));
        FileSnapshot& listing = installedIndex_.folders[real];
        const FileStamp stamp = stampOf(real);
        if (!certainlyUnchanged(listing, stamp)) {
            // Filtered by hand: a name filter would start the regular-expression engine.
            QStringList names = QDir(real).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
            names.removeIf([](const QString& name) { return !name.endsWith(QLatin1String(".app")); });
            listing = {stamp.size, stamp.modified, names.join(QLatin1Char('\n')).toUtf8()};
        }
        if (listing.bytes.isEmpty()) continue;
        for (const QByteArray& name : listing.bytes.split('\n')) {
            const QString bundle = QString::fromLatin1(folder) + QLatin1Char('/') + QString::fromUtf8(name);
            const QString plistPath = realPath(bundle) + QStringLiteral("/Contents/Info.plist");
            auto& [snapshot, app] = installedIndex_.bundles[bundle];
            const FileStamp plistStamp = stampOf(plistPath);
            if (!certainlyUnchanged(snapshot, plistStamp)) {
                const std::optional<QByteArray> read = readInfoPlistFile(plistPath);
                QByteArray bytes = read.value_or(QByteArray());
                if (bytes != snapshot.bytes || snapshot.modified < 0)
                    app = read ? installedApplicationFrom(bundle, bytes) : std::nullopt;
                snapshot = {plistStamp.size, plistStamp.modified, std::move(bytes)};
            }
            if (app) out.push_back(*app);
        }
    }
    return out;
}

std::optional<InstalledApp> SimulatedMac::installedApplication(const QString& bundleIdentifier) const {
    for (const InstalledApp& app : installedApplications())
        if (app.bundleIdentifier == bundleIdentifier) return app;
    return std::nullopt;
}

// ---- screens

const Screen* SimulatedMac::screen(int id) const {
    for (const Screen& s : screens_)
        if (s.id == id) return &s;
    return nullptr;
}

Screen* SimulatedMac::screen(int id) {
    for (Screen& s : screens_)
        if (s.id == id) return &s;
    return nullptr;
}

double SimulatedMac::primaryHeight() const {
    for (const Screen& s : screens_)
        if (s.frame.origin.x == 0 && s.frame.origin.y == 0) return s.frame.height();
    if (const Screen* main = screen(mainScreenId_)) return main->frame.height();
    return 0;
}

// ---- applications

App* SimulatedMac::app(int pid) {
    for (App& a : apps_)
        if (a.pid == pid) return &a;
    return nullptr;
}

const App* SimulatedMac::app(int pid) const {
    for (const App& a : apps_)
        if (a.pid == pid) return &a;
    return nullptr;
}

App* SimulatedMac::appWithBundleId(const QString& bundleIdentifier) {
    for (App& a : apps_)
        if (!bundleIdentifier.isEmpty() && a.bundleIdentifier == bundleIdentifier) return &a;
    return nullptr;
}

App* SimulatedMac::appWithPath(const QString& bundlePath) {
    const QString wanted = QDir::cleanPath(bundlePath);
    for (App& a : apps_)
        if (!a.bundlePath.isEmpty() && a.bundlePath == wanted) return &a;
    return nullptr;
}

RunningApplication SimulatedMac::snapshot(const App& app) const {
    RunningApplication r;
    r.pid = app.pid;
    if (!app.bundleIdentifier.isEmpty()) r.bundleIdentifier = app.bundleIdentifier;
    if (!app.bundlePath.isEmpty()) r.bundlePath = app.bundlePath;
    if (!app.name.isEmpty()) r.localizedName = app.name;
    r.activationPolicy = app.policy;
    r.isHidden = app.hidden;
    r.isActive = frontmostPid() == app.pid;
    return r;
}

std::optional<RunningApplication> SimulatedMac::departed(int pid) const {
    auto it = departed_.find(pid);
    if (it == departed_.end()) return std::nullopt;
    return it->second;
}

void SimulatedMac::bringToFrontOfActivation(int pid) {
    removeFromActivation(pid);
    activationOrder_.insert(activationOrder_.begin(), pid);
}

void SimulatedMac::removeFromActivation(int pid) {
    activationOrder_.erase(std::remove(activationOrder_.begin(), activationOrder_.end(), pid), activationOrder_.end());
}

bool SimulatedMac::activate(int pid) {
    App* a = app(pid);
    if (!a || a->policy == ActivationPolicy::prohibited) return false;
    a->hidden = false;
    if (a->policy != ActivationPolicy::regular) return true;
    const bool changed = frontmostPid() != pid;
    bringToFrontOfActivation(pid);
    if (changed) postNotice(kNoticeDidActivate, pid);
    return true;
}

bool SimulatedMac::setHidden(int pid, bool hidden) {
    App* a = app(pid);
    if (!a || a->policy != ActivationPolicy::regular) return false;
    a->hidden = hidden;
    if (hidden && frontmostPid() == pid) {
        // The next application in line becomes frontmost, as when an app is hidden.
        removeFromActivation(pid);
        activationOrder_.push_back(pid);
    }
    return true;
}

bool SimulatedMac::terminate(int pid) {
    auto it = std::find_if(apps_.begin(), apps_.end(), [pid](const App& a) { return a.pid == pid; });
    if (it == apps_.end() || pid == dockPid_) return false;
    if (it->ignoresTerminate) {
        recorder_.record(EventKind::system, QStringLiteral("%1 ignored the request to quit").arg(it->name));
        return false;
    }
    RunningApplication last = snapshot(*it);
    last.isTerminated = true;
    last.isActive = false;
    departed_[pid] = last;
    recorder_.record(EventKind::system, QStringLiteral("terminated %1 pid=%2").arg(it->name).arg(pid));
    apps_.erase(it);
    removeFromActivation(pid);
    postNotice(kNoticeDidTerminate, pid);
    return true;
}

void SimulatedMac::postNotice(const QString& name, int pid) {
    if (quiet_) return;
    // Observers run later on the main thread, as the workspace delivers its notices.
    scheduler_.post(lifetime_.guard([this, name, pid] { notices_.post(name, {{QStringLiteral("pid"), pid}}); }));
}

// ---- windows

Window& SimulatedMac::addWindow(App& app, Window window) {
    window.id = takeWindowId();
    app.noFocusedWindow = false;
    app.windows.insert(app.windows.begin(), std::move(window));
    return app.windows.front();
}

Window* SimulatedMac::window(int pid, std::uint64_t windowId) {
    App* a = app(pid);
    if (!a) return nullptr;
    for (Window& w : a->windows)
        if (w.id == windowId) return &w;
    return nullptr;
}

App* SimulatedMac::ownerOfWindow(std::uint64_t windowId) {
    for (App& a : apps_)
        for (const Window& w : a.windows)
            if (w.id == windowId) return &a;
    return nullptr;
}

std::optional<std::uint64_t> SimulatedMac::focusedWindowId(const App& app) const {
    if (app.hidden || app.noFocusedWindow) return std::nullopt;
    for (const Window& w : app.windows)
        if (!w.minimized) return w.id;
    return std::nullopt;
}

namespace {
std::vector<Window>::iterator findWindow(App& app, std::uint64_t id) {
    return std::find_if(app.windows.begin(), app.windows.end(), [id](const Window& w) { return w.id == id; });
}
} // namespace

void SimulatedMac::setMinimized(App& app, std::uint64_t windowId, bool minimized) {
    auto it = findWindow(app, windowId);
    if (it == app.windows.end() || it->minimized == minimized) return;
    Window w = *it;
    app.windows.erase(it);
    w.minimized = minimized;
    // Minimized windows leave the stack for the Dock; a restored one comes back in front.
    if (minimized) {
        app.windows.push_back(std::move(w));
    } else {
        app.noFocusedWindow = false;
        app.windows.insert(app.windows.begin(), std::move(w));
    }
}

void SimulatedMac::raise(App& app, std::uint64_t windowId) {
    auto it = findWindow(app, windowId);
    if (it == app.windows.end() || it->minimized) return;
    app.noFocusedWindow = false;
    Window w = *it;
    app.windows.erase(it);
    app.windows.insert(app.windows.begin(), std::move(w));
}

void SimulatedMac::closeWindow(App& app, std::uint64_t windowId) {
    auto it = findWindow(app, windowId);
    if (it != app.windows.end()) app.windows.erase(it);
}

void SimulatedMac::setFullScreen(App& app, std::uint64_t windowId, bool on) {
    auto it = findWindow(app, windowId);
    if (it == app.windows.end() || it->fullScreen == on || it->minimized) return;
    if (on) {
        it->frameBeforeFullScreen = it->frame;
        // The screen that holds the window's centre, else the main screen.
        const Point centre = toAppKit({it->frame.midX(), it->frame.midY()});
        const Screen* target = screen(mainScreenId_);
        for (const Screen& s : screens_)
            if (s.frame.contains(centre)) {
                target = &s;
                break;
            }
        if (target)
            it->frame = Rect(target->frame.minX(), primaryHeight() - target->frame.maxY(), target->frame.width(),
                             target->frame.height());
        it->fullScreen = true;
        raise(app, windowId);
    } else {
        it->frame = it->frameBeforeFullScreen;
        it->fullScreen = false;
    }
}

Rect SimulatedMac::nextWindowFrame(const App& app) const {
    const Screen* main = screen(mainScreenId_);
    const Rect visible = main ? main->visibleFrame : Rect(0, 0, 1440, 900);
    const double step = 28.0 * static_cast<double>(app.windows.size() % 6);
    const double width = std::min(1100.0, visible.width() - 120);
    const double height = std::min(720.0, visible.height() - 100);
    const double top = primaryHeight() - visible.maxY();
    return Rect(visible.minX() + 80 + step, top + 40 + step, width, height);
}

// ---- input

ObserverToken SimulatedMac::watchMouse(MouseWatcher watcher) {
    const int id = nextWatcherId_++;
    mouseWatchers_[id] = std::move(watcher);
    return ObserverToken(lifetime_.guard([this, id] { mouseWatchers_.erase(id); }));
}

void SimulatedMac::mouseDown(Point appKit) {
    pointer_ = appKit;
    buttonDown_ = true;
    pressTime_ = clock_.now();
    pressedTile_ = dockTileIndexAt(appKit);
    auto watchers = mouseWatchers_;
    for (auto& [id, w] : watchers)
        w(true, appKit);
}

void SimulatedMac::mouseUp() {
    buttonDown_ = false;
    auto watchers = mouseWatchers_;
    for (auto& [id, w] : watchers)
        w(false, pointer_);
    const std::optional<size_t> pressed = std::exchange(pressedTile_, std::nullopt);
    if (!pressed) return;
    const auto tiles = dockTiles();
    if (*pressed >= tiles.size() || !tiles[*pressed].frame.contains(pointer_)) return;
    // A press held long enough showed the tile's menu: its release is no click.
    const bool held = clock_.now().secondsSince(pressTime_) >= kDockTileHoldSeconds;
    // The Dock is a process of its own: it acts on a later turn, after what the monitors were
    // handed of this press, so a program reads the windows as they were before the click, as
    // on a Mac, also when the press and release come in the same instant.
    scheduler_.post(lifetime_.guard([this, tile = tiles[*pressed], held] { releaseOnDockTile(tile, held); }));
}

// ---- permission and wake

void SimulatedMac::setTrusted(bool trusted) {
    if (trusted_ == trusted) return;
    trusted_ = trusted;
    recorder_.record(EventKind::permission,
                     trusted ? QStringLiteral("accessibility granted") : QStringLiteral("accessibility revoked"));
}

void SimulatedMac::notePermissionPrompt() {
    ++promptCount_;
    recorder_.record(EventKind::permission, QStringLiteral("accessibility prompt shown"));
}

void SimulatedMac::wake() {
    recorder_.record(EventKind::system, QStringLiteral("wake from sleep"));
    postNotice(kNoticeDidWake, 0);
}

} // namespace nimbrel::sim
