#include "sessions/SessionApp.h"

#include "platform/Files.h"
#include "platform/TextServices.h"
#include "platform/Workspace.h"
#include "sessions/SessionPaths.h"

#include <QSet>

#include <algorithm>

namespace nimbrel {

namespace {

const QString kFinderBundleIdentifier = QStringLiteral("com.apple.finder");
const QString kFinderBundlePath = QStringLiteral("/system/library/coreservices/finder.app");

std::optional<QString> trimmedOrNone(const std::optional<QString>& text) {
    if (!text) return std::nullopt;
    const QString trimmed = text->trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    return trimmed;
}

// Each test runs only when its value is present; the name decides last.
bool looksLikeFinder(const QString& name, const std::optional<QString>& bundleIdentifier,
                     const std::optional<QString>& path) {
    if (bundleIdentifier && bundleIdentifier->trimmed().toLower() == kFinderBundleIdentifier) return true;
    if (path) {
        const QString key = standardizedSessionPath(path->trimmed()).toLower();
        if (key == kFinderBundlePath || key.endsWith(QLatin1String("/finder.app"))) return true;
    }
    QString nameKey = name.trimmed();
    nameKey.remove(QStringLiteral(".app"), Qt::CaseInsensitive);
    return nameKey.toLower() == QLatin1String("finder");
}

// The localized comparison ignoring case. For printable ASCII (no ignorable characters) it
// is a plain case-insensitive comparison, which spares the collator on every decoded app.
bool sameNameIgnoringCase(const QString& name, const QString& other) {
    const bool printableAscii =
        std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7f; });
    if (printableAscii) return name.compare(other, Qt::CaseInsensitive) == 0;
    return localizedCaseInsensitiveCompare(name, other) == 0;
}

} // namespace

NimbrelSessionApp NimbrelSessionApp::normalizing(const QString& displayName,
                                                 const std::optional<QString>& bundleIdentifier,
                                                 const std::optional<QString>& path) {
    NimbrelSessionApp app;
    app.id = Uuid::random();
    const QString name = displayName.trimmed();
    const std::optional<QString> identifier = trimmedOrNone(bundleIdentifier);
    const std::optional<QString> trimmedPath = trimmedOrNone(path);
    if (looksLikeFinder(name, identifier, trimmedPath)) {
        app.displayName = QStringLiteral("Finder");
        app.bundleIdentifier = kFinderBundleIdentifier;
        return app;
    }
    app.displayName = name.isEmpty() ? QStringLiteral("Unknown App") : name;
    app.bundleIdentifier = identifier;
    app.path = trimmedPath;
    return app;
}

bool NimbrelSessionApp::isFinder() const {
    return looksLikeFinder(displayName, bundleIdentifier, path);
}

bool NimbrelSessionApp::isApplicationsFolder() const {
    if (path && standardizedSessionPath(*path) == QLatin1String("/Applications")) return true;
    return sameNameIgnoringCase(displayName, QStringLiteral("Apps")) ||
           sameNameIgnoringCase(displayName, QStringLiteral("Applications"));
}

QString NimbrelSessionApp::identityKey() const {
    if (isFinder()) return kFinderIdentityKey;
    if (isApplicationsFolder()) return kApplicationsFolderIdentityKey;
    if (bundleIdentifier && !bundleIdentifier->trimmed().isEmpty())
        return QStringLiteral("bundle:") + bundleIdentifier->trimmed().toLower();
    if (path && !path->trimmed().isEmpty()) return QStringLiteral("path:") + standardizedSessionPath(*path).toLower();
    return QStringLiteral("name:") + displayName.trimmed().toLower();
}

bool NimbrelSessionApp::isSystemDockItem() const {
    const QString key = identityKey();
    return key == kFinderIdentityKey || key == kApplicationsFolderIdentityKey ||
           key == QStringLiteral("bundle:") + kLaunchpadBundleIdentifier;
}

const NimbrelSessionApp& NimbrelSessionApp::finder() {
    static const NimbrelSessionApp app{Uuid::random(), QStringLiteral("Finder"), kFinderBundleIdentifier, std::nullopt};
    return app;
}

const NimbrelSessionApp& NimbrelSessionApp::applicationsFolder() {
    static const NimbrelSessionApp app{Uuid::random(), QStringLiteral("Apps"), std::nullopt,
                                       QStringLiteral("/Applications")};
    return app;
}

std::optional<NimbrelSessionApp> NimbrelSessionApp::launchpad(const Workspace& workspace, const FileSystem& files) {
    std::optional<QString> found;
    if (auto located = workspace.urlForApplication(kLaunchpadBundleIdentifier); located && files.exists(*located))
        found = located;
    for (const char* candidate : {"/Applications/Launchpad.app", "/System/Applications/Launchpad.app"})
        if (!found && files.exists(QString::fromLatin1(candidate))) found = QString::fromLatin1(candidate);
    if (!found) return std::nullopt;
    return NimbrelSessionApp{Uuid::random(), QStringLiteral("Launchpad"), kLaunchpadBundleIdentifier, *found};
}

std::vector<NimbrelSessionApp> NimbrelSessionApp::defaultDockApps(const Workspace& workspace, const FileSystem& files) {
    std::vector<NimbrelSessionApp> apps{finder()};
    if (auto pad = launchpad(workspace, files)) apps.push_back(*pad);
    return apps;
}

std::vector<NimbrelSessionApp> deduplicatedApps(const std::vector<NimbrelSessionApp>& apps) {
    std::vector<NimbrelSessionApp> kept;
    QSet<QString> seen;
    for (const NimbrelSessionApp& app : apps) {
        NimbrelSessionApp normalized = NimbrelSessionApp::normalizing(app.displayName, app.bundleIdentifier, app.path);
        const QString key = normalized.identityKey();
        if (seen.contains(key)) continue;
        seen.insert(key);
        kept.push_back(std::move(normalized));
    }
    return kept;
}

} // namespace nimbrel
