#pragma once

#include "platform/LoginItems.h"
#include "platform/SystemInfo.h"
#include "platform/UpdateFramework.h"
#include "platform/simulated/SimulatedMac.h"

#include <deque>

namespace nimbrel::sim {

class SimSystemInfo final : public SystemInfo {
  public:
    explicit SimSystemInfo(SimulatedMac& mac) : mac_(mac) {}
    OperatingSystemVersion operatingSystemVersion() const override { return mac_.identity().os; }
    QString modelIdentifier() const override { return mac_.identity().model; }
    QString hostLocalizedName() const override { return mac_.identity().hostName; }
    QString userName() const override { return mac_.identity().shortName; }
    QString userFullName() const override { return mac_.identity().fullName; }
    unsigned userId() const override { return mac_.identity().uid; }

  private:
    SimulatedMac& mac_;
};

class SimLoginItems final : public LoginItems {
  public:
    explicit SimLoginItems(SimulatedMac& mac) : mac_(mac) {}
    LoginItemStatus status() const override { return status_; }
    bool registerMainApp(QString* error = nullptr) override;
    bool unregisterMainApp(QString* error = nullptr) override;
    // Fault: the next (un)registration fails with this description.
    void failNext(const QString& description) { failure_ = description; }
    // What a registration leads to (enabled, or waiting for the user's approval).
    void setStatusAfterRegistering(LoginItemStatus s) { afterRegistering_ = s; }

  private:
    SimulatedMac& mac_;
    LoginItemStatus status_ = LoginItemStatus::notRegistered;
    LoginItemStatus afterRegistering_ = LoginItemStatus::enabled;
    QString failure_;
};

// The updater: each check answers with the next scripted outcome (no update by default),
// through the delegate, later on the main thread.
class SimUpdateFramework final : public UpdateFramework {
  public:
    enum class Outcome { noUpdate, updateFound, failure, failureAfterNoUpdate };

    explicit SimUpdateFramework(SimulatedMac& mac) : mac_(mac) {}

    void startUpdater(UpdaterDelegate* delegate) override;
    void setDelegate(UpdaterDelegate* delegate) override { delegate_ = delegate; }
    bool isStarted() const override { return started_; }
    void checkForUpdates() override;
    bool automaticallyChecksForUpdates() const override { return automatic_; }
    void setAutomaticallyChecksForUpdates(bool on) override;

    void scriptNextCheck(Outcome outcome, UpdateError error = {}) { outcomes_.push_back({outcome, error}); }
    int checkCount() const { return checks_; }

  private:
    SimulatedMac& mac_;
    UpdaterDelegate* delegate_ = nullptr;
    bool started_ = false;
    bool automatic_ = true;
    int checks_ = 0;
    std::deque<std::pair<Outcome, UpdateError>> outcomes_;
    Lifetime lifetime_;
};

} // namespace nimbrel::sim
