#pragma once

#include "model/Rule.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <map>
#include <vector>

namespace nimbrel {

// The rules a Dock tap can concern, found without looking at every stored rule: enabled
// rules of the tap's click count whose trigger app has the tapped app's bundle identifier,
// path or folded name, and those with a pause (a pause that ran out is cleared whatever
// app was tapped). Built for one list of rules; rebuilt when the list changes.
class RuleTriggerIndex {
  public:
    explicit RuleTriggerIndex(const std::vector<NimbrelRule>& rules);

    // Ascending positions in the list the index was built from.
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

    std::vector<QString> names_; // folded trigger app names, by position
    std::map<std::int64_t, ClickCountRules> byClickCount_;
};

} // namespace nimbrel
