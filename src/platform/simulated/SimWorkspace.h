#pragma once

#include "platform/Workspace.h"
#include "platform/simulated/SimulatedMac.h"

#include <map>

namespace nimbrel::sim {

// The workspace of the simulated Mac. Opens and launches are recorded and take effect
// through the model; completions and notices arrive later through the scheduler.
class SimWorkspace final : public Workspace {
  public:
    explicit SimWorkspace(SimulatedMac& mac) : mac_(mac) {}

    std::vector<RunningApplication> runningApplications() const override;
    std::optional<RunningApplication> frontmostApplication() const override;
    std::optional<RunningApplication> runningApplication(int pid) const override;
    // The simulated app that stands for the program (one with its bundle identifier), if it runs.
    std::optional<int> currentApplicationPid() const override;
    bool activate(int pid, ActivationOptions options = {}) override;
    bool hide(int pid) override;
    bool unhide(int pid) override;
    bool terminate(int pid) override;
    void openApplication(const QString& applicationPath, const OpenConfiguration& configuration,
                         OpenCompletion completion = {}) override;
    bool open(const QString& urlOrPath) override;
    void openURLs(const QStringList& urls, const QString& applicationPath, const OpenConfiguration& configuration,
                  OpenCompletion completion = {}) override;
    std::optional<QString> urlForApplication(const QString& bundleIdentifier) const override;
    QVariant infoPlistValue(const QString& bundlePath, const QString& key) const override;
    QString iconPath(const QString& path) const override;
    std::optional<QString> desktopImageURL(int screenId) const override;
    bool setDesktopImageURL(const QString& url, int screenId, WorkspaceError* error = nullptr) override;
    ObserverToken observeDidLaunch(std::function<void(const RunningApplication&)> observer) override;
    ObserverToken observeDidTerminate(std::function<void(const RunningApplication&)> observer) override;
    ObserverToken observeDidActivate(std::function<void(const RunningApplication&)> observer) override;
    ObserverToken observeDidWake(std::function<void()> observer) override;

    // Faults: the next desktop-picture change of a screen fails with this description.
    void failDesktopPicture(int screenId, const QString& description) { desktopFailures_[screenId] = description; }

  private:
    ObserverToken observeApp(const QString& notice, std::function<void(const RunningApplication&)> observer);
    void complete(OpenCompletion completion, std::optional<RunningApplication> app,
                  std::optional<WorkspaceError> error);

    SimulatedMac& mac_;
    std::map<int, QString> desktopFailures_;
    std::map<int, RunningApplication> lastKnown_; // so a termination notice can still describe the app
};

} // namespace nimbrel::sim
