#pragma once

#include "platform/Published.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace nimbrel {

struct Platform;

// The applications installed on this Mac, scanned once per run off the main thread and
// published sorted by name: the rule editor's app picker and the session editor list them.
class NimbrelInstalledApps : public std::enable_shared_from_this<NimbrelInstalledApps> {
  public:
    // One installed application of the catalogue (the blacklist keeps its own, larger entry).
    struct InstalledApp {
        QString id; // the bundle identifier
        QString displayName;
        QString bundleIdentifier;
        QString path; // the bundle's path

        friend bool operator==(const InstalledApp&, const InstalledApp&) = default;
    };

    // Starts with the list of an earlier scan of this run, or starts the scan.
    static std::shared_ptr<NimbrelInstalledApps> create(Platform& platform);
    static std::shared_ptr<NimbrelInstalledApps> sharedPtr();
    static NimbrelInstalledApps& shared();

    // Sorted by display name; empty until the first scan has finished.
    const Published<std::vector<InstalledApp>>& apps() const { return apps_; }
    // True while this instance's scan runs; a finished scan with nothing found leaves an empty list.
    const Published<bool>& isLoading() const { return isLoading_; }

    // The first scan's result for the rest of the run; none before it has finished.
    static std::optional<std::vector<InstalledApp>> cachedApps();

    // The whole scan: the application folders, then the well-known apps, once per identifier
    // (a later find replaces an earlier one), sorted by name. Reads only files and bundles, so
    // it may run on a worker thread.
    static std::vector<InstalledApp> scanInstalledApps(const Platform& platform);
    static QStringList applicationFolders();
    // The bundles of the well-known apps that this Mac has, each once.
    static QStringList wellKnownApps(const Platform& platform);
    // CFBundleDisplayName, else CFBundleName (with a bundle), else the file name without
    // every ".app", else the last path component without its extension.
    static QString displayName(const Platform& platform, const QString& bundlePath, bool bundleOpened);
    // Stable, by display name (localized, case-insensitive).
    static void sortedByName(std::vector<InstalledApp>& apps);

  private:
    explicit NimbrelInstalledApps(Platform& platform) : platform_(platform) {}
    void startLoadTask();
    void publishScanResult(std::vector<InstalledApp> apps);

    Platform& platform_;
    Published<std::vector<InstalledApp>> apps_;
    Published<bool> isLoading_{false};
};

} // namespace nimbrel
