#pragma once

#include "platform/Workspace.h"

namespace nimbrel::testing {

// A workspace that knows nothing and does nothing; test doubles override what they need.
class StubWorkspace : public Workspace {
  public:
    std::vector<RunningApplication> runningApplications() const override { return {}; }
    std::optional<RunningApplication> frontmostApplication() const override { return std::nullopt; }
    std::optional<RunningApplication> runningApplication(int) const override { return std::nullopt; }
    std::optional<int> currentApplicationPid() const override { return std::nullopt; }
    bool activate(int, ActivationOptions) override { return false; }
    bool hide(int) override { return false; }
    bool unhide(int) override { return false; }
    bool terminate(int) override { return false; }
    void openApplication(const QString&, const OpenConfiguration&, OpenCompletion) override {}
    bool open(const QString&) override { return false; }
    void openURLs(const QStringList&, const QString&, const OpenConfiguration&, OpenCompletion) override {}
    std::optional<QString> urlForApplication(const QString&) const override { return std::nullopt; }
    QVariant infoPlistValue(const QString&, const QString&) const override { return {}; }
    QString iconPath(const QString&) const override { return {}; }
    std::optional<QString> desktopImageURL(int) const override { return std::nullopt; }
    bool setDesktopImageURL(const QString&, int, WorkspaceError*) override { return false; }
    ObserverToken observeDidLaunch(std::function<void(const RunningApplication&)>) override { return {}; }
    ObserverToken observeDidTerminate(std::function<void(const RunningApplication&)>) override { return {}; }
    ObserverToken observeDidActivate(std::function<void(const RunningApplication&)>) override { return {}; }
    ObserverToken observeDidWake(std::function<void()>) override { return {}; }
};

} // namespace nimbrel::testing
