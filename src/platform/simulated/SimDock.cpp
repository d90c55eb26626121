#include "platform/simulated/SimulatedMac.h"

#include <QFileInfo>
#include <QUrl>

// The Dock of the simulated Mac: its tiles (read from its preferences when it starts),
// their layout on the primary screen, and what a click on a tile does.
namespace nimbrel::sim {

namespace {
constexpr double kTileSize = 56;
constexpr double kTilePitch = 60;
constexpr double kSeparatorPitch = 16;
constexpr double kDockThickness = 70;
constexpr double kDockPadding = 8;

QString pathFromTileURL(const QString& text) {
    QString path = text;
    if (text.startsWith(QLatin1String("file://"))) {
        const QUrl url(text);
        if (url.isValid()) path = url.toLocalFile();
    }
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString recordedName(const DockTile& tile) {
    return QStringLiteral("%1 (%2)").arg(tile.title.isEmpty() ? QStringLiteral("separator") : tile.title,
                                         dockTileKindName(tile.kind));
}
} // namespace

std::vector<DockTile> SimulatedMac::readTilesFromPreferences(const QString& key, DockTileKind fallbackKind) const {
    std::vector<DockTile> tiles;
    const QVariant value = dockStored_.value(key);
    if (value.typeId() != QMetaType::QVariantList) return tiles;
    for (const QVariant& entry : value.toList()) {
        // The Dock skips entries it cannot read, as it does with damaged tiles.
        if (entry.typeId() != QMetaType::QVariantMap) continue;
        const QVariantMap tileData = entry.toMap().value(QStringLiteral("tile-data")).toMap();
        const QVariantMap fileData = tileData.value(QStringLiteral("file-data")).toMap();
        const QString urlText = fileData.value(QStringLiteral("_CFURLString")).toString();
        if (urlText.isEmpty()) continue;
        DockTile tile;
        tile.path = pathFromTileURL(urlText);
        tile.title = tileData.value(QStringLiteral("file-label")).toString();
        if (tile.title.isEmpty()) tile.title = QFileInfo(tile.path).completeBaseName();
        if (tile.path.endsWith(QLatin1String(".app"))) {
            tile.kind = DockTileKind::application;
            if (auto installed = installedApplicationAt(tile.path))
                tile.bundleIdentifier = installed->bundleIdentifier;
            else
                tile.bundleIdentifier = tileData.value(QStringLiteral("bundle-identifier")).toString();
        } else {
            tile.kind = QFileInfo(realPath(tile.path)).isDir() ? DockTileKind::folder : fallbackKind;
        }
        tiles.push_back(tile);
    }
    return tiles;
}

QVariantMap SimulatedMac::dockTileEntry(const QString& path, const QString& label, const QString& bundleIdentifier,
                                        bool directory) {
    QString url = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    if (!url.endsWith(QLatin1Char('/'))) url += QLatin1Char('/');
    QVariantMap tileData{{QStringLiteral("file-data"), QVariantMap{{QStringLiteral("_CFURLString"), url},
                                                                   {QStringLiteral("_CFURLStringType"), qint64(15)}}},
                         {QStringLiteral("file-label"), label}};
    if (!bundleIdentifier.isEmpty()) tileData.insert(QStringLiteral("bundle-identifier"), bundleIdentifier);
    return {{QStringLiteral("tile-type"), directory ? QStringLiteral("directory-tile") : QStringLiteral("file-tile")},
            {QStringLiteral("tile-data"), tileData}};
}

void SimulatedMac::setDockRewritesPreferences(bool on, QStringList apps) {
    dockRewrite_ = on ? std::optional(std::move(apps)) : std::nullopt;
}

void SimulatedMac::writeDockTiles(const std::vector<DockTile>& tiles, const QString& why) {
    QVariantList entries;
    QStringList titles;
    for (const DockTile& t : tiles) {
        QVariantMap entry = dockTileEntry(t.path, t.title, t.bundleIdentifier, false);
        // The Dock numbers its tiles; what it writes is never byte for byte what it was given.
        entry.insert(QStringLiteral("GUID"), qint64(1000 + entries.size()));
        entries << entry;
        titles << t.title;
    }
    dockPending_.insert(QStringLiteral("persistent-apps"), entries);
    dockStored_.insert(QStringLiteral("persistent-apps"), entries);
    recorder_.record(EventKind::dockPreferences,
                     QStringLiteral("%1: persistent-apps = [%2]").arg(why, titles.join(QStringLiteral(", "))));
}

DockTile SimulatedMac::applicationTile(const QString& path) const {
    DockTile tile;
    tile.path = path;
    tile.title = QFileInfo(path).completeBaseName();
    if (auto installed = installedApplicationAt(path)) {
        tile.title = installed->name;
        tile.bundleIdentifier = installed->bundleIdentifier;
    }
    return tile;
}

void SimulatedMac::userChangesDock(const QStringList& addPaths, const QStringList& removeTitles) {
    std::erase_if(persistentTiles_, [&](const DockTile& t) { return removeTitles.contains(t.title); });
    for (const QString& path : addPaths)
        persistentTiles_.push_back(applicationTile(path));
    writeDockTiles(persistentTiles_, QStringLiteral("the user changed the Dock"));
}

void SimulatedMac::setDockOrientation(DockOrientation o) {
    orientation_ = o;
    dockPending_.insert(QStringLiteral("orientation"), orientationName(o));
    dockStored_.insert(QStringLiteral("orientation"), orientationName(o));
}

bool SimulatedMac::synchronizeDockPreferences() {
    if (dockSynchronizeFails_) return false;
    dockStored_ = dockPending_;
    dockPreferencesBroken_ = dockPreferencesBroken_ &&
                             dockStored_.value(QStringLiteral("persistent-apps")).typeId() != QMetaType::QVariantList;
    return true;
}

void SimulatedMac::breakDockPreferences(bool domainGone) {
    dockPreferencesBroken_ = true;
    if (domainGone) {
        dockStored_.clear();
        dockPending_.clear();
        return;
    }
    dockStored_.insert(QStringLiteral("persistent-apps"), 42);
    dockPending_.insert(QStringLiteral("persistent-apps"), 42);
}

void SimulatedMac::repairDockPreferences() {
    dockPreferencesBroken_ = false;
    writeDockTiles(persistentTiles_, QStringLiteral("the Dock's preferences can be read again"));
}

void SimulatedMac::restartDock() {
    if (dockPid_ != 0) {
        const int old = dockPid_;
        if (const App* dock = app(old)) {
            RunningApplication last = snapshot(*dock);
            last.isTerminated = true;
            departed_[old] = last;
        }
        std::erase_if(apps_, [old](const App& a) { return a.pid == old; });
        dockPid_ = 0;
        postNotice(kNoticeDidTerminate, old);
    }
    if (!dockPreferencesBroken_)
        persistentTiles_ = readTilesFromPreferences(QStringLiteral("persistent-apps"), DockTileKind::file);
    if (dockRewrite_ && !dockRewrite_->isEmpty()) {
        persistentTiles_.clear();
        for (const QString& path : *dockRewrite_)
            persistentTiles_.push_back(applicationTile(path));
    }
    otherTiles_ = readTilesFromPreferences(QStringLiteral("persistent-others"), DockTileKind::file);
    if (auto o = orientationFromName(dockStored_.value(QStringLiteral("orientation")).toString())) orientation_ = *o;
    InstalledApp dock{QStringLiteral("/System/Library/CoreServices/Dock.app"), kDockBundleId, QStringLiteral("Dock")};
    if (auto installed = installedApplication(kDockBundleId)) dock = *installed;
    startApplication(dock, false, false);
    QStringList titles;
    for (const DockTile& t : persistentTiles_)
        titles << t.title;
    recorder_.record(EventKind::dockPreferences, QStringLiteral("Dock restarted pid=%1 persistent-apps=[%2]")
                                                     .arg(dockPid_)
                                                     .arg(titles.join(QStringLiteral(", "))));
    if (dockRewrite_) writeDockTiles(persistentTiles_, QStringLiteral("the Dock rewrote its preferences"));
}

std::vector<DockTile> SimulatedMac::dockTiles() const {
    std::vector<DockTile> tiles;
    if (dockPid_ == 0) return tiles; // the Dock is not running
    DockTile finder;
    finder.title = QStringLiteral("Finder");
    finder.path = QStringLiteral("/System/Library/CoreServices/Finder.app");
    finder.bundleIdentifier = kFinderBundleId;
    tiles.push_back(finder);
    for (const DockTile& t : persistentTiles_)
        if (t.bundleIdentifier != kFinderBundleId) tiles.push_back(t);
    // Running applications that have no tile of their own show after the kept ones.
    for (const App& a : apps_) {
        if (a.policy != ActivationPolicy::regular || a.bundleIdentifier == kFinderBundleId) continue;
        bool kept = false;
        for (const DockTile& t : tiles)
            if (t.kind == DockTileKind::application &&
                ((!a.bundleIdentifier.isEmpty() && t.bundleIdentifier == a.bundleIdentifier) || t.path == a.bundlePath))
                kept = true;
        if (kept) continue;
        DockTile recent;
        recent.title = a.name;
        recent.path = a.bundlePath;
        recent.bundleIdentifier = a.bundleIdentifier;
        recent.persistent = false;
        tiles.push_back(recent);
    }
    DockTile separator;
    separator.kind = DockTileKind::separator;
    tiles.push_back(separator);
    for (const DockTile& t : otherTiles_)
        tiles.push_back(t);
    DockTile trash;
    trash.kind = DockTileKind::trash;
    trash.title = QStringLiteral("Trash");
    tiles.push_back(trash);
    layoutDock(tiles);
    return tiles;
}

void SimulatedMac::layoutDock(std::vector<DockTile>& tiles) const {
    const Screen* primary = nullptr;
    for (const Screen& s : screens_)
        if (s.frame.origin.x == 0 && s.frame.origin.y == 0) primary = &s;
    if (!primary && !screens_.empty()) primary = &screens_.front();
    if (!primary) return;
    double length = 0;
    for (const DockTile& t : tiles)
        length += t.kind == DockTileKind::separator ? kSeparatorPitch : kTilePitch;
    const Rect f = primary->frame;
    const double inset = (kDockThickness - kTileSize) / 2;
    if (orientation_ == DockOrientation::bottom) {
        double x = f.midX() - length / 2;
        for (DockTile& t : tiles) {
            const double pitch = t.kind == DockTileKind::separator ? kSeparatorPitch : kTilePitch;
            t.frame = Rect(x, f.minY() + inset, pitch, kTileSize);
            x += pitch;
        }
    } else {
        // Vertical Docks list their tiles from the top down.
        double y = f.midY() + length / 2;
        const double x = orientation_ == DockOrientation::left ? f.minX() + inset : f.maxX() - inset - kTileSize;
        for (DockTile& t : tiles) {
            const double pitch = t.kind == DockTileKind::separator ? kSeparatorPitch : kTilePitch;
            y -= pitch;
            t.frame = Rect(x, y, kTileSize, pitch);
        }
    }
}

Rect SimulatedMac::dockFrame() const {
    const auto tiles = dockTiles();
    if (tiles.empty()) return {};
    double minX = tiles.front().frame.minX(), maxX = tiles.front().frame.maxX();
    double minY = tiles.front().frame.minY(), maxY = tiles.front().frame.maxY();
    for (const DockTile& t : tiles) {
        minX = std::min(minX, t.frame.minX());
        maxX = std::max(maxX, t.frame.maxX());
        minY = std::min(minY, t.frame.minY());
        maxY = std::max(maxY, t.frame.maxY());
    }
    return Rect(minX - kDockPadding, minY - kDockPadding, maxX - minX + 2 * kDockPadding,
                maxY - minY + 2 * kDockPadding);
}

std::optional<size_t> SimulatedMac::dockTileIndexAt(Point appKit) const {
    const auto tiles = dockTiles();
    for (size_t i = 0; i < tiles.size(); ++i)
        if (tiles[i].frame.contains(appKit)) return i;
    return std::nullopt;
}

void SimulatedMac::releaseOnDockTile(const DockTile& tile, bool held) {
    if (held)
        recorder_.record(EventKind::system,
                         QStringLiteral("Dock press held on %1: menu, no click").arg(recordedName(tile)));
    else
        clickDockTile(tile);
}

void SimulatedMac::clickDockTile(const DockTile& tile) {
    recorder_.record(EventKind::system, QStringLiteral("Dock click on ") + recordedName(tile));
    switch (tile.kind) {
    case DockTileKind::trash:
        openTrashInFinder();
        return;
    case DockTileKind::folder:
    case DockTileKind::file:
    case DockTileKind::separator:
        return; // a stack pops up and goes away; nothing changes
    case DockTileKind::application:
        break;
    }
    App* running = tile.bundleIdentifier.isEmpty() ? appWithPath(tile.path) : appWithBundleId(tile.bundleIdentifier);
    if (!running) {
        auto installed = tile.bundleIdentifier.isEmpty() ? installedApplicationAt(tile.path)
                                                         : installedApplication(tile.bundleIdentifier);
        if (installed) launch(*installed, true, {});
        return;
    }
    const int pid = running->pid;
    activate(pid);
    running = app(pid);
    bool anyVisible = false;
    for (const Window& w : running->windows)
        anyVisible = anyVisible || !w.minimized;
    if (!anyVisible && !running->windows.empty()) {
        // The Dock brings back the most recently minimized window.
        setMinimized(*running, running->windows.back().id, false);
    } else if (running->windows.empty() && running->bundleIdentifier == kFinderBundleId) {
        openFolderInFinder(identity_.homeDirectory());
    }
}

} // namespace nimbrel::sim
