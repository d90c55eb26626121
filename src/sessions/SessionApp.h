#pragma once

#include "platform/Uuid.h"

#include <QString>

#include <optional>
#include <vector>

namespace nimbrel {

class FileSystem;
class Workspace;

// One application of a session: one of its Dock apps or of its whitelisted apps.
struct NimbrelSessionApp {
    Uuid id;
    QString displayName;
    std::optional<QString> bundleIdentifier;
    std::optional<QString> path; // the bundle's (or a folder's) path; may begin with "~"

    // Builds an app with a new id from raw values: trimmed, empty parts dropped, and any
    // spelling of Finder turned into the one Finder app.
    static NimbrelSessionApp normalizing(const QString& displayName, const std::optional<QString>& bundleIdentifier,
                                         const std::optional<QString>& path);

    // The session app key: "bundle:<id>", "path:<path>" or "name:<name>", lower-cased after the
    // prefix; Finder is always "bundle:com.apple.finder", the Applications folder "path:/Applications".
    QString identityKey() const;
    bool isFinder() const;
    bool isApplicationsFolder() const;
    // Finder, the Applications folder or Launchpad: items the Dock has of its own.
    bool isSystemDockItem() const;

    static const NimbrelSessionApp& finder();
    static const NimbrelSessionApp& applicationsFolder();
    // Launchpad where the workspace or the usual folders have it; none when it is not installed.
    static std::optional<NimbrelSessionApp> launchpad(const Workspace& workspace, const FileSystem& files);
    // Finder, then Launchpad when it is installed.
    static std::vector<NimbrelSessionApp> defaultDockApps(const Workspace& workspace, const FileSystem& files);

    friend bool operator==(const NimbrelSessionApp&, const NimbrelSessionApp&) = default;
};

inline const QString kFinderIdentityKey = QStringLiteral("bundle:com.apple.finder");
inline const QString kApplicationsFolderIdentityKey = QStringLiteral("path:/Applications");
inline const QString kLaunchpadBundleIdentifier = QStringLiteral("com.apple.launchpad.launcher");

// The first app of each identity key, each remade by `NimbrelSessionApp::normalizing`, in order.
std::vector<NimbrelSessionApp> deduplicatedApps(const std::vector<NimbrelSessionApp>& apps);

} // namespace nimbrel
