#pragma once

#include "model/Rule.h"

#include <QObject>

#include <memory>
#include <vector>

namespace nimbrel {

struct Platform;
class NimbrelRulesStore;
class NimbrelCloudSyncManager;
class RulesViewModel;

// A rules store over a platform of its own that never syncs: for the screens' pictures,
// their tests and benchmarks.
struct OfflineRulesStore {
    std::unique_ptr<NimbrelCloudSyncManager> sync;
    std::shared_ptr<NimbrelRulesStore> store;

    // Stores `rules` in the platform's defaults first, so the store starts with them.
    static OfflineRulesStore make(Platform& platform, const std::vector<NimbrelRule>& rules = {});
    OfflineRulesStore();
    OfflineRulesStore(OfflineRulesStore&&) noexcept;
    OfflineRulesStore& operator=(OfflineRulesStore&&) noexcept;
    ~OfflineRulesStore();
};

// The rules screen over still data: four varied rules (pinned, paused, scheduled, and one
// whose app is not installed) on the simulated Mac of `platform`.
class RulesPreview {
  public:
    explicit RulesPreview(Platform& platform);
    ~RulesPreview();

    static std::vector<NimbrelRule> sampleRules(Date now);
    std::unique_ptr<RulesViewModel> makeViewModel();
    NimbrelRulesStore& store() { return *rules_.store; }

  private:
    Platform& platform_;
    OfflineRulesStore rules_;
};

} // namespace nimbrel
