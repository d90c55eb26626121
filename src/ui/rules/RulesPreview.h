#pragma once

#include "model/Rule.h"
#include "ui/rules/RulesViewModel.h"

#include <memory>
#include <vector>

namespace nimbrel {

struct Platform;
class NimbrelRulesStore;
class NimbrelCloudSyncManager;

// A rules store over a platform of its own that never syncs: for the screens' tests and
// benchmarks.
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

// Still rules for pictures of the rules screens: a pinned Finder rule, a paused and scheduled
// Safari rule, a scheduled Terminal rule and one whose app is not installed.
std::vector<NimbrelRule> previewRules(Date now);
// Stores them as the platform's rules (before its rules store first reads them).
void seedRulesPreview(Platform& platform);
// The editor's services over a platform of its own: a catalogue made for it and its screens as
// the window manager would offer them.
RulesViewModel::EditorServices previewEditorServices(Platform& platform);

} // namespace nimbrel
