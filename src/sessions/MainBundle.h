#pragma once

#include <QString>
#include <QVariant>

#include <optional>

namespace nimbrel {

struct RunningApplication;

// What the program knows of itself as a running application: its bundle identifier, bundle
// location (none on this machine) and the names of its Info.plist. Which process is the program
// is the workspace's word, not this process's id: the workspace's applications may be another
// machine's (the simulated Mac numbers its own).
struct NimbrelMainBundle {
    QString bundleIdentifier;
    std::optional<QString> bundlePath;
    QVariant bundleName;        // "CFBundleName"; "Nimbrel" unless it is text
    QVariant bundleDisplayName; // "CFBundleDisplayName"; "Nimbrel" unless it is text

    // This process as the program.
    static NimbrelMainBundle current();
    // Whether `app` is this program: the process the workspace names as the program
    // (`currentApplicationPid`), or by bundle identifier, bundle location or name.
    bool isCurrentApplication(const RunningApplication& app, std::optional<int> currentApplicationPid) const;
};

} // namespace nimbrel
