#pragma once

#include "model/Rule.h"
#include "model/RuleListEdit.h"
#include "sync/CloudPullMerge.h"

#include <variant>
#include <vector>

namespace nimbrel {

using SortedMerge = std::variant<std::vector<RuleListEdit>, RuleListArrangement>;

// What makes `held` the list a pull's `changes` make of it, sorted newest `createdAt` first (a
// stable sort: rules made at the same moment keep their order). Edits: the changed rules replaced
// where they stand, the deleted ones taken out, the added ones put in at their places, and the
// fewest others moved. When so many rules would be put in that edits cost more (a list kept in
// the order it was made, oldest first, is out of this order nearly whole), the list's
// arrangement anew, which names each held rule that stays as it is by its position. Either
// points into `held` and `changes`.
SortedMerge sortedMerge(const std::vector<NimbrelRule>& held, const CloudMergeChanges<NimbrelRule>& changes);

} // namespace nimbrel
