#include "ProcessCloud.h"

namespace nimbrel::simtool {

namespace {

using Alive = std::shared_ptr<std::atomic<bool>>;

// `completion` as the Mac's cloud calls it: it does nothing once the process has ended.
template <typename... Args>
std::function<void(Args...)> whileAlive(const Alive& alive, std::function<void(Args...)> f) {
    return [alive, f = std::move(f)](Args... args) {
        if (*alive) f(std::move(args)...);
    };
}

} // namespace

class ProcessCloud::Container final : public CloudContainer, public CloudDatabase {
  public:
    Container(std::shared_ptr<CloudContainer> mac, Alive alive) : mac_(std::move(mac)), alive_(std::move(alive)) {}

    const QString& identifier() const override { return mac_->identifier(); }
    CloudDatabase& privateCloudDatabase() override { return *this; }

    void accountStatus(AccountCompletion completion) override {
        if (*alive_) mac_->accountStatus(whileAlive(alive_, std::move(completion)));
    }
    void fetchRecord(const CloudRecordID& id, RecordCompletion completion) override {
        if (*alive_) database().fetchRecord(id, whileAlive(alive_, std::move(completion)));
    }
    void saveRecord(const CloudRecord& record, RecordCompletion completion) override {
        if (*alive_) database().saveRecord(record, whileAlive(alive_, std::move(completion)));
    }
    void fetchRecords(const std::vector<CloudRecordID>& ids, BatchCompletion completion) override {
        if (*alive_) database().fetchRecords(ids, whileAlive(alive_, std::move(completion)));
    }

  private:
    CloudDatabase& database() { return mac_->privateCloudDatabase(); }

    std::shared_ptr<CloudContainer> mac_;
    Alive alive_;
};

ProcessCloud::ProcessCloud(CloudService& mac) : mac_(mac) {}

ProcessCloud::~ProcessCloud() {
    end();
}

std::shared_ptr<CloudContainer> ProcessCloud::container(const QString& identifier) {
    auto& slot = containers_[identifier];
    if (!slot) slot = std::make_shared<Container>(mac_.container(identifier), alive_);
    return slot;
}

void ProcessCloud::setDamageHandler(std::function<void(const QString& problem)> handler) {
    if (!*alive_) return;
    handlerGiven_ = true;
    mac_.setDamageHandler(whileAlive(alive_, std::move(handler)));
}

void ProcessCloud::end() {
    if (!alive_->exchange(false)) return;
    if (handlerGiven_) mac_.setDamageHandler({});
}

} // namespace nimbrel::simtool
