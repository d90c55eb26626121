#include "desktop/DesktopViewModel.h"

#include "platform/Screens.h"
#include "platform/simulated/SimulatedMac.h"

#include <algorithm>

namespace nimbrel {

namespace {

QVariantMap rectMap(const Rect& r) {
    return {{"x", r.minX()}, {"y", r.minY()}, {"width", r.width()}, {"height", r.height()}};
}

// A wallpaper's two colours, picked from its name so each picture keeps its look.
QStringList wallpaperColours(const QString& url) {
    static const QList<QStringList> palettes = {
        {"#1D2B64", "#7B4397"}, {"#0F3443", "#34E89E"}, {"#41295A", "#D66D75"},
        {"#232526", "#5D6D7E"}, {"#16222A", "#3A6073"}, {"#42275A", "#E7A977"},
    };
    quint32 hash = 2166136261u; // FNV-1a: the same picture keeps its colours across runs
    for (const QChar c : url)
        hash = (hash ^ c.unicode()) * 16777619u;
    return palettes[int(hash % quint32(palettes.size()))];
}

} // namespace

DesktopViewModel::DesktopViewModel(sim::SimulatedMac& mac, Scheduler& scheduler, QObject* parent)
    : QObject(parent), mac_(mac), scheduler_(scheduler), disk_(mac.root(), mac.identity().homeDirectory()),
      openPanel_(std::make_unique<DesktopOpenPanel>(disk_)) {
    // Whatever happens on the Mac is recorded; redraw once after each burst of it.
    recorderListener_ = mac_.recorder().addListener([this, alive = lifetime_.watch()](const sim::Event&) {
        if (!alive.expired()) scheduleRefresh();
    });
    refresh();
}

DesktopViewModel::~DesktopViewModel() = default;

bool DesktopViewModel::accessibilityTrusted() const {
    return mac_.isTrusted();
}

void DesktopViewModel::scheduleRefresh() {
    if (refreshPending_) return;
    refreshPending_ = true;
    scheduler_.post(lifetime_.guard([this] {
        if (refreshPending_) refresh(); // a direct refresh in between already read the Mac
    }));
}

Point DesktopViewModel::toAppKit(double x, double y) const {
    return mac_.toAppKit({x, y});
}

void DesktopViewModel::refresh() {
    refreshPending_ = false;
    const double primary = mac_.primaryHeight();
    auto flip = [primary](const Rect& appKit) { return Screens::flipRect(appKit, primary); };

    screens_.clear();
    bounds_ = Rect();
    bool first = true;
    for (const sim::Screen& s : mac_.screens()) {
        const Rect frame = flip(s.frame);
        const QStringList colours = wallpaperColours(s.desktopImageURL);
        QVariantMap m = rectMap(frame);
        m.insert("id", s.id);
        m.insert("name", s.name);
        m.insert("wallpaperTop", colours.value(0));
        m.insert("wallpaperBottom", colours.value(1));
        m.insert("isPrimary", s.frame.minX() == 0 && s.frame.minY() == 0);
        m.insert("menuBarHeight", s.frame.maxY() - s.visibleFrame.maxY());
        screens_ << m;
        if (first) {
            bounds_ = frame;
            first = false;
        } else {
            const double l = std::min(bounds_.minX(), frame.minX());
            const double t = std::min(bounds_.minY(), frame.minY());
            const double r = std::max(bounds_.maxX(), frame.maxX());
            const double b = std::max(bounds_.maxY(), frame.maxY());
            bounds_ = Rect(l, t, r - l, b - t);
        }
        if (s.frame.minX() == 0 && s.frame.minY() == 0) menuBarHeight_ = s.frame.maxY() - s.visibleFrame.maxY();
    }

    dockTiles_.clear();
    for (const sim::DockTile& tile : mac_.dockTiles()) {
        QVariantMap m = rectMap(flip(tile.frame));
        m.insert("title", tile.title);
        m.insert("kind", sim::dockTileKindName(tile.kind));
        const sim::App* running = nullptr;
        for (const sim::App& app : mac_.apps()) {
            if (!tile.bundleIdentifier.isEmpty() && app.bundleIdentifier == tile.bundleIdentifier) running = &app;
        }
        m.insert("running", running != nullptr);
        if (tile.kind == sim::DockTileKind::application) m.insert("iconSource", iconSource(tile.path));
        dockTiles_ << m;
    }
    dockArea_ = rectMap(flip(mac_.dockFrame()));

    // Back to front: the least recently active application first, each app's windows back to front.
    windows_.clear();
    std::vector<int> order = mac_.activationOrder();
    std::reverse(order.begin(), order.end());
    for (const sim::App& app : mac_.apps()) {
        if (std::find(order.begin(), order.end(), app.pid) == order.end()) order.insert(order.begin(), app.pid);
    }
    const int frontPid = mac_.frontmostPid();
    for (int pid : order) {
        const sim::App* app = mac_.app(pid);
        if (!app || app->hidden || app->policy != ActivationPolicy::regular) continue;
        for (auto it = app->windows.rbegin(); it != app->windows.rend(); ++it) {
            if (it->minimized) continue;
            QVariantMap m = rectMap(it->frame);
            m.insert("pid", app->pid);
            m.insert("windowId", double(it->id));
            m.insert("appName", app->name);
            m.insert("title", it->title);
            m.insert("focused", pid == frontPid && &*it == &app->windows.front());
            m.insert("url", it->isBrowserWindow() ? it->tabs[size_t(it->currentTab)].url : QString());
            QString kind = QStringLiteral("document");
            if (app->bundleIdentifier == sim::kTerminalBundleId)
                kind = QStringLiteral("terminal");
            else if (app->bundleIdentifier == sim::kSystemSettingsBundleId)
                kind = QStringLiteral("settings");
            else if (it->isBrowserWindow())
                kind = QStringLiteral("browser");
            m.insert("kind", kind);
            windows_ << m;
        }
    }
    const sim::App* front = mac_.app(frontPid);
    frontmostAppName_ = front ? front->name : QStringLiteral("Finder");
    emit changed();
    fitView();
}

void DesktopViewModel::setViewSize(double width, double height) {
    viewWidth_ = width;
    viewHeight_ = height;
    fitView();
}

void DesktopViewModel::fitView() {
    const DesktopViewport fitted(bounds_, viewWidth_, viewHeight_);
    if (fitted == viewport_) return;
    viewport_ = fitted;
    emit viewChanged();
}

void DesktopViewModel::pressedInView(double x, double y) {
    const Point p = viewport_.toDesktop({x, y});
    mousePressed(p.x, p.y);
}

void DesktopViewModel::releasedInView(double x, double y) {
    const Point p = viewport_.toDesktop({x, y});
    mouseReleased(p.x, p.y);
}

void DesktopViewModel::mousePressed(double x, double y) {
    const Point p = toAppKit(x, y);
    mac_.movePointer(p);
    mac_.mouseDown(p);
    scheduleRefresh();
}

void DesktopViewModel::mouseReleased(double x, double y) {
    mac_.movePointer(toAppKit(x, y));
    mac_.mouseUp();
    scheduleRefresh();
}

void DesktopViewModel::windowClicked(int pid, double windowId) {
    sim::App* app = mac_.app(pid);
    if (!app) return;
    mac_.activate(pid);
    mac_.raise(*app, static_cast<std::uint64_t>(windowId));
    scheduleRefresh();
}

void DesktopViewModel::openAccessibilitySettings() {
    mac_.openURL(QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"));
    scheduleRefresh();
}

void DesktopViewModel::closeWindow(int pid, double windowId) {
    sim::App* app = mac_.app(pid);
    if (!app || !mac_.window(pid, static_cast<std::uint64_t>(windowId))) return;
    mac_.closeWindow(*app, static_cast<std::uint64_t>(windowId));
    scheduleRefresh();
}

void DesktopViewModel::minimizeWindow(int pid, double windowId) {
    sim::App* app = mac_.app(pid);
    const sim::Window* window = mac_.window(pid, static_cast<std::uint64_t>(windowId));
    // As on a Mac, a window in full screen has no yellow button to press.
    if (!app || !window || window->fullScreen) return;
    mac_.setMinimized(*app, static_cast<std::uint64_t>(windowId), true);
    scheduleRefresh();
}

void DesktopViewModel::setAccessibilityTrusted(bool trusted) {
    mac_.setTrusted(trusted);
    scheduleRefresh();
}

QString DesktopViewModel::iconSource(const QString& bundlePath) {
    // An app's picture does not change while the desktop is shown: each is looked for once.
    auto it = iconSources_.constFind(bundlePath);
    if (it == iconSources_.constEnd())
        it = iconSources_.insert(bundlePath, iconFileURL(mac_.realPath(mac_.iconPath(bundlePath))));
    return *it;
}

} // namespace nimbrel
