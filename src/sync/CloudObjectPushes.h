#pragma once

#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace nimbrel {

// How a push to the cloud ended.
enum class SaveOutcome {
    saved,
    keptNewerServerCopy, // the cloud held a newer copy, which was kept: nothing was written
    skippedSyncOff,      // sync switched off (or paused): not sent, and not sent later
    skippedAccount,      // the account was not available
    failed,              // the cloud answered with an error
};

// The pushes of each object (a rule, a session, the settings, the blacklist), by key. One
// object's pushes run one after another, so two quick edits cannot reach the cloud in reverse
// order; a push that arrives while another runs waits, replacing any push that waits already.
class CloudObjectPushes {
  public:
    using Done = std::function<void(SaveOutcome)>;
    using Push = std::function<void(Done)>;

    void push(const QString& key, Push push, Done done);
    // Whether a push of `key` runs or waits.
    bool isBusy(const QString& key) const { return slots_.count(key) > 0; }
    // Forgets every waiting push.
    void clear() { slots_.clear(); }

  private:
    struct Slot {
        bool running = false;
        std::optional<Push> waiting;
        std::vector<Done> waitingDones;
    };
    void run(const QString& key, Push push, std::vector<Done> dones);

    std::map<QString, Slot> slots_;
};

} // namespace nimbrel
