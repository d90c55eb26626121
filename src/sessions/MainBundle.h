#pragma once

#include <QString>
#include <QVariant>

#include <optional>

namespace nimbrel {

struct RunningApplication;

// What the program knows of itself as a running application: its process, bundle identifier,
// bundle location (none on this machine) and the names of its Info.plist.
struct NimbrelMainBundle {
    int processIdentifier = 0;
    QString bundleIdentifier;
    std::optional<QString> bundlePath;
    QVariant bundleName;        // "CFBundleName"; "Nimbrel" unless it is text
    QVariant bundleDisplayName; // "CFBundleDisplayName"; "Nimbrel" unless it is text

    // This process as the program.
    static NimbrelMainBundle current();
    // Whether `app` is this program: by process, bundle identifier, bundle location or name.
    bool isCurrentApplication(const RunningApplication& app) const;
};

} // namespace nimbrel
