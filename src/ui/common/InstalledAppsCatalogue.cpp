#include "ui/common/InstalledAppsCatalogue.h"

#include "model/ApplicationFolderWalk.h"
#include "model/InstalledAppScan.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "platform/SharedInstance.h"
#include "platform/TextServices.h"
#include "platform/Workspace.h"

#include <algorithm>
#include <map>

namespace nimbrel {

namespace {

// The process-wide result of the first scan; a shared instance so that tests start without one.
struct CatalogueCache {
    std::optional<std::vector<NimbrelInstalledApps::InstalledApp>> apps;
};

CatalogueCache& catalogueCache() {
    return sharedInstance<CatalogueCache>([] { return std::make_shared<CatalogueCache>(); });
}

QString stringValue(const QVariant& value) {
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

QString lastPathComponent(const QString& path) {
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

void addBundle(const Platform& platform, const QString& bundlePath,
               std::map<QString, NimbrelInstalledApps::InstalledApp>& byIdentifier) {
    if (!platform.files->isDirectory(bundlePath)) return; // not a bundle that opens
    const std::optional<QString> identifier = platform.workspace->bundleIdentifier(bundlePath);
    if (!identifier || identifier->isEmpty()) return;
    byIdentifier.insert_or_assign(
        *identifier,
        NimbrelInstalledApps::InstalledApp{*identifier, NimbrelInstalledApps::displayName(platform, bundlePath, true),
                                           *identifier, bundlePath});
}

} // namespace

std::shared_ptr<NimbrelInstalledApps> NimbrelInstalledApps::create(Platform& platform) {
    std::shared_ptr<NimbrelInstalledApps> catalogue(new NimbrelInstalledApps(platform));
    if (auto cached = cachedApps())
        catalogue->apps_.set(std::move(*cached));
    else
        catalogue->startLoadTask();
    return catalogue;
}

std::shared_ptr<NimbrelInstalledApps> NimbrelInstalledApps::sharedPtr() {
    return sharedInstancePtr<NimbrelInstalledApps>([] { return create(Platform::current()); });
}

NimbrelInstalledApps& NimbrelInstalledApps::shared() {
    return *sharedPtr();
}

std::optional<std::vector<NimbrelInstalledApps::InstalledApp>> NimbrelInstalledApps::cachedApps() {
    return catalogueCache().apps;
}

void NimbrelInstalledApps::startLoadTask() {
    isLoading_.set(true);
    auto result = std::make_shared<std::vector<InstalledApp>>();
    // The task holds the catalogue until it has published.
    platform_.scheduler->runInBackground(
        [result, &platform = platform_] { *result = scanInstalledApps(platform); },
        [self = shared_from_this(), result] { self->publishScanResult(std::move(*result)); });
}

void NimbrelInstalledApps::publishScanResult(std::vector<InstalledApp> apps) {
    catalogueCache().apps = apps;
    apps_.set(std::move(apps));
    isLoading_.set(false);
}

QStringList NimbrelInstalledApps::applicationFolders() {
    return InstalledAppScan::systemApplicationFolders();
}

QStringList NimbrelInstalledApps::wellKnownApps(const Platform& platform) {
    return InstalledAppScan(*platform.files, *platform.workspace).addWellKnownApps();
}

QString NimbrelInstalledApps::displayName(const Platform& platform, const QString& bundlePath, bool bundleOpened) {
    if (bundleOpened) {
        for (const QString& key : {QStringLiteral("CFBundleDisplayName"), QStringLiteral("CFBundleName")}) {
            const QString text = stringValue(platform.workspace->infoPlistValue(bundlePath, key));
            if (!text.isEmpty()) return text;
        }
    }
    const QString fileName = lastPathComponent(bundlePath);
    QString localized = fileName;
    localized.remove(QStringLiteral(".app"));
    if (!localized.isEmpty()) return localized;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? fileName.left(dot) : fileName;
}

std::vector<NimbrelInstalledApps::InstalledApp> NimbrelInstalledApps::scanInstalledApps(const Platform& platform) {
    std::map<QString, InstalledApp> byIdentifier;
    for (const QString& folder : applicationFolders())
        for (const QString& bundle : scanApplicationFolder(*platform.files, folder))
            addBundle(platform, bundle, byIdentifier);
    for (const QString& bundle : wellKnownApps(platform))
        addBundle(platform, bundle, byIdentifier);

    std::vector<InstalledApp> apps;
    apps.reserve(byIdentifier.size());
    for (auto& [identifier, app] : byIdentifier)
        apps.push_back(std::move(app));
    sortedByName(apps);
    return apps;
}

void NimbrelInstalledApps::sortedByName(std::vector<InstalledApp>& apps) {
    stableSortByKey(apps, [](const InstalledApp& app) { return localizedCaseInsensitiveSortKey(app.displayName); });
}

} // namespace nimbrel
