#pragma once

#include "model/RuleCoding.h"
#include "model/RulesStore.h"
#include "model/StoreFixture.h"
#include "sync/CloudPayloads.h"

namespace nimbrel::testing {

class RulesStoreFixture : public StoreFixture {
  protected:
    std::shared_ptr<NimbrelRulesStore> makeStore() {
        auto store = NimbrelRulesStore::create(platform, links());
        scheduler.runUntilIdle();
        return store;
    }

    NimbrelRule rule(const QString& name, const QString& displayName, std::optional<QString> bundleId = std::nullopt,
                     std::optional<QString> path = std::nullopt, std::int64_t clicks = 1) {
        NimbrelRuleTrigger trigger{clicks, NimbrelRuleAppTarget{displayName, std::move(bundleId), std::move(path)}};
        return NimbrelRule::make(name, true, false, trigger,
                                 {NimbrelRuleAction::runSystemBehavior(SystemBehaviorRuleAction{})}, scheduler.now());
    }
    static NimbrelRuleAppTarget tapped(const QString& name, std::optional<QString> bundleId = std::nullopt,
                                       std::optional<QString> path = std::nullopt) {
        return NimbrelRuleAppTarget{name, std::move(bundleId), std::move(path)};
    }

    void storeRules(const std::vector<NimbrelRule>& rules) {
        defaults.setData(NimbrelRulesStore::defaultsKey, encodeRules(rules, json::DateForm::SecondsSince2001));
    }
    std::vector<NimbrelRule> storedRules() const {
        auto data = defaults.dataValue(NimbrelRulesStore::defaultsKey);
        if (!data) return {};
        auto decoded = decodeRules(*data, json::DateForm::SecondsSince2001);
        EXPECT_TRUE(decoded) << decoded.error.toStdString();
        return decoded ? *decoded.value : std::vector<NimbrelRule>{};
    }
    static QStringList names(const std::vector<NimbrelRule>& rules) {
        QStringList out;
        for (const NimbrelRule& r : rules)
            out << r.name;
        return out;
    }

    static NimbrelCloudPayloadRecord payloadRecord(const NimbrelRule& rule) {
        NimbrelCloudPayloadRecord record;
        record.objectID = rule.id.toString();
        record.payload = encodeCloudJSON(toJson(rule, json::DateForm::ISO8601));
        record.sourceDeviceID = QStringLiteral("OTHER");
        record.createdAt = rule.createdAt;
        record.updatedAt = rule.updatedAt;
        return record;
    }
    static NimbrelCloudTombstone tombstone(const Uuid& id) {
        NimbrelCloudTombstone t;
        t.objectID = id.toString();
        t.sourceDeviceID = QStringLiteral("OTHER");
        return t;
    }
};

} // namespace nimbrel::testing
