#pragma once

#include "model/Rule.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace nimbrel {

// One edit of the rules store's list, for what the store keeps alongside the list (the tap
// lookup, the stored text) to follow it instead of being made anew. Edits come in sequence:
// each one's position is in the list as the edits before it left it. `before` points at the
// rule the edit replaces or removes, `after` at the rule it puts in; both are valid only while
// the edit is applied.
struct RuleListEdit {
    enum class Kind { replace, insert, erase };
    Kind kind;
    size_t position;                     // insert: where the rule goes (the size: at the end)
    const NimbrelRule* before = nullptr; // replace, erase
    const NimbrelRule* after = nullptr;  // replace, insert

    static RuleListEdit replace(size_t position, const NimbrelRule& before, const NimbrelRule& after) {
        return {Kind::replace, position, &before, &after};
    }
    static RuleListEdit insert(size_t position, const NimbrelRule& rule) {
        return {Kind::insert, position, nullptr, &rule};
    }
    static RuleListEdit append(size_t size, const NimbrelRule& rule) { return insert(size, rule); }
    static RuleListEdit erase(size_t position, const NimbrelRule& rule) {
        return {Kind::erase, position, &rule, nullptr};
    }
};

// The store's list made anew from its own rules and a few others, for a change that moves so
// many rules that edits one by one cost more: each place names the rule it holds and, for a rule
// the list held as it is, where the list held it. The rules are valid only while it is applied.
struct RuleListArrangement {
    static constexpr size_t notHeld = std::numeric_limits<size_t>::max();
    struct Place {
        const NimbrelRule* rule;
        size_t held = notHeld; // its position in the list before; notHeld for a new or changed rule
    };
    std::vector<Place> places;
};

// What the last change of the store's list did, for those who keep something made of each rule
// (the rules screen's cards): its edits in sequence, by the ids of the rules they put in or took
// out, or none when the list was arranged anew or replaced whole. `number` counts the changes, so
// that one who missed a change knows it.
struct RuleListChange {
    struct Step {
        RuleListEdit::Kind kind;
        size_t position;
        Uuid id; // of the rule put in (replace, insert) or taken out (erase)
        // An insert of a rule the list held as it is, which this change took out before: a move.
        bool moved = false;
    };
    std::uint64_t number = 0;
    std::optional<std::vector<Step>> steps;
    // For a list arranged anew: the ids of its new and changed rules; every other rule is the one
    // held before, perhaps at another place. None with steps, or when the list was replaced whole.
    std::optional<std::vector<Uuid>> arrangedAnew;
};

} // namespace nimbrel
