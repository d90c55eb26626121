#pragma once

// A small desktop for the engine's unit tests: one screen with the Dock along the
// bottom, a Dock tile per app, apps with windows, and the Accessibility reads and
// writes the engine makes, with their effects. Every write and action is logged.

#include "platform/Accessibility.h"
#include "platform/Input.h"
#include "platform/Screens.h"
#include "platform/Workspace.h"
#include "support/StubWorkspace.h"

#include <QStringList>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace nimbrel::test {

struct FakeWindow {
    std::uint64_t id = 0;
    int pid = 0;
    std::optional<QString> title;
    std::optional<QString> role = QStringLiteral("AXWindow");
    std::optional<QString> subrole = QStringLiteral("AXStandardWindow");
    std::optional<QString> document;
    std::optional<Point> position = Point{100, 100};
    bool minimized = false;
    bool focused = false;
};

struct FakeTile {
    QString title;
    int pid = 0; // the Dock's own pid; the tile only names the app by its title
    Rect frame;  // AppKit coordinates
    // Text attributes other than the title ("AXDescription", ...); an entry "AXTitle" replaces the title.
    std::map<QString, QString> attributes;
    // The hit test lands on a child this many levels below the tile, owned by another process.
    int hitDepth = 0;
};

class FakeDesk final : public Accessibility, public testing::StubWorkspace, public Screens, public Input {
  public:
    static constexpr int kDockPid = 50;
    static constexpr std::uint64_t kSystemWide = 1;

    FakeDesk() {
        RunningApplication dock;
        dock.pid = kDockPid;
        dock.bundleIdentifier = QStringLiteral("com.apple.dock");
        dock.localizedName = QStringLiteral("Dock");
        dock.activationPolicy = ActivationPolicy::accessory;
        apps.push_back(dock);
        screenList.push_back({1, QStringLiteral("Built-in"), Rect(0, 0, 1440, 900), Rect(0, 70, 1440, 805)});
    }

    // --- building the desk
    RunningApplication& addApp(const QString& bundleId, const QString& name, std::optional<QString> path = {}) {
        RunningApplication app;
        app.pid = nextPid++;
        if (!bundleId.isEmpty()) app.bundleIdentifier = bundleId;
        app.localizedName = name;
        app.bundlePath =
            path ? path : std::optional<QString>(QStringLiteral("/Applications/") + name + QStringLiteral(".app"));
        apps.push_back(app);
        addTile(name);
        return apps.back();
    }
    void addTile(const QString& title) {
        const double x = 10 + 60 * double(tiles.size());
        FakeTile tile;
        tile.title = title;
        tile.pid = kDockPid;
        tile.frame = Rect(x, 5, 56, 56);
        tiles.push_back(tile);
    }
    // A new window goes in front of the app's others.
    std::uint64_t addWindow(int pid, std::optional<QString> title, bool minimized = false) {
        FakeWindow w;
        w.id = nextWindowId++;
        w.pid = pid;
        w.title = std::move(title);
        w.minimized = minimized;
        w.position = Point{double(100 + 20 * w.id), double(80 + 20 * w.id)};
        windowOrder[pid].insert(windowOrder[pid].begin(), w.id);
        windows[w.id] = w;
        return w.id;
    }
    void focus(std::uint64_t windowId) {
        for (auto& [id, w] : windows)
            if (w.pid == windows[windowId].pid) w.focused = (id == windowId);
    }
    void setFrontmost(int pid) { frontmostPid = pid; }
    RunningApplication* app(int pid) {
        for (auto& a : apps)
            if (a.pid == pid) return &a;
        return nullptr;
    }
    Point tileCenter(const QString& title) const {
        for (const auto& t : tiles)
            if (t.title == title) return {t.frame.midX(), t.frame.midY()};
        return {};
    }
    FakeWindow& window(std::uint64_t id) { return windows.at(id); }
    bool isMinimized(std::uint64_t id) const { return windows.at(id).minimized; }
    static AXElement element(std::uint64_t windowId) { return AXElement(windowId); }

    // --- Accessibility
    AXElement systemWideElement() override { return AXElement(kSystemWide); }
    AXElement applicationElement(int pid) override { return AXElement(kAppBase + std::uint64_t(pid)); }
    AXError elementAtPosition(const AXElement&, float x, float y, AXElement* out) override {
        ++hitTests;
        const Point appKit{x, primaryScreenHeight() - y};
        for (size_t i = 0; i < tiles.size(); ++i)
            if (tiles[i].frame.contains(appKit)) {
                *out = AXElement(kTileBase + i + kChildStride * std::uint64_t(tiles[i].hitDepth));
                return AXError::success;
            }
        return AXError::noValue;
    }
    AXError pid(const AXElement& e, int* pid) override {
        if (e.id() >= kTileBase + kChildStride)
            *pid = 1; // a child the Dock does not own
        else if (e.id() >= kTileBase)
            *pid = kDockPid;
        else if (e.id() >= kAppBase)
            *pid = int(e.id() - kAppBase);
        else if (windows.count(e.id()))
            *pid = windows[e.id()].pid;
        else
            return AXError::invalidUIElement;
        return AXError::success;
    }
    AXError copyAttributeNames(const AXElement&, QStringList*) override { return AXError::notImplemented; }
    AXError copyAttributeValue(const AXElement& e, const QString& name, AXValue* value) override {
        ++reads;
        if (e.id() >= kTileBase) {
            const std::uint64_t depth = (e.id() - kTileBase) / kChildStride;
            const size_t i = size_t((e.id() - kTileBase) % kChildStride);
            if (i >= tiles.size()) return AXError::invalidUIElement;
            if (name == QLatin1String("AXParent")) {
                if (depth == 0) return AXError::noValue;
                *value = AXElement(e.id() - kChildStride);
                return AXError::success;
            }
            if (depth > 0) {
                if (name == QLatin1String("AXTitle")) {
                    *value = QStringLiteral("child of ") + tiles[i].title;
                    return AXError::success;
                }
                return AXError::noValue;
            }
            if (auto it = tiles[i].attributes.find(name); it != tiles[i].attributes.end()) {
                *value = it->second;
                return AXError::success;
            }
            if (name == QLatin1String("AXTitle")) {
                *value = tiles[i].title;
                return AXError::success;
            }
            return AXError::noValue;
        }
        if (e.id() >= kAppBase) {
            const int pid = int(e.id() - kAppBase);
            if (name != QLatin1String("AXWindows")) return AXError::noValue;
            if (unreadableWindowsPid == pid) return AXError::cannotComplete;
            std::vector<AXElement> list;
            for (auto id : windowOrder[pid])
                list.push_back(AXElement(id));
            *value = list;
            return AXError::success;
        }
        auto it = windows.find(e.id());
        if (it == windows.end()) return AXError::invalidUIElement;
        const FakeWindow& w = it->second;
        std::optional<AXValue> v;
        if (name == QLatin1String("AXTitle") && w.title)
            v = *w.title;
        else if (name == QLatin1String("AXRole") && w.role)
            v = *w.role;
        else if (name == QLatin1String("AXSubrole") && w.subrole)
            v = *w.subrole;
        else if (name == QLatin1String("AXDocument") && w.document)
            v = *w.document;
        else if (name == QLatin1String("AXPosition") && w.position)
            v = *w.position;
        else if (name == QLatin1String("AXMinimized"))
            v = w.minimized;
        else if (name == QLatin1String("AXFocused"))
            v = w.focused;
        if (!v) return AXError::noValue;
        *value = *v;
        return AXError::success;
    }
    AXError isAttributeSettable(const AXElement&, const QString&, bool* settable) override {
        *settable = true;
        return AXError::success;
    }
    AXError setAttributeValue(const AXElement& e, const QString& name, const AXValue& value) override {
        auto it = windows.find(e.id());
        if (it == windows.end()) return AXError::invalidUIElement;
        writes.append(QStringLiteral("%1 %2=%3").arg(label(e.id()), name, value.describe()));
        if (name == QLatin1String("AXMinimized")) it->second.minimized = value.toBool().value_or(false);
        if (name == QLatin1String("AXFocused") && value.toBool() == std::optional<bool>(true)) focus(e.id());
        return AXError::success;
    }
    AXError performAction(const AXElement& e, const QString& action) override {
        auto it = windows.find(e.id());
        if (it == windows.end()) return AXError::invalidUIElement;
        writes.append(QStringLiteral("%1 %2").arg(label(e.id()), action));
        if (action == QLatin1String("AXRaise")) {
            auto& order = windowOrder[it->second.pid];
            order.erase(std::find(order.begin(), order.end(), e.id()));
            order.insert(order.begin(), e.id());
        }
        return AXError::success;
    }
    bool isProcessTrusted() const override { return trusted; }
    bool isProcessTrustedWithOptions(bool) override { return trusted; }

    // --- Workspace
    std::vector<RunningApplication> runningApplications() const override {
        std::vector<RunningApplication> out = apps;
        for (auto& a : out)
            a.isActive = a.pid == frontmostPid;
        return out;
    }
    std::optional<RunningApplication> frontmostApplication() const override {
        for (const auto& a : apps)
            if (a.pid == frontmostPid) return a;
        return std::nullopt;
    }
    std::optional<RunningApplication> runningApplication(int pid) const override {
        for (const auto& a : apps)
            if (a.pid == pid) return a;
        return std::nullopt;
    }
    bool activate(int pid, ActivationOptions) override {
        writes.append(QStringLiteral("activate ") + runningApplication(pid)->localizedName.value_or(QString()));
        frontmostPid = pid;
        return true;
    }
    ObserverToken observeDidWake(std::function<void()> observer) override {
        const int id = nextObserver++;
        wakeObservers[id] = std::move(observer);
        return ObserverToken([this, id] { wakeObservers.erase(id); });
    }
    void wake() {
        auto copy = wakeObservers;
        for (auto& [id, fn] : copy)
            fn();
    }

    // --- Screens
    std::vector<ScreenInfo> screens() const override { return screenList; }
    std::optional<ScreenInfo> mainScreen() const override {
        if (screenList.empty()) return std::nullopt;
        return screenList.front();
    }

    // --- Input
    EventMonitorHandle addGlobalMouseMonitor(std::function<void(const MouseEvent&)> handler) override {
        if (refuseMonitor) return nullptr;
        mouseHandler = std::move(handler);
        struct Monitor : EventMonitor {
            void remove() override { installed = false; }
            bool isInstalled() const override { return installed; }
            bool installed = true;
        };
        return std::make_shared<Monitor>();
    }
    Point pointerLocation() const override { return pointer; }
    bool postKeyEvent(int keyCode, bool keyDown) override {
        writes.append(QStringLiteral("key %1 %2").arg(keyCode).arg(keyDown ? "down" : "up"));
        return true;
    }
    void mouseDown(Point at) {
        pointer = at;
        if (mouseHandler) mouseHandler({MouseEventType::leftMouseDown, at, {}});
    }
    void mouseUp() {
        if (mouseHandler) mouseHandler({MouseEventType::leftMouseUp, pointer, {}});
    }

    // --- state
    std::vector<RunningApplication> apps;
    std::vector<FakeTile> tiles;
    std::map<std::uint64_t, FakeWindow> windows;
    std::map<int, std::vector<std::uint64_t>> windowOrder; // front to back per app
    std::vector<ScreenInfo> screenList;
    int frontmostPid = 0;
    bool trusted = true;
    bool refuseMonitor = false;
    int unreadableWindowsPid = -1;
    Point pointer;
    std::function<void(const MouseEvent&)> mouseHandler;
    std::map<int, std::function<void()>> wakeObservers;
    QStringList writes;
    int reads = 0;
    int hitTests = 0;

  private:
    static constexpr std::uint64_t kAppBase = 1'000'000;
    static constexpr std::uint64_t kTileBase = 2'000'000;
    static constexpr std::uint64_t kChildStride = 1'000;
    QString label(std::uint64_t id) const {
        const auto& w = windows.at(id);
        return w.title ? *w.title : QStringLiteral("<untitled %1>").arg(id);
    }
    int nextPid = 100;
    std::uint64_t nextWindowId = 10;
    int nextObserver = 1;
};

} // namespace nimbrel::test
