#pragma once

#include "platform/CloudDatabase.h"

#include <QString>

#include <deque>
#include <map>
#include <memory>

namespace nimbrel {

class Scheduler;
class SqliteCloudStore;

// What the account and the network are like, set by tests and by the simulated Mac.
struct CloudConditions {
    CloudAccountState account = CloudAccountState::available;
    // The account check itself fails with this error.
    std::optional<CloudError> accountCheckError;
    // Every database call fails with networkUnavailable.
    bool offline = false;
    // Seconds before each answer arrives.
    double latency = 0;
    // The most ids one batch fetch accepts; more fail with limitExceeded.
    size_t batchLimit = 400;
};

// A failure injected into the next database call that matches it.
struct CloudFailure {
    enum class Operation { any, fetch, save, batchFetch };
    Operation operation = Operation::any;
    QString recordName; // empty: any record
    CloudError error;
    // For serverRecordChanged: carry the server's current copy. For partialFailure: one
    // item error, serverRecordChanged with the server's copy when there is one.
    bool withServerRecord = false;
    // Matching calls let through before this one fails.
    int skip = 0;
};

// The cloud on this machine: every container's records in one SQLite file, which several
// instances (two "Macs") may share. Database work runs on a worker, one call after another
// in the order made, so it never blocks the main thread; answers come back on the main
// thread through the scheduler, after the latency of the conditions.
class SqliteCloudService final : public CloudService {
  public:
    // The environment variable that points an instance at a shared file.
    static inline const char* const kDatabaseEnvironmentVariable = "NIMBREL_CLOUD_DATABASE";

    SqliteCloudService(Scheduler& scheduler, QString path);
    ~SqliteCloudService() override;

    // The file: $NIMBREL_CLOUD_DATABASE when set, else "CloudDatabase.sqlite" in `dataFolder`.
    static QString defaultPath(const QString& dataFolder);

    std::shared_ptr<CloudContainer> container(const QString& identifier) override;
    void setDamageHandler(std::function<void(const QString& problem)> handler) override;

    // The program is quitting: the calls still waiting are dropped, with a line in the log, later
    // ones are not made, and the one under way stops waiting for another process's lock, so
    // that quitting waits a moment at most.
    void shutDown();

    CloudConditions& conditions() { return conditions_; }
    void failNext(CloudFailure failure) { failures_.push_back(std::move(failure)); }
    void clearFailures() { failures_.clear(); }
    size_t pendingFailures() const { return failures_.size(); }

    const QString& path() const { return path_; }
    // Why a damaged file was set aside at the first opening (empty when it was not).
    QString setAsideProblem() const;
    // The calls made so far ("fetch settings_primary", "save rule_X", "batch 3"), for tests.
    const std::vector<QString>& calls() const { return calls_; }

  private:
    class Container;
    struct Queue;
    friend class Container;

    using Work = std::function<std::function<void()>(SqliteCloudStore&)>;
    // Runs `work` on the worker after the calls before it; what it returns runs on the main thread.
    void submit(Work work);
    std::optional<CloudFailure> takeFailure(CloudFailure::Operation operation, const std::vector<CloudRecordID>& ids);
    std::optional<CloudError> conditionError() const;
    void answerLater(std::function<void()> answer);

    Scheduler& scheduler_;
    QString path_;
    std::shared_ptr<SqliteCloudStore> store_;
    std::shared_ptr<Queue> queue_;
    std::map<QString, std::shared_ptr<Container>> containers_;
    CloudConditions conditions_;
    std::deque<CloudFailure> failures_;
    std::vector<QString> calls_;
};

} // namespace nimbrel
