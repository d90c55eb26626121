#include "platform/local/SqliteCloudService.h"

#include "platform/Log.h"
#include "platform/Scheduler.h"
#include "platform/local/CloudCallTrace.h"
#include "platform/local/SqliteCloudStore.h"

#include <QFile>

#include <cstdlib>
#include <utility>

namespace nimbrel {

namespace {

using Operation = CloudFailure::Operation;

} // namespace

// Calls run one after another; `running` is true while one is on the worker.
struct SqliteCloudService::Queue {
    std::deque<Work> waiting;
    bool running = false;
    bool shutDown = false;
    // A damaged file set aside: printed at once, told to the handler when there is one.
    std::function<void(const QString&)> damageHandler;
    QString untoldDamage;

    void noticeDamage(SqliteCloudStore& store) {
        const QString problem = store.takeSetAsideNotice();
        if (problem.isEmpty()) return;
        logLine(QStringLiteral("NimbrelCloudDatabase"), problem);
        untoldDamage = problem;
        tellDamage();
    }
    void tellDamage() {
        if (shutDown || untoldDamage.isEmpty() || !damageHandler) return;
        const QString problem = std::exchange(untoldDamage, QString());
        damageHandler(problem);
    }
};

class SqliteCloudService::Container final : public CloudContainer, public CloudDatabase {
  public:
    Container(SqliteCloudService& service, QString identifier)
        : service_(service), identifier_(std::move(identifier)) {}

    const QString& identifier() const override { return identifier_; }
    CloudDatabase& privateCloudDatabase() override { return *this; }

    void accountStatus(AccountCompletion completion) override {
        const CloudConditions c = service_.conditions_;
        service_.answerLater([completion = std::move(completion), c] { completion(c.account, c.accountCheckError); });
    }

    void fetchRecord(const CloudRecordID& id, RecordCompletion completion) override {
        service_.calls_.push_back(QStringLiteral("fetch ") + id.recordName);
        completion = service_.traced([&id] { return QStringLiteral("fetch ") + id.recordName; }, std::move(completion));
        if (rejectEarly(completion)) return;
        auto failure = service_.takeFailure(Operation::fetch, identifier_, {id});
        const QString type = failure ? service_.typeOf(identifier_, id, failure->recordType) : QString();
        service_.submit([container = identifier_, id, failure, type,
                         completion = std::move(completion)](SqliteCloudStore& store) -> std::function<void()> {
            CloudResult<CloudRecord> result =
                failure ? CloudResult<CloudRecord>(injectedCloudError(*failure, store, container, id, type))
                        : store.fetch(container, id);
            return [completion, result = std::move(result)]() mutable { completion(std::move(result)); };
        });
    }

    void saveRecord(const CloudRecord& record, RecordCompletion completion) override {
        service_.calls_.push_back(QStringLiteral("save ") + record.recordID().recordName);
        completion = service_.traced([&record] { return describeCloudSave(record); }, std::move(completion));
        if (rejectEarly(completion)) return;
        auto failure = service_.takeFailure(Operation::save, identifier_, {record.recordID()}, record.recordType());
        service_.submit([container = identifier_, record, failure,
                         completion = std::move(completion)](SqliteCloudStore& store) -> std::function<void()> {
            CloudResult<CloudRecord> result =
                failure ? CloudResult<CloudRecord>(
                              injectedCloudError(*failure, store, container, record.recordID(), record.recordType()))
                        : store.save(container, record);
            return [completion, result = std::move(result)]() mutable { completion(std::move(result)); };
        });
    }

    void fetchRecords(const std::vector<CloudRecordID>& ids, BatchCompletion completion) override {
        service_.calls_.push_back(QStringLiteral("batch %1").arg(ids.size()));
        completion = service_.traced([&ids] { return describeCloudBatch(ids); }, std::move(completion));
        if (auto error = service_.conditionError())
            return service_.answerLater([completion = std::move(completion), e = *error] { completion(e); });
        if (ids.size() > service_.conditions_.batchLimit) {
            const CloudError tooMany = CloudError::make(CloudError::limitExceeded, {});
            return service_.answerLater([completion = std::move(completion), tooMany] { completion(tooMany); });
        }
        auto failure = service_.takeFailure(Operation::batchFetch, identifier_, ids);
        service_.submit([container = identifier_, ids, failure,
                         completion = std::move(completion)](SqliteCloudStore& store) -> std::function<void()> {
            CloudResult<CloudBatchResult> result =
                failure ? injectedCloudBatch(*failure, store, container, ids) : store.fetchMany(container, ids);
            return [completion, result = std::move(result)]() mutable { completion(std::move(result)); };
        });
    }

  private:
    // Signed out or offline: the call fails without reaching the database.
    bool rejectEarly(RecordCompletion& completion) {
        auto error = service_.conditionError();
        if (!error) return false;
        service_.answerLater([completion = std::move(completion), e = *error] { completion(e); });
        return true;
    }

    SqliteCloudService& service_;
    QString identifier_;
};

SqliteCloudService::SqliteCloudService(Scheduler& scheduler, QString path)
    : scheduler_(scheduler), path_(std::move(path)), store_(std::make_shared<SqliteCloudStore>(path_)),
      queue_(std::make_shared<Queue>()) {}

SqliteCloudService::~SqliteCloudService() = default;

QString SqliteCloudService::defaultPath(const QString& dataFolder) {
    const QByteArray shared = qgetenv(kDatabaseEnvironmentVariable);
    if (!shared.isEmpty()) return QFile::decodeName(shared);
    return dataFolder + QStringLiteral("/CloudDatabase.sqlite");
}

std::shared_ptr<CloudContainer> SqliteCloudService::container(const QString& identifier) {
    auto& slot = containers_[identifier];
    if (!slot) slot = std::make_shared<Container>(*this, identifier);
    return slot;
}

void SqliteCloudService::setDamageHandler(std::function<void(const QString& problem)> handler) {
    queue_->damageHandler = std::move(handler);
    queue_->tellDamage();
}

QString SqliteCloudService::setAsideProblem() const {
    return store_->setAsideProblem();
}

std::optional<CloudError> SqliteCloudService::conditionError() const {
    if (conditions_.offline) return CloudError::make(CloudError::networkUnavailable, {});
    if (conditions_.account != CloudAccountState::available) return CloudError::make(CloudError::notAuthenticated, {});
    return std::nullopt;
}

std::optional<CloudFailure> SqliteCloudService::takeFailure(Operation operation, const QString& container,
                                                            const std::vector<CloudRecordID>& ids,
                                                            const QString& savedType) {
    if (failures_.size() == 0) return std::nullopt;
    return failures_.take(operation, ids, [&](const CloudRecordID& id) {
        return savedType.isEmpty() ? typeOf(container, id, {}) : savedType;
    });
}

QString SqliteCloudService::typeOf(const QString& container, const CloudRecordID& id, const QString& fallback) {
    CloudResult<CloudRecord> stored = store_->fetch(container, id);
    return stored.ok() ? stored.value().recordType() : fallback;
}

template <typename Result>
std::function<void(Result)> SqliteCloudService::traced(const std::function<QString()>& describe,
                                                       std::function<void(Result)> completion) {
    if (!*trace_) return completion;
    const QString call = describe();
    (*trace_)(call);
    // The answer goes to the trace as it stands when the answer arrives.
    return [trace = std::weak_ptr(trace_), call, completion = std::move(completion)](Result result) {
        if (auto t = trace.lock(); t && *t)
            (*t)(call.section(QLatin1Char(' '), 0, 1) + QStringLiteral(" -> ") + describeCloudAnswer(result));
        completion(std::move(result));
    };
}

CloudResult<CloudRecord> SqliteCloudService::readDirectly(const QString& container, const CloudRecordID& id) {
    return store_->fetch(container, id);
}

CloudResult<CloudRecord> SqliteCloudService::writeDirectly(const QString& container, const CloudRecord& record,
                                                           bool keepOtherFields) {
    return overwriteCloudRecord(*store_, container, record, keepOtherFields);
}

bool SqliteCloudService::damageDirectly(const QString& container, const CloudRecordID& id) {
    return store_->damageFields(container, id);
}

void SqliteCloudService::answerLater(std::function<void()> answer) {
    scheduler_.after(conditions_.latency, [queue = std::weak_ptr(queue_), answer = std::move(answer)] {
        if (auto q = queue.lock(); q && !q->shutDown) answer();
    });
}

void SqliteCloudService::shutDown() {
    store_->stopWaiting();
    queue_->shutDown = true;
    if (const size_t dropped = std::exchange(queue_->waiting, {}).size())
        logLine(QStringLiteral("NimbrelCloudDatabase"),
                QStringLiteral("%1 cloud calls still waiting were dropped at quit").arg(dropped));
}

void SqliteCloudService::submit(Work work) {
    if (queue_->shutDown) return;
    queue_->waiting.push_back(std::move(work));
    if (queue_->running) return;

    // Starts the first waiting call; its answer on the main thread starts the next.
    struct Runner {
        static void next(Scheduler& scheduler, std::weak_ptr<Queue> weakQueue, std::shared_ptr<SqliteCloudStore> store,
                         const double* latency) {
            auto queue = weakQueue.lock();
            if (!queue || queue->waiting.empty()) {
                if (queue) queue->running = false;
                return;
            }
            queue->running = true;
            Work work = std::move(queue->waiting.front());
            queue->waiting.pop_front();
            auto answer = std::make_shared<std::function<void()>>();
            scheduler.runInBackground([store, work = std::move(work), answer] { *answer = work(*store); },
                                      [&scheduler, weakQueue, store, answer, latency] {
                                          // The service is gone: the program is ending, nobody waits.
                                          auto queue = weakQueue.lock();
                                          if (!queue) return;
                                          queue->noticeDamage(*store);
                                          if (queue->shutDown) return;
                                          if (*latency > 0)
                                              scheduler.after(*latency, [weakQueue, answer] {
                                                  if (auto q = weakQueue.lock(); q && !q->shutDown) (*answer)();
                                              });
                                          else
                                              (*answer)();
                                          next(scheduler, weakQueue, store, latency);
                                      });
        }
    };
    Runner::next(scheduler_, queue_, store_, &conditions_.latency);
}

} // namespace nimbrel
