#pragma once

#include "platform/CloudDatabase.h"
#include "platform/local/CloudFaults.h"

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
    // that quitting waits a moment at most. What reached the file stays there, but no answer or
    // damage notice comes back to the program any more.
    void shutDown();

    CloudConditions& conditions() { return conditions_; }
    void failNext(CloudFailure failure) { failures_.add(std::move(failure)); }
    void clearFailures() { failures_.clear(); }
    size_t pendingFailures() const { return failures_.size(); }
    // Each call that reaches the database, and later its answer, as a line of text (none: no trace).
    void setTrace(std::function<void(const QString& line)> trace) { *trace_ = std::move(trace); }

    // Read and write the file at once, on the calling thread, past the conditions and failures:
    // what another Mac on the same account holds and writes (the simulator's views and steps).
    CloudResult<CloudRecord> readDirectly(const QString& container, const CloudRecordID& id);
    // Writes over the stored copy whatever its tag; with `keepOtherFields` the stored fields
    // the record does not name stay.
    CloudResult<CloudRecord> writeDirectly(const QString& container, const CloudRecord& record, bool keepOtherFields);
    // Leaves the record's row unreadable, as a damaged file would; false when there is no such row.
    bool damageDirectly(const QString& container, const CloudRecordID& id);

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
    std::optional<CloudFailure> takeFailure(CloudFailure::Operation operation, const QString& container,
                                            const std::vector<CloudRecordID>& ids, const QString& savedType = {});
    // The type stored under `id`, else `fallback`.
    QString typeOf(const QString& container, const CloudRecordID& id, const QString& fallback);
    // `completion`, writing the call (`describe()`, asked only while tracing: a batch names every
    // record) and its answer to the trace when there is one.
    template <typename Result>
    std::function<void(Result)> traced(const std::function<QString()>& describe,
                                       std::function<void(Result)> completion);
    std::optional<CloudError> conditionError() const;
    void answerLater(std::function<void()> answer);

    Scheduler& scheduler_;
    QString path_;
    std::shared_ptr<SqliteCloudStore> store_;
    std::shared_ptr<Queue> queue_;
    std::map<QString, std::shared_ptr<Container>> containers_;
    CloudConditions conditions_;
    CloudFaults failures_;
    std::shared_ptr<std::function<void(const QString&)>> trace_ =
        std::make_shared<std::function<void(const QString&)>>();
    std::vector<QString> calls_;
};

} // namespace nimbrel
