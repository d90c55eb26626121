#pragma once

#include "model/RuleCoding.h"
#include "model/RulesStore.h"
#include "support/QtPrinters.h"
#include "ui/UiTestPlatform.h"
#include "ui/rules/RulesPreview.h"
#include "ui/rules/RulesViewModel.h"

#include <gtest/gtest.h>

namespace nimbrel::testing {

// The rules screen's view model over a store of its own on the simulated Mac.
class RulesScreenFixture : public ::testing::Test {
  protected:
    NimbrelRule rule(const QString& name, const QString& app = QStringLiteral("Safari"),
                     const QString& bundleId = QStringLiteral("com.apple.Safari")) {
        return NimbrelRule::make(name, true, false, NimbrelRuleTrigger{1, {app, bundleId, std::nullopt}}, {},
                                 env.scheduler.now());
    }
    void start(const std::vector<NimbrelRule>& rules) {
        offline = OfflineRulesStore::make(env.platform, rules);
        model = std::make_unique<RulesViewModel>(env.platform, offline.store, previewEditorServices(env.platform));
    }
    NimbrelRulesStore& store() { return *offline.store; }
    const NimbrelRule& stored(size_t i) { return store().rules().get().at(i); }
    // What the defaults hold, decoded as a fresh run would read it.
    std::vector<NimbrelRule> persisted() const {
        auto data = env.defaults.dataValue(NimbrelRulesStore::defaultsKey);
        if (!data) return {};
        auto decoded = decodeRules(*data, json::DateForm::SecondsSince2001);
        return decoded ? *decoded.value : std::vector<NimbrelRule>{};
    }
    QString id(size_t i) { return stored(i).id.toString(); }

    UiTestPlatform env;
    OfflineRulesStore offline;
    std::unique_ptr<RulesViewModel> model;
};

} // namespace nimbrel::testing
