#pragma once

#include "model/Rule.h"
#include "model/RuleListEdit.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <map>
#include <vector>

namespace nimbrel {

// The rules a Dock tap can concern, found without looking at every stored rule: enabled
// rules of the tap's click count whose trigger app has the tapped app's bundle identifier,
// path or folded name, and those with a pause (a pause that ran out is cleared whatever
// app was tapped). Built for one list of rules and kept up to date through the changes
// below, so an edit does not cost the next tap a fold of every rule's app name.
class RuleTriggerIndex {
  public:
    explicit RuleTriggerIndex(const std::vector<NimbrelRule>& rules);

    // Follows one edit of the list it stands for.
    void apply(const RuleListEdit& edit);
    // Follows the list arranged anew: the held rules keep their folded names.
    void arrange(const RuleListArrangement& arrangement);

    // Ascending positions in the list the index stands for.
    std::vector<size_t> candidates(const NimbrelRuleAppTarget& tapped, const QString& tappedName,
                                   std::int64_t clickCount) const;
    // The folded display name of the trigger app at `position` (normalizedAppName).
    const QString& foldedName(size_t position) const { return names_[position]; }

  private:
    using Positions = std::vector<size_t>;
    struct ClickCountRules {
        QHash<QString, Positions> byBundleIdentifier, byPath, byName;
        Positions paused;
    };

    // The rule at `position` became `after`.
    void replace(size_t position, const NimbrelRule& before, const NimbrelRule& after);
    // `rule` was put in at `position`; the rules from there on moved down one place.
    void insert(size_t position, const NimbrelRule& rule);
    // `rule`, at `position`, was removed; the rules after it moved up one place.
    void erase(size_t position, const NimbrelRule& rule);
    void shiftPositions(size_t from, std::ptrdiff_t by);
    // Files or unfiles the rule at `position` (its folded name already in `names_`).
    void file(size_t position, const NimbrelRule& rule);
    void unfile(size_t position, const NimbrelRule& rule);

    std::vector<QString> names_; // folded trigger app names, by position
    std::map<std::int64_t, ClickCountRules> byClickCount_;
};

} // namespace nimbrel
