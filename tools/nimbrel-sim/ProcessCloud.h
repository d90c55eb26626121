#pragma once

#include "platform/CloudDatabase.h"

#include <atomic>
#include <map>
#include <memory>

namespace nimbrel::simtool {

// The cloud as one process on the simulated Mac reaches it. Its calls go to the Mac's cloud,
// where a request that got there may still be written after the process ended; but nothing
// comes back to an ended process (no answer, no damage notice) and it makes no more calls, as
// a killed process's requests go on without it.
class ProcessCloud final : public CloudService {
  public:
    explicit ProcessCloud(CloudService& mac);
    ~ProcessCloud() override;
    ProcessCloud(const ProcessCloud&) = delete;
    ProcessCloud& operator=(const ProcessCloud&) = delete;

    std::shared_ptr<CloudContainer> container(const QString& identifier) override;
    void setDamageHandler(std::function<void(const QString& problem)> handler) override;

    // The process has ended. A damage notice it was not told waits for the next process.
    void end();

  private:
    class Container;

    CloudService& mac_;
    std::shared_ptr<std::atomic<bool>> alive_ = std::make_shared<std::atomic<bool>>(true);
    std::map<QString, std::shared_ptr<Container>> containers_;
    bool handlerGiven_ = false;
};

} // namespace nimbrel::simtool
