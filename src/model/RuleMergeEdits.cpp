#include "model/RuleMergeEdits.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace nimbrel {

namespace {

// Each put in costs a pass over the list's positions (in the list, its stored text and the tap
// lookup); past this many, arranging the list anew in one pass costs less, whatever its length.
constexpr size_t kMostInsertions = 32;
constexpr size_t kAdded = std::numeric_limits<size_t>::max();

struct Merged {
    const NimbrelRule* rule;
    size_t held; // its position in the held list; kAdded for an added rule
};

// Which of `sequence` (distinct numbers) form a longest increasing run, by index in `sequence`.
std::vector<bool> longestIncreasing(const std::vector<size_t>& sequence) {
    std::vector<size_t> tails;                             // index in `sequence` ending each length
    std::vector<size_t> previous(sequence.size(), kAdded); // the index before it in its run
    for (size_t i = 0; i < sequence.size(); ++i) {
        const auto at = std::lower_bound(tails.begin(), tails.end(), sequence[i],
                                         [&](size_t tail, size_t value) { return sequence[tail] < value; });
        if (at != tails.begin()) previous[i] = *(at - 1);
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    std::vector<bool> inRun(sequence.size(), false);
    for (size_t i = tails.empty() ? kAdded : tails.back(); i != kAdded; i = previous[i])
        inRun[i] = true;
    return inRun;
}

} // namespace

SortedMerge sortedMerge(const std::vector<NimbrelRule>& held, const CloudMergeChanges<NimbrelRule>& changes) {
    std::vector<Merged> merged;
    merged.reserve(held.size() + changes.added.size());
    auto gone = changes.deleted.begin();
    for (size_t i = 0; i < held.size(); ++i) {
        if (gone != changes.deleted.end() && *gone == i) {
            ++gone;
            continue;
        }
        const auto newer = changes.replaced.find(i);
        merged.push_back({newer == changes.replaced.end() ? &held[i] : &newer->second, i});
    }
    for (const NimbrelRule& rule : changes.added)
        merged.push_back({&rule, kAdded});

    std::vector<size_t> order(merged.size());
    std::iota(order.begin(), order.end(), size_t(0));
    const auto newer = [&](size_t a, size_t b) { return merged[a].rule->createdAt > merged[b].rule->createdAt; };
    // A list pulled before is in this order already.
    if (!std::is_sorted(order.begin(), order.end(), newer)) std::stable_sort(order.begin(), order.end(), newer);

    // The held rules that stay where they are: the most of them already in the sorted order.
    std::vector<size_t> heldInOrder;
    heldInOrder.reserve(merged.size());
    for (size_t m : order)
        if (merged[m].held != kAdded) heldInOrder.push_back(m);
    const std::vector<bool> inRun = longestIncreasing(heldInOrder);
    std::vector<bool> stays(merged.size(), false);
    for (size_t k = 0; k < heldInOrder.size(); ++k)
        stays[heldInOrder[k]] = inRun[k];
    if (size_t(std::count(stays.begin(), stays.end(), false)) > kMostInsertions) {
        RuleListArrangement arrangement;
        arrangement.places.reserve(order.size());
        for (size_t m : order) {
            const bool unchanged = merged[m].held != kAdded && merged[m].rule == &held[merged[m].held];
            arrangement.places.push_back({merged[m].rule, unchanged ? merged[m].held : RuleListArrangement::notHeld});
        }
        return arrangement;
    }

    std::vector<RuleListEdit> edits;
    std::vector<size_t> erased = changes.deleted;
    for (size_t m = 0; m < merged.size(); ++m) {
        if (merged[m].held == kAdded) continue;
        if (!stays[m])
            erased.push_back(merged[m].held);
        else if (merged[m].rule != &held[merged[m].held])
            edits.push_back(RuleListEdit::replace(merged[m].held, held[merged[m].held], *merged[m].rule));
    }
    // From the end, so the positions of the rest hold.
    std::sort(erased.begin(), erased.end(), std::greater<>());
    for (size_t position : erased)
        edits.push_back(RuleListEdit::erase(position, held[position]));
    // Each in turn at its final place: the places before it are final already.
    for (size_t j = 0; j < order.size(); ++j)
        if (!stays[order[j]]) edits.push_back(RuleListEdit::insert(j, *merged[order[j]].rule));
    return edits;
}

} // namespace nimbrel
