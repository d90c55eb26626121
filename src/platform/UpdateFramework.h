#pragma once

#include <QString>

#include <optional>

namespace nimbrel {

// An error the update framework reports to its delegate.
struct UpdateError {
    QString domain;
    int code = 0;
    QString localizedDescription;
};

// What a found update offers.
struct UpdateItem {
    QString displayVersionString;
    QString versionString;
};

// Which kind of check a cycle was.
enum class UpdateCheckKind { updates, updatesInBackground, updateInformation };

// The callbacks the framework sends while it checks, always on the main thread and never
// from inside the call that started the check. Every callback has an empty default.
class UpdaterDelegate {
  public:
    virtual ~UpdaterDelegate() = default;

    virtual void didFinishLoadingAppcast() {}
    virtual void updaterDidNotFindUpdate() {}
    virtual void didFindValidUpdate(const UpdateItem& /*item*/) {}
    virtual void didAbortWithError(const UpdateError& /*error*/) {}
    // The end of a check cycle, with or without an error.
    virtual void didFinishUpdateCycle(UpdateCheckKind /*kind*/, const std::optional<UpdateError>& /*error*/) {}
};

// The program's updater: created and started once, then checks on its own schedule when
// automatic checks are on, or when asked.
class UpdateFramework {
  public:
    virtual ~UpdateFramework() = default;

    // Creates and starts the updater with `delegate` (not owned; may be null). The delegate
    // must outlive the updater or be replaced with null through setDelegate first.
    virtual void startUpdater(UpdaterDelegate* delegate) = 0;
    virtual void setDelegate(UpdaterDelegate* delegate) = 0;
    virtual bool isStarted() const = 0;

    // A user-initiated check, followed by the delegate callbacks.
    virtual void checkForUpdates() = 0;

    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool on) = 0;
};

} // namespace nimbrel
