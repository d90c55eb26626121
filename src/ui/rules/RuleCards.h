#pragma once

#include "model/Rule.h"
#include "ui/common/AppIcons.h"
#include "ui/rules/RuleSentence.h"
#include "ui/rules/RulesListLogic.h"

#include <QHash>
#include <QVariantList>
#include <QVariantMap>

#include <vector>

namespace nimbrel {

class FileSystem;
class Workspace;

// What one pill of a card shows.
struct RulePillContent {
    QString kind; // RuleTagPill::kindName()
    QString label;
    QString symbol;
    std::int64_t count = 0; // the click count of a click pill
    QString state;          // the status pill's tint: stateName(); empty for other pills
    AppIconRef icon;        // the app pill's icon
    QVariantMap toVariant() const;
    friend bool operator==(const RulePillContent&, const RulePillContent&) = default;
};

// What one rule card shows.
struct RuleCardContent {
    Uuid id;
    QString name;
    bool isPinned = false;
    RuleStateButton stateButton = RuleStateButton::pauseMenu;
    bool triggerAppMissing = false;
    QString warningText; // empty while the trigger app is there
    std::vector<RulePillContent> pills;
    // The card without its pills, which reach the view apart: a card whose pills stay keeps
    // their items when its other texts change.
    QVariantMap toVariant() const;
    QVariantList pillsVariant() const;
    friend bool operator==(const RuleCardContent&, const RuleCardContent&) = default;
};

// Builds the cards of one redraw. Whether a trigger app is present, and its icon, are asked
// of the workspace once per distinct app in a redraw.
class RuleCardBuilder {
  public:
    RuleCardBuilder(const Workspace& workspace, const FileSystem& files, Date now)
        : workspace_(workspace), files_(files), now_(now) {}

    RuleCardContent card(const NimbrelRule& rule);
    // The cards of the list, in list order.
    std::vector<RuleCardContent> cards(const std::vector<NimbrelRule>& storedRules);

  private:
    bool isAvailable(const NimbrelRule& rule);
    const AppIconRef& iconOf(const NimbrelRuleAppTarget& target);

    const Workspace& workspace_;
    const FileSystem& files_;
    Date now_;
    QHash<NimbrelRuleAppTarget, bool> available_;
    QHash<NimbrelRuleAppTarget, AppIconRef> icons_;
    ShortTimeTexts times_;
};

QString stateButtonName(RuleStateButton button);

} // namespace nimbrel
