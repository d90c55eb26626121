#include "platform/simulated/SimAccessibility.h"

namespace nimbrel::sim {

namespace {

const QString kClose = QStringLiteral("AXCloseButton");
const QString kMinimize = QStringLiteral("AXMinimizeButton");
const QString kZoom = QStringLiteral("AXZoomButton");
const QString kFullScreen = QStringLiteral("AXFullScreenButton");

QStringList buttonsOf(const Window& w) {
    if (w.subrole == QLatin1String("AXStandardWindow")) return {kClose, kMinimize, kZoom, kFullScreen};
    if (w.subrole == QLatin1String("AXDialog") || w.subrole == QLatin1String("AXFloatingWindow")) return {kClose};
    return {};
}

// Title-bar buttons sit at the window's top-left, 20 points apart.
Rect buttonFrame(const Window& w, const QString& button) {
    const int index = button == kClose ? 0 : button == kMinimize ? 1 : 2;
    return Rect(w.frame.minX() + 7 + 20.0 * index, w.frame.minY() + 6, 14, 14);
}

QString tileSubrole(DockTileKind kind) {
    switch (kind) {
    case DockTileKind::application:
        return QStringLiteral("AXApplicationDockItem");
    case DockTileKind::folder:
        return QStringLiteral("AXFolderDockItem");
    case DockTileKind::file:
        return QStringLiteral("AXDocumentDockItem");
    case DockTileKind::trash:
        return QStringLiteral("AXTrashDockItem");
    case DockTileKind::separator:
        return QStringLiteral("AXSeparatorDockItem");
    }
    return {};
}

Rect flippedTileFrame(const SimulatedMac& mac, const Rect& appKit) {
    return Rect(appKit.minX(), mac.primaryHeight() - appKit.maxY(), appKit.width(), appKit.height());
}

} // namespace

QString SimAccessibility::tileIdentity(const DockTile& tile) {
    return dockTileKindName(tile.kind) + QLatin1Char('|') + tile.path + QLatin1Char('|') + tile.title;
}

// tileIdentity(tile) == identity, without building the text (every Dock item lookup asks).
bool SimAccessibility::hasTileIdentity(const DockTile& tile, QStringView identity) {
    const QString kind = dockTileKindName(tile.kind);
    if (identity.size() != kind.size() + tile.path.size() + tile.title.size() + 2) return false;
    qsizetype at = 0;
    const auto next = [&](QStringView part) {
        const bool same = identity.mid(at, part.size()) == part;
        at += part.size();
        return same;
    };
    return next(kind) && next(u"|") && next(tile.path) && next(u"|") && next(tile.title);
}

AXElement SimAccessibility::element(const Key& key) {
    auto it = ids_.find(key);
    if (it != ids_.end()) return AXElement(it->second);
    const std::uint64_t id = nextId_++;
    ids_[key] = id;
    keys_[id] = key;
    return AXElement(id);
}

AXElement SimAccessibility::systemWideElement() {
    return element(Key{Kind::systemWide, 0, 0, {}});
}
AXElement SimAccessibility::applicationElement(int pid) {
    return element(Key{Kind::application, pid, 0, {}});
}
AXElement SimAccessibility::windowElement(int pid, std::uint64_t windowId) {
    return element(Key{Kind::window, pid, windowId, {}});
}
AXElement SimAccessibility::dockItemElement(const DockTile& tile) {
    return element(Key{Kind::dockItem, mac_.dockPid(), 0, tileIdentity(tile)});
}

std::optional<SimAccessibility::Resolved> SimAccessibility::resolve(const AXElement& element) {
    auto it = keys_.find(element.id());
    if (it == keys_.end()) return std::nullopt;
    Resolved r;
    r.key = it->second;
    if (r.key.kind == Kind::systemWide) return r;
    r.app = mac_.app(r.key.pid);
    if (!r.app) return std::nullopt;
    switch (r.key.kind) {
    case Kind::window:
    case Kind::button:
        r.window = mac_.window(r.key.pid, r.key.window);
        if (!r.window) return std::nullopt;
        if (r.key.kind == Kind::button && !buttonsOf(*r.window).contains(r.key.part)) return std::nullopt;
        return r;
    case Kind::dockList:
        return r.key.pid == mac_.dockPid() ? std::optional(r) : std::nullopt;
    case Kind::dockItem:
        if (r.key.pid != mac_.dockPid()) return std::nullopt;
        for (const DockTile& t : mac_.dockTiles())
            if (hasTileIdentity(t, r.key.part)) {
                r.tile = t;
                return r;
            }
        return std::nullopt;
    default:
        return r;
    }
}

QString SimAccessibility::describe(const AXElement& element) {
    auto r = resolve(element);
    if (!r) return QStringLiteral("<gone element %1>").arg(element.id());
    switch (r->key.kind) {
    case Kind::systemWide:
        return QStringLiteral("system-wide");
    case Kind::application:
        return QStringLiteral("app %1").arg(r->app->name);
    case Kind::window:
        return QStringLiteral("%1 window \"%2\"").arg(r->app->name, r->window->title);
    case Kind::button:
        return QStringLiteral("%1 of %2 window \"%3\"").arg(r->key.part, r->app->name, r->window->title);
    case Kind::dockList:
        return QStringLiteral("Dock list");
    case Kind::dockItem:
        return QStringLiteral("Dock item \"%1\"").arg(r->tile->title);
    }
    return {};
}

bool SimAccessibility::isProcessTrustedWithOptions(bool prompt) {
    if (prompt && !mac_.isTrusted()) mac_.notePermissionPrompt();
    return mac_.isTrusted();
}

AXError SimAccessibility::pid(const AXElement& element, int* pid) {
    if (!mac_.isTrusted()) return AXError::apiDisabled;
    if (element.isNull()) return AXError::illegalArgument;
    auto r = resolve(element);
    if (!r) return AXError::invalidUIElement;
    if (r->key.kind == Kind::systemWide) return AXError::illegalArgument;
    if (pid) *pid = r->key.pid;
    return AXError::success;
}

AXElement SimAccessibility::hitTest(int onlyPid, Point axPoint) {
    const Point appKit = mac_.toAppKit(axPoint);
    const int dock = mac_.dockPid();
    if (dock != 0 && (onlyPid == 0 || onlyPid == dock)) {
        const auto tiles = mac_.dockTiles();
        for (const DockTile& t : tiles)
            if (t.frame.contains(appKit)) return dockItemElement(t);
        if (mac_.dockFrame().contains(appKit)) return element(Key{Kind::dockList, dock, 0, {}});
    }
    for (int pid : mac_.activationOrder()) {
        if (onlyPid != 0 && pid != onlyPid) continue;
        App* app = mac_.app(pid);
        if (!app || app->hidden) continue;
        for (const Window& w : app->windows) {
            if (w.minimized || !w.frame.contains(axPoint)) continue;
            for (const QString& b : buttonsOf(w))
                if (b != kFullScreen && buttonFrame(w, b).contains(axPoint))
                    return element(Key{Kind::button, pid, w.id, b});
            return windowElement(pid, w.id);
        }
    }
    return {};
}

AXError SimAccessibility::elementAtPosition(const AXElement& root, float x, float y, AXElement* out) {
    if (!mac_.isTrusted()) return AXError::apiDisabled;
    auto r = resolve(root);
    if (!r) return root.isNull() ? AXError::illegalArgument : AXError::invalidUIElement;
    if (r->key.kind != Kind::systemWide && r->key.kind != Kind::application) return AXError::illegalArgument;
    const AXElement hit = hitTest(r->key.kind == Kind::application ? r->key.pid : 0, Point{double(x), double(y)});
    if (hit.isNull()) return AXError::noValue;
    if (out) *out = hit;
    return AXError::success;
}

QStringList SimAccessibility::attributeNames(const Resolved& r) const {
    switch (r.key.kind) {
    case Kind::systemWide:
        return {QStringLiteral("AXRole"), QStringLiteral("AXFocusedApplication")};
    case Kind::application:
        return {QStringLiteral("AXRole"),          QStringLiteral("AXTitle"),      QStringLiteral("AXWindows"),
                QStringLiteral("AXFocusedWindow"), QStringLiteral("AXMainWindow"), QStringLiteral("AXFrontmost"),
                QStringLiteral("AXHidden"),        QStringLiteral("AXChildren")};
    case Kind::window: {
        QStringList names{QStringLiteral("AXRole"),     QStringLiteral("AXSubrole"), QStringLiteral("AXTitle"),
                          QStringLiteral("AXPosition"), QStringLiteral("AXSize"),    QStringLiteral("AXMinimized"),
                          QStringLiteral("AXFocused"),  QStringLiteral("AXMain"),    QStringLiteral("AXFullScreen"),
                          QStringLiteral("AXParent"),   QStringLiteral("AXChildren")};
        if (r.window->document) names << QStringLiteral("AXDocument");
        names << buttonsOf(*r.window);
        return names;
    }
    case Kind::button:
        return {QStringLiteral("AXRole"), QStringLiteral("AXSubrole"), QStringLiteral("AXParent"),
                QStringLiteral("AXEnabled")};
    case Kind::dockList:
        return {QStringLiteral("AXRole"), QStringLiteral("AXParent"), QStringLiteral("AXChildren"),
                QStringLiteral("AXPosition"), QStringLiteral("AXSize")};
    case Kind::dockItem:
        return {QStringLiteral("AXRole"),  QStringLiteral("AXSubrole"),
                QStringLiteral("AXTitle"), QStringLiteral("AXParent"),
                QStringLiteral("AXURL"),   QStringLiteral("AXPosition"),
                QStringLiteral("AXSize"),  QStringLiteral("AXIsApplicationRunning")};
    }
    return {};
}

AXError SimAccessibility::copyAttributeNames(const AXElement& element, QStringList* names) {
    if (!mac_.isTrusted()) return AXError::apiDisabled;
    auto r = resolve(element);
    if (!r) return element.isNull() ? AXError::illegalArgument : AXError::invalidUIElement;
    if (names) *names = attributeNames(*r);
    return AXError::success;
}

AXError SimAccessibility::copyAttributeValue(const AXElement& element, const QString& attribute, AXValue* value) {
    if (!mac_.isTrusted()) return AXError::apiDisabled;
    if (element.isNull()) return AXError::illegalArgument;
    auto r = resolve(element);
    if (!r) return AXError::invalidUIElement;
    AXValue v;
    const AXError e = read(*r, attribute, &v);
    if (e == AXError::success && value) *value = v;
    return e;
}

AXError SimAccessibility::read(const Resolved& r, const QString& a, AXValue* v) {
    auto is = [&a](const char* name) { return a == QLatin1String(name); };
    switch (r.key.kind) {
    case Kind::systemWide:
        if (is("AXRole")) return *v = QStringLiteral("AXSystemWide"), AXError::success;
        if (is("AXFocusedApplication")) {
            if (mac_.frontmostPid() == 0) return AXError::noValue;
            return *v = applicationElement(mac_.frontmostPid()), AXError::success;
        }
        break;
    case Kind::application: {
        App& app = *r.app;
        if (is("AXRole")) return *v = QStringLiteral("AXApplication"), AXError::success;
        if (is("AXTitle")) return *v = app.name, AXError::success;
        if (is("AXFrontmost")) return *v = mac_.frontmostPid() == app.pid, AXError::success;
        if (is("AXHidden")) return *v = app.hidden, AXError::success;
        if (is("AXWindows") || is("AXChildren")) {
            std::vector<AXElement> list;
            if (app.pid == mac_.dockPid()) {
                if (is("AXWindows")) return *v = list, AXError::success;
                list.push_back(element(Key{Kind::dockList, app.pid, 0, {}}));
            }
            for (const Window& w : app.windows)
                list.push_back(windowElement(app.pid, w.id));
            return *v = list, AXError::success;
        }
        if (is("AXFocusedWindow") || is("AXMainWindow")) {
            auto focused = mac_.focusedWindowId(app);
            if (!focused) return AXError::noValue;
            return *v = windowElement(app.pid, *focused), AXError::success;
        }
        if (is("AXParent")) return AXError::noValue;
        break;
    }
    case Kind::window: {
        const Window& w = *r.window;
        if (w.unreadableAttributes.contains(a)) return AXError::cannotComplete;
        if (is("AXRole")) return *v = w.role, AXError::success;
        if (is("AXSubrole")) return *v = w.subrole, AXError::success;
        if (is("AXTitle")) return *v = w.title, AXError::success;
        if (is("AXDocument")) return w.document ? (*v = *w.document, AXError::success) : AXError::noValue;
        if (is("AXPosition")) return *v = w.frame.origin, AXError::success;
        if (is("AXSize")) return *v = w.frame.size, AXError::success;
        if (is("AXMinimized")) return *v = w.minimized, AXError::success;
        if (is("AXFullScreen")) return *v = w.fullScreen, AXError::success;
        if (is("AXFocused") || is("AXMain")) return *v = mac_.focusedWindowId(*r.app) == w.id, AXError::success;
        if (is("AXParent")) return *v = applicationElement(r.app->pid), AXError::success;
        if (is("AXChildren")) {
            std::vector<AXElement> list;
            for (const QString& b : buttonsOf(w))
                list.push_back(element(Key{Kind::button, r.app->pid, w.id, b}));
            return *v = list, AXError::success;
        }
        if (a.endsWith(QLatin1String("Button")) && a.startsWith(QLatin1String("AX"))) {
            if (!buttonsOf(w).contains(a)) return AXError::noValue;
            return *v = element(Key{Kind::button, r.app->pid, w.id, a}), AXError::success;
        }
        break;
    }
    case Kind::button:
        if (is("AXRole")) return *v = QStringLiteral("AXButton"), AXError::success;
        if (is("AXSubrole")) return *v = r.key.part, AXError::success;
        if (is("AXEnabled")) return *v = true, AXError::success;
        if (is("AXParent")) return *v = windowElement(r.app->pid, r.window->id), AXError::success;
        break;
    case Kind::dockList: {
        if (is("AXRole")) return *v = QStringLiteral("AXList"), AXError::success;
        if (is("AXParent")) return *v = applicationElement(r.key.pid), AXError::success;
        const Rect frame = flippedTileFrame(mac_, mac_.dockFrame());
        if (is("AXPosition")) return *v = frame.origin, AXError::success;
        if (is("AXSize")) return *v = frame.size, AXError::success;
        if (is("AXChildren")) {
            std::vector<AXElement> list;
            for (const DockTile& t : mac_.dockTiles())
                list.push_back(dockItemElement(t));
            return *v = list, AXError::success;
        }
        break;
    }
    case Kind::dockItem: {
        const DockTile& t = *r.tile;
        if (is("AXRole")) return *v = QStringLiteral("AXDockItem"), AXError::success;
        if (is("AXSubrole")) return *v = tileSubrole(t.kind), AXError::success;
        if (is("AXTitle"))
            return t.kind == DockTileKind::separator ? AXError::noValue : (*v = t.title, AXError::success);
        if (is("AXParent")) return *v = element(Key{Kind::dockList, r.key.pid, 0, {}}), AXError::success;
        if (is("AXURL")) {
            if (t.path.isEmpty()) return AXError::noValue;
            return *v = AXUrl{QStringLiteral("file://") + t.path + QLatin1Char('/')}, AXError::success;
        }
        const Rect frame = flippedTileFrame(mac_, t.frame);
        if (is("AXPosition")) return *v = frame.origin, AXError::success;
        if (is("AXSize")) return *v = frame.size, AXError::success;
        if (is("AXIsApplicationRunning")) {
            if (t.kind != DockTileKind::application) return AXError::attributeUnsupported;
            const bool running = (!t.bundleIdentifier.isEmpty() && mac_.appWithBundleId(t.bundleIdentifier)) ||
                                 (!t.path.isEmpty() && mac_.appWithPath(t.path));
            return *v = running, AXError::success;
        }
        break;
    }
    }
    return AXError::attributeUnsupported;
}

AXError SimAccessibility::isAttributeSettable(const AXElement& element, const QString& attribute, bool* settable) {
    if (!mac_.isTrusted()) return AXError::apiDisabled;
    auto r = resolve(element);
    if (!r) return element.isNull() ? AXError::illegalArgument : AXError::invalidUIElement;
    static const QStringList windowSettable{QStringLiteral("AXMinimized"), QStringLiteral("AXPosition"),
                                            QStringLiteral("AXSize"),      QStringLiteral("AXFocused"),
                                            QStringLiteral("AXMain"),      QStringLiteral("AXFullScreen")};
    static const QStringList appSettable{QStringLiteral("AXFrontmost"), QStringLiteral("AXHidden"),
                                         QStringLiteral("AXFocusedWindow")};
    bool result = false;
    if (r->key.kind == Kind::window)
        result = windowSettable.contains(attribute);
    else if (r->key.kind == Kind::application)
        result = appSettable.contains(attribute);
    if (settable) *settable = result;
    return attributeNames(*r).contains(attribute) ? AXError::success : AXError::attributeUnsupported;
}

AXError SimAccessibility::setAttributeValue(const AXElement& element, const QString& attribute, const AXValue& value) {
    if (!mac_.isTrusted()) return AXError::apiDisabled;
    const QString target = describe(element);
    AXError result = AXError::illegalArgument;
    if (!element.isNull()) {
        auto r = resolve(element);
        result = r ? write(*r, attribute, value) : AXError::invalidUIElement;
    }
    mac_.recorder().record(
        EventKind::accessibilityWrite,
        QStringLiteral("set %1=%2 on %3 -> %4").arg(attribute, value.describe(), target).arg(code(result)));
    return result;
}

AXError SimAccessibility::write(Resolved& r, const QString& a, const AXValue& value) {
    if (r.key.kind == Kind::application) {
        App& app = *r.app;
        if (a == QLatin1String("AXFrontmost")) {
            auto on = value.toBool();
            if (!on) return AXError::illegalArgument;
            if (*on) mac_.activate(app.pid);
            return AXError::success;
        }
        if (a == QLatin1String("AXHidden")) {
            auto on = value.toBool();
            if (!on) return AXError::illegalArgument;
            mac_.setHidden(app.pid, *on);
            return AXError::success;
        }
        if (a == QLatin1String("AXFocusedWindow")) {
            auto target = value.toElement();
            if (!target) return AXError::illegalArgument;
            auto w = resolve(*target);
            if (!w || w->key.kind != Kind::window || w->key.pid != app.pid) return AXError::illegalArgument;
            if (w->window->refusedWriteError) return static_cast<AXError>(*w->window->refusedWriteError);
            mac_.raise(app, w->window->id);
            return AXError::success;
        }
        return AXError::attributeUnsupported;
    }
    if (r.key.kind != Kind::window) return AXError::attributeUnsupported;
    Window& w = *r.window;
    App& app = *r.app;
    static const QStringList settable{QStringLiteral("AXMinimized"), QStringLiteral("AXPosition"),
                                      QStringLiteral("AXSize"),      QStringLiteral("AXFocused"),
                                      QStringLiteral("AXMain"),      QStringLiteral("AXFullScreen")};
    if (!settable.contains(a)) return AXError::attributeUnsupported;
    if (w.refusedWriteError) return static_cast<AXError>(*w.refusedWriteError);
    if (a == QLatin1String("AXPosition")) {
        auto p = value.toPoint();
        if (!p) return AXError::illegalArgument;
        if (w.fullScreen) return AXError::cannotComplete;
        w.frame.origin = *p;
        w.frameBeforeZoom.reset();
        return AXError::success;
    }
    if (a == QLatin1String("AXSize")) {
        auto s = value.toSize();
        if (!s || s->width < 0 || s->height < 0) return AXError::illegalArgument;
        if (w.fullScreen) return AXError::cannotComplete;
        w.frame.size = *s;
        w.frameBeforeZoom.reset();
        return AXError::success;
    }
    auto on = value.toBool();
    if (!on) return AXError::illegalArgument;
    const std::uint64_t id = w.id;
    if (a == QLatin1String("AXMinimized")) {
        mac_.setMinimized(app, id, *on);
        return AXError::success;
    }
    if (a == QLatin1String("AXFocused") || a == QLatin1String("AXMain")) {
        if (*on) mac_.raise(app, id);
        return AXError::success;
    }
    if (a == QLatin1String("AXFullScreen")) {
        if (!w.hasZoomAndFullScreenButtons()) return AXError::cannotComplete;
        mac_.setFullScreen(app, id, *on);
        return AXError::success;
    }
    return AXError::attributeUnsupported;
}

AXError SimAccessibility::performAction(const AXElement& element, const QString& action) {
    if (!mac_.isTrusted()) return AXError::apiDisabled;
    const QString target = describe(element);
    AXError result = AXError::illegalArgument;
    if (!element.isNull()) {
        auto r = resolve(element);
        result = r ? act(*r, action) : AXError::invalidUIElement;
    }
    mac_.recorder().record(EventKind::accessibilityAction,
                           QStringLiteral("%1 on %2 -> %3").arg(action, target).arg(code(result)));
    return result;
}

AXError SimAccessibility::act(Resolved& r, const QString& action) {
    if (r.key.kind == Kind::window) {
        App& app = *r.app;
        const std::uint64_t id = r.window->id;
        if (action == QLatin1String("AXRaise")) {
            mac_.raise(app, id);
            return AXError::success;
        }
        if (action == QLatin1String("AXCancel") &&
            (r.window->subrole == QLatin1String("AXDialog") || r.window->subrole == QLatin1String("AXSystemDialog"))) {
            mac_.closeWindow(app, id);
            return AXError::success;
        }
        return AXError::actionUnsupported;
    }
    if (r.key.kind == Kind::button) {
        if (action != QLatin1String("AXPress")) return AXError::actionUnsupported;
        App& app = *r.app;
        Window& w = *r.window;
        const std::uint64_t id = w.id;
        if (r.key.part == kClose)
            mac_.closeWindow(app, id);
        else if (r.key.part == kMinimize)
            mac_.setMinimized(app, id, true);
        else if (r.key.part == kFullScreen)
            mac_.setFullScreen(app, id, !w.fullScreen);
        else if (r.key.part == kZoom) {
            if (w.fullScreen)
                mac_.setFullScreen(app, id, false);
            else if (w.frameBeforeZoom) {
                w.frame = *w.frameBeforeZoom;
                w.frameBeforeZoom.reset();
            } else if (const Screen* s = mac_.screen(mac_.mainScreenId())) {
                // Zoom fills the visible part of the main screen, and a second press puts it back.
                const Rect before = w.frame;
                w.frame = Rect(s->visibleFrame.minX(), mac_.primaryHeight() - s->visibleFrame.maxY(),
                               s->visibleFrame.width(), s->visibleFrame.height());
                w.frameBeforeZoom = before;
            }
        }
        return AXError::success;
    }
    if (r.key.kind == Kind::dockItem) {
        if (action == QLatin1String("AXPress")) {
            mac_.clickDockTile(*r.tile);
            return AXError::success;
        }
        if (action == QLatin1String("AXShowMenu")) return AXError::success;
        return AXError::actionUnsupported;
    }
    return AXError::actionUnsupported;
}

} // namespace nimbrel::sim
