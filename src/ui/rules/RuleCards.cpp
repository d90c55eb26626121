#include "ui/rules/RuleCards.h"

#include "ui/rules/RuleSentence.h"
#include "ui/rules/RuleState.h"

#include <QVariantList>

namespace nimbrel {

QVariantMap RulePillContent::toVariant() const {
    return {{QStringLiteral("kind"), kind},     {QStringLiteral("label"), label},
            {QStringLiteral("symbol"), symbol}, {QStringLiteral("count"), qlonglong(count)},
            {QStringLiteral("state"), state},   {QStringLiteral("icon"), icon.toVariant()}};
}

QString stateButtonName(RuleStateButton button) {
    switch (button) {
    case RuleStateButton::enable:
        return QStringLiteral("enable");
    case RuleStateButton::resume:
        return QStringLiteral("resume");
    case RuleStateButton::pauseMenu:
        break;
    }
    return QStringLiteral("pauseMenu");
}

QVariantMap RuleCardContent::toVariant() const {
    return {{QStringLiteral("id"), id.toString()},
            {QStringLiteral("name"), name},
            {QStringLiteral("isPinned"), isPinned},
            {QStringLiteral("stateButton"), stateButtonName(stateButton)},
            {QStringLiteral("triggerAppMissing"), triggerAppMissing},
            {QStringLiteral("warningText"), warningText}};
}

QVariantList RuleCardContent::pillsVariant() const {
    QVariantList list;
    list.reserve(qsizetype(pills.size()));
    for (const RulePillContent& pill : pills)
        list.append(pill.toVariant());
    return list;
}

bool RuleCardBuilder::isAvailable(const NimbrelRule& rule) {
    const auto it = available_.constFind(rule.trigger.app);
    if (it != available_.constEnd()) return *it;
    const bool available = rule.isTriggerAppAvailable(workspace_, files_);
    available_.insert(rule.trigger.app, available);
    return available;
}

const AppIconRef& RuleCardBuilder::iconOf(const NimbrelRuleAppTarget& target) {
    auto it = icons_.find(target);
    if (it == icons_.end()) it = icons_.insert(target, appTargetIcon(workspace_, files_, target));
    return *it;
}

RuleCardContent RuleCardBuilder::card(const NimbrelRule& rule) {
    const RuleSentenceContext context{now_, isAvailable(rule), &times_};
    RuleCardContent card;
    card.id = rule.id;
    card.name = rule.name;
    card.isPinned = rule.isPinned;
    card.stateButton = stateButton(rule, now_);
    card.triggerAppMissing = !context.triggerAppAvailable;
    if (card.triggerAppMissing)
        card.warningText = rule.trigger.app.displayName +
                           QStringLiteral(" is not installed on this Mac. This rule cannot run until the app is "
                                          "installed.");
    for (const RuleTagPill& pill : sentencePills(rule)) {
        RulePillContent content;
        content.kind = pill.kindName();
        content.label = pillLabel(pill, context);
        content.symbol = pillSymbol(pill);
        if (const auto* click = pill.as<RuleTagPill::Click>()) content.count = click->count;
        if (const auto* app = pill.as<RuleTagPill::App>()) content.icon = iconOf(app->target);
        if (pill.as<RuleTagPill::Status>())
            content.state = stateName(ruleState(rule, now_, context.triggerAppAvailable));
        card.pills.push_back(std::move(content));
    }
    return card;
}

std::vector<RuleCardContent> RuleCardBuilder::cards(const std::vector<NimbrelRule>& storedRules) {
    std::vector<RuleCardContent> out;
    const std::vector<NimbrelRule> ordered = sortedRules(storedRules);
    out.reserve(ordered.size());
    for (const NimbrelRule& rule : ordered)
        out.push_back(card(rule));
    return out;
}

} // namespace nimbrel
