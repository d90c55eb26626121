#include "model/InstalledAppScan.h"

#include "model/ApplicationFolderWalk.h"
#include "platform/Files.h"
#include "platform/TextServices.h"
#include "platform/Workspace.h"

#include <algorithm>
#include <map>
#include <set>

namespace nimbrel {

namespace {

// Appends `items` to `out`, skipping what is already there; the first occurrence keeps its place.
void appendUnique(QStringList& out, std::set<QString>& seen, const QStringList& items) {
    for (const QString& item : items)
        if (seen.insert(item).second) out.append(item);
}

QString nonEmptyText(const QVariant& value) {
    if (value.typeId() != QMetaType::QString) return {};
    return value.toString();
}

QString fileNameWithoutExtension(const QString& path) {
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    QString name = trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0) name.truncate(dot);
    return name;
}

} // namespace

const std::vector<QString>& InstalledAppScan::wellKnownAppBundleIdentifiers() {
    static const std::vector<QString> kIdentifiers = {
        QStringLiteral("com.apple.finder"),
        QStringLiteral("com.apple.Safari"),
        QStringLiteral("com.apple.mail"),
        QStringLiteral("com.apple.MobileSMS"),
        QStringLiteral("com.apple.iCal"),
        QStringLiteral("com.apple.AddressBook"),
        QStringLiteral("com.apple.Notes"),
        QStringLiteral("com.apple.reminders"),
        QStringLiteral("com.apple.Maps"),
        QStringLiteral("com.apple.Photos"),
        QStringLiteral("com.apple.Music"),
        QStringLiteral("com.apple.TV"),
        QStringLiteral("com.apple.podcasts"),
        QStringLiteral("com.apple.AppStore"),
        QStringLiteral("com.apple.systempreferences"),
        QStringLiteral("com.apple.Terminal"),
        QStringLiteral("com.apple.TextEdit"),
        QStringLiteral("com.apple.Preview"),
        QStringLiteral("com.apple.calculator"),
        QStringLiteral("com.apple.Dictionary"),
        QStringLiteral("com.apple.FaceTime"),
        QStringLiteral("com.apple.findmy"),
        QStringLiteral("com.apple.Freeform"),
        QStringLiteral("com.apple.Home"),
        QStringLiteral("com.apple.news"),
        QStringLiteral("com.apple.stocks"),
        QStringLiteral("com.apple.weather"),
        QStringLiteral("com.apple.VoiceMemos"),
        QStringLiteral("com.apple.ScreenContinuity"),
        QStringLiteral("com.apple.Automator"),
        QStringLiteral("com.apple.ScriptEditor2"),
        QStringLiteral("com.apple.ActivityMonitor"),
        QStringLiteral("com.apple.Console"),
        QStringLiteral("com.apple.DiskUtility"),
        QStringLiteral("com.apple.keychainaccess"),
    };
    return kIdentifiers;
}

const std::vector<QString>& InstalledAppScan::wellKnownAppPaths() {
    static const std::vector<QString> kPaths = {
        QStringLiteral("/System/Library/CoreServices/Finder.app"),
        QStringLiteral("/System/Library/CoreServices/System Settings.app"),
        QStringLiteral("/System/Applications/Safari.app"),
        QStringLiteral("/System/Cryptexes/App/System/Applications/Safari.app"),
        QStringLiteral("/System/Volumes/Preboot/Cryptexes/App/System/Applications/Safari.app"),
    };
    return kPaths;
}

QStringList InstalledAppScan::systemApplicationFolders() {
    return {
        QStringLiteral("/Applications"),
        QStringLiteral("/System/Applications"),
        QStringLiteral("/System/Applications/Utilities"),
        QStringLiteral("/System/Library/CoreServices"),
        QStringLiteral("/System/Library/CoreServices/Applications"),
        QStringLiteral("/System/Cryptexes/App/System/Applications"),
        QStringLiteral("/System/Volumes/Preboot/Cryptexes/App/System/Applications"),
    };
}

QStringList InstalledAppScan::applicationSearchRoots() const {
    QStringList roots = systemApplicationFolders();
    const QString home = files_.homeDirectory();
    if (!home.isEmpty())
        roots.append((home.endsWith(QLatin1Char('/')) ? home : home + QLatin1Char('/')) +
                     QStringLiteral("Applications"));
    QStringList unique;
    std::set<QString> seen;
    appendUnique(unique, seen, roots);
    return unique;
}

QStringList InstalledAppScan::addWellKnownApps() const {
    QStringList found;
    for (const QString& identifier : wellKnownAppBundleIdentifiers())
        if (auto path = workspace_.urlForApplication(identifier); path && !path->isEmpty()) found.append(*path);
    for (const QString& path : wellKnownAppPaths())
        if (files_.exists(path)) found.append(path);
    QStringList unique;
    std::set<QString> seen;
    appendUnique(unique, seen, found);
    return unique;
}

QString InstalledAppScan::appDisplayName(const QString& bundlePath, bool bundleOpened) const {
    if (bundleOpened) {
        for (const QString& key : {QStringLiteral("CFBundleDisplayName"), QStringLiteral("CFBundleName")}) {
            const QString text = nonEmptyText(workspace_.infoPlistValue(bundlePath, key));
            if (!text.isEmpty()) return text;
        }
    }
    return fileNameWithoutExtension(bundlePath);
}

InstalledApp InstalledAppScan::makeApp(const QString& bundlePath) const {
    // A bundle opens when its folder is there; one without an identifier is keyed by its path.
    const bool opened = files_.isDirectory(bundlePath);
    std::optional<QString> identifier = opened ? workspace_.bundleIdentifier(bundlePath) : std::nullopt;
    if (identifier && identifier->isEmpty()) identifier.reset();

    InstalledApp app;
    app.id = identifier.value_or(bundlePath);
    app.bundleIdentifier = identifier;
    app.name = appDisplayName(bundlePath, opened);
    app.url = bundlePath;
    app.icon = AppIcon{workspace_.iconPath(bundlePath), kIconSize, kIconSize};
    return app;
}

std::vector<InstalledApp> InstalledAppScan::scanInstalledApplications() const {
    QStringList bundles;
    std::set<QString> seen;
    for (const QString& root : applicationSearchRoots())
        appendUnique(bundles, seen, scanApplicationFolder(files_, root));
    appendUnique(bundles, seen, addWellKnownApps());

    // One application per id: a later bundle with the same id replaces the earlier one.
    std::map<QString, InstalledApp> byId;
    for (const QString& path : bundles) {
        InstalledApp app = makeApp(path);
        QString id = app.id;
        byId.insert_or_assign(std::move(id), std::move(app));
    }

    std::vector<InstalledApp> apps;
    apps.reserve(byId.size());
    for (auto& [id, app] : byId)
        apps.push_back(std::move(app));
    std::stable_sort(apps.begin(), apps.end(), [](const InstalledApp& a, const InstalledApp& b) {
        return localizedCaseInsensitiveCompare(a.name, b.name) < 0;
    });
    return apps;
}

} // namespace nimbrel
