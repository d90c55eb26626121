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
// A push that failed for want of the account or with an error is kept until a newer push of
// the object replaces it or `retry` sends it again.
class CloudObjectPushes {
  public:
    using Done = std::function<void(SaveOutcome)>;
    using Push = std::function<void(Done)>;

    void push(const QString& key, Push push, Done done);
    // Sends again the kept pushes whose keys begin with `prefix`.
    void retry(const QString& prefix);
    // Forgets every waiting and kept push.
    void clear() {
        slots_.clear();
        failed_.clear();
    }

  private:
    struct Slot {
        bool running = false;
        std::optional<Push> waiting;
        std::vector<Done> waitingDones;
    };
    void run(const QString& key, Push push, std::vector<Done> dones);

    std::map<QString, Slot> slots_;
    std::map<QString, Push> failed_;
};

} // namespace nimbrel
