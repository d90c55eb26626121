#pragma once

#include "model/Rule.h"

#include <cstddef>

namespace nimbrel {

// One edit of the rules store's list, for what the store keeps alongside the list (the tap
// lookup, the stored text) to follow it instead of being made anew. `before` points into the
// list as it was, `after` at the new value; both are valid only while the edit is applied.
struct RuleListEdit {
    enum class Kind { replace, append, erase };
    Kind kind;
    size_t position;                     // in the list as it was; append: its size
    const NimbrelRule* before = nullptr; // replace, erase
    const NimbrelRule* after = nullptr;  // replace, append

    static RuleListEdit replace(size_t position, const NimbrelRule& before, const NimbrelRule& after) {
        return {Kind::replace, position, &before, &after};
    }
    static RuleListEdit append(size_t position, const NimbrelRule& rule) {
        return {Kind::append, position, nullptr, &rule};
    }
    static RuleListEdit erase(size_t position, const NimbrelRule& rule) {
        return {Kind::erase, position, &rule, nullptr};
    }
};

} // namespace nimbrel
