#include "ui/rules/RulesListLogic.h"

#include "platform/TextServices.h"
#include "ui/rules/RuleState.h"

#include <algorithm>
#include <limits>

namespace nimbrel {

QByteArray ruleSortKey(const NimbrelRule& rule) {
    // Pinned rules first: their keys start lower.
    return QByteArray(1, rule.isPinned ? '\x00' : '\x01') + localizedCaseInsensitiveSortKey(rule.name);
}

std::vector<NimbrelRule> sortedRules(const std::vector<NimbrelRule>& rules) {
    std::vector<NimbrelRule> out = rules;
    stableSortByKey(out, ruleSortKey);
    return out;
}

QString defaultRuleName(size_t storedRuleCount) {
    return QStringLiteral("Rule ") + QString::number(storedRuleCount + 1);
}

RuleUpsert upsertFor(const std::vector<NimbrelRule>& stored, const Uuid& id) {
    const bool found = std::any_of(stored.begin(), stored.end(), [&](const NimbrelRule& r) { return r.id == id; });
    return found ? RuleUpsert::update : RuleUpsert::add;
}

std::optional<std::int64_t> customPauseSeconds(const QString& minutesText) {
    const QString text = minutesText.trimmed();
    if (text.isEmpty()) return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool sign = i == 0 && (c == QLatin1Char('+') || c == QLatin1Char('-'));
        if (!sign && !(c >= QLatin1Char('0') && c <= QLatin1Char('9'))) return std::nullopt;
    }
    bool ok = false;
    const std::int64_t minutes = text.toLongLong(&ok, 10);
    if (!ok || minutes < 1) return std::nullopt;
    if (minutes > std::numeric_limits<std::int64_t>::max() / 60) return std::nullopt;
    return minutes * 60;
}

RuleStateButton stateButton(const NimbrelRule& rule, Date now) {
    if (!rule.isEnabled) return RuleStateButton::enable;
    if (isPaused(rule, now)) return RuleStateButton::resume;
    return RuleStateButton::pauseMenu;
}

} // namespace nimbrel
