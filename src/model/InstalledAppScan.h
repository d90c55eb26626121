#pragma once

#include "model/InstalledApp.h"

#include <QStringList>

#include <vector>

namespace nimbrel {

class FileSystem;
class Workspace;

// Finds the applications installed on this Mac. Keeps nothing between calls: every
// scan walks the folders again and asks the workspace for new icons.
class InstalledAppScan {
  public:
    static constexpr double kIconSize = 40;

    InstalledAppScan(const FileSystem& files, const Workspace& workspace) : files_(files), workspace_(workspace) {}

    // Every installed application once per id, sorted by name (localized, case-insensitive).
    std::vector<InstalledApp> scanInstalledApplications() const;

    // The folders searched, each once, in this order: the system's application folders, then
    // the user's own.
    QStringList applicationSearchRoots() const;
    static QStringList systemApplicationFolders();
    // Apple's applications found by bundle identifier, then the fixed paths that exist.
    QStringList addWellKnownApps() const;
    // CFBundleDisplayName, else CFBundleName, else the file name without its extension.
    QString appDisplayName(const QString& bundlePath, bool bundleOpened) const;

    static const std::vector<QString>& wellKnownAppBundleIdentifiers();
    static const std::vector<QString>& wellKnownAppPaths();

  private:
    InstalledApp makeApp(const QString& bundlePath) const;

    const FileSystem& files_;
    const Workspace& workspace_;
};

} // namespace nimbrel
