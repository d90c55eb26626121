#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace nimbrel {

struct Platform;

// Writes the Dock's "persistent-apps" tiles and restarts the Dock so that it shows them:
// "killall Dock", then "launchctl kickstart" of its agent 0.35 s later.
class DockWriter {
  public:
    static constexpr double kKickstartDelay = 0.35;
    // Reports a failure to start a command: an error activity with a title and the reason.
    using Report = std::function<void(const QString& title, const QString& message)>;

    DockWriter(Platform& platform, Report report) : platform_(platform), report_(std::move(report)) {}

    // Writes the tiles of what a write of `paths` puts in the Dock, restarts the Dock and returns
    // those paths. `keepAlive` is held until the kickstart has run: it follows even when the
    // writer's owner has gone.
    QStringList write(const QStringList& paths, bool finderVisible, std::shared_ptr<const void> keepAlive);

  private:
    void restartDock(std::shared_ptr<const void> keepAlive);
    void kickstartDockAgent() const;

    Platform& platform_;
    Report report_;
};

} // namespace nimbrel
