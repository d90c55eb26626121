#pragma once

#include "model/Rule.h"
#include "model/RuleListEdit.h"
#include "sync/CloudPullMerge.h"

#include <optional>
#include <vector>

namespace nimbrel {

// The edits that make `held` the list a pull's `changes` make of it, sorted newest `createdAt`
// first (a stable sort: rules made at the same moment keep their order): the changed rules
// replaced where they stand, the deleted ones taken out, the added ones put in at their places,
// and the fewest others moved. None when so many rules would be put in that making the list
// anew costs less. The edits point into `held` and `changes`.
std::optional<std::vector<RuleListEdit>> sortedMergeEdits(const std::vector<NimbrelRule>& held,
                                                          const CloudMergeChanges<NimbrelRule>& changes);

} // namespace nimbrel
