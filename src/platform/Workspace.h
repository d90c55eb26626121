#pragma once

#include "platform/NotificationCenter.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

namespace nimbrel {

enum class ActivationPolicy { regular = 0, accessory = 1, prohibited = 2 };

// A snapshot of one running application, as the workspace reports it.
struct RunningApplication {
    int pid = 0;
    std::optional<QString> bundleIdentifier;
    std::optional<QString> bundlePath; // the bundle URL's path ("/Applications/Safari.app")
    std::optional<QString> localizedName;
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
    bool isHidden = false;
    bool isActive = false; // the frontmost application
    bool isTerminated = false;
    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

struct ActivationOptions {
    bool allWindows = false;
    bool ignoringOtherApps = false;
};

// What a failed open or desktop-picture change reports.
struct WorkspaceError {
    QString domain;
    int code = 0;
    QString localizedDescription;
};

struct OpenConfiguration {
    bool activates = true;
    bool createsNewApplicationInstance = false;
    bool hides = false;
    QStringList arguments;
};

using OpenCompletion = std::function<void(std::optional<RunningApplication>, std::optional<WorkspaceError>)>;

// Running and installed applications, opening things, desktop pictures and the
// workspace's notices. Main thread only; completions and observers are called later
// on the main thread, never from inside the call that started them.
class Workspace {
  public:
    virtual ~Workspace() = default;

    // In launch order.
    virtual std::vector<RunningApplication> runningApplications() const = 0;
    virtual std::optional<RunningApplication> frontmostApplication() const = 0;
    // None when no process has that id (or it has ended).
    virtual std::optional<RunningApplication> runningApplication(int pid) const = 0;
    // Which of the running applications is this program, by its process id: none when the
    // program is not among them (the simulated Mac's applications never include this machine's
    // process).
    virtual std::optional<int> currentApplicationPid() const = 0;

    // Each returns whether the request was accepted.
    virtual bool activate(int pid, ActivationOptions options = {}) = 0;
    virtual bool hide(int pid) = 0;
    virtual bool unhide(int pid) = 0;
    virtual bool terminate(int pid) = 0;

    // Launches (or activates) the application bundle at `applicationPath`.
    virtual void openApplication(const QString& applicationPath, const OpenConfiguration& configuration,
                                 OpenCompletion completion = {}) = 0;
    // Opens a URL text ("https://...", "file:///Users/me/Documents", "x-apple.systempreferences:...")
    // or a plain path with its default handler. Returns whether it was handed over.
    virtual bool open(const QString& urlOrPath) = 0;
    // Opens URLs with a chosen application.
    virtual void openURLs(const QStringList& urls, const QString& applicationPath,
                          const OpenConfiguration& configuration, OpenCompletion completion = {}) = 0;

    // The installed application's bundle path for a bundle identifier.
    virtual std::optional<QString> urlForApplication(const QString& bundleIdentifier) const = 0;
    // A value of the bundle's Info.plist (invalid when missing or unreadable).
    virtual QVariant infoPlistValue(const QString& bundlePath, const QString& key) const = 0;
    std::optional<QString> bundleIdentifier(const QString& bundlePath) const;
    // The name the Finder shows: the file name without ".app".
    QString displayName(const QString& path) const;
    // A path to the file's icon image, or empty when there is none.
    virtual QString iconPath(const QString& path) const = 0;

    // Desktop pictures per screen (ScreenInfo::id). The picture is a file URL text.
    virtual std::optional<QString> desktopImageURL(int screenId) const = 0;
    virtual bool setDesktopImageURL(const QString& url, int screenId, WorkspaceError* error = nullptr) = 0;

    [[nodiscard]] virtual ObserverToken observeDidLaunch(std::function<void(const RunningApplication&)> observer) = 0;
    [[nodiscard]] virtual ObserverToken
    observeDidTerminate(std::function<void(const RunningApplication&)> observer) = 0;
    [[nodiscard]] virtual ObserverToken observeDidActivate(std::function<void(const RunningApplication&)> observer) = 0;
    [[nodiscard]] virtual ObserverToken observeDidWake(std::function<void()> observer) = 0;
};

} // namespace nimbrel
