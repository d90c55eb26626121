#pragma once

#include "platform/Date.h"
#include "platform/Published.h"
#include "platform/Scheduler.h"
#include "platform/UpdateFramework.h"

#include <QString>

#include <optional>

namespace nimbrel {

struct Platform;

// The program's one contact with the update framework: mirrors the automatic-check choice
// into the framework and the defaults, and turns the framework's answers into a status
// text and activity entries.
class NimbrelUpdateManager final : public UpdaterDelegate {
  public:
    static inline const QString automaticChecksKey = QStringLiteral("Nimbrel.settings.automaticUpdatesEnabled");
    static inline const QString kReady = QStringLiteral("Ready");
    static inline const QString kChecking = QStringLiteral("Checking");
    static inline const QString kUpToDate = QStringLiteral("Up to Date");
    static inline const QString kUpdateAvailable = QStringLiteral("Update Available");
    static inline const QString kFailed = QStringLiteral("Failed");

    // Starts the updater with this manager as its delegate.
    explicit NimbrelUpdateManager(Platform& platform);
    ~NimbrelUpdateManager() override;
    NimbrelUpdateManager(const NimbrelUpdateManager&) = delete;
    NimbrelUpdateManager& operator=(const NimbrelUpdateManager&) = delete;

    static NimbrelUpdateManager& shared();

    Published<std::optional<Date>> lastCheckDate;
    Published<QString> statusText{kReady};
    bool didReceiveDefinitiveResult = false;
    // Assign through assignAutomaticChecksEnabled or setAutomaticChecksEnabled.
    Published<bool> automaticChecksEnabled{true};

    // Every assignment writes the defaults and the updater's flag.
    void assignAutomaticChecksEnabled(bool on);
    // A value equal to the current one is only applied to the updater again.
    void setAutomaticChecksEnabled(bool on);

    // The framework's updater, started on first use (null where there is none).
    UpdateFramework* updaterController();
    // A user-initiated check.
    void checkForUpdates();

    // UpdaterDelegate: each continues on the next turn of the main loop.
    void didFinishLoadingAppcast() override;
    void updaterDidNotFindUpdate() override;
    void didFindValidUpdate(const UpdateItem& item) override;
    void didAbortWithError(const UpdateError& error) override;
    void didFinishUpdateCycle(UpdateCheckKind kind, const std::optional<UpdateError>& error) override;

  private:
    void later(std::function<void()> step);
    void fail(const UpdateError& error);

    Platform& platform_;
    bool started_ = false;
    Lifetime lifetime_;
};

} // namespace nimbrel
