#pragma once

#include "model/Rule.h"
#include "model/RuleListEdit.h"
#include "platform/Json.h"

#include <QByteArray>

#include <optional>
#include <vector>

namespace nimbrel {

// A rule list's stored form, byte for byte what encodeRules writes, kept with where each rule's
// object starts, so that an edit encodes only the rules it touches and copies the rest.
class RuleListBytes {
  public:
    RuleListBytes(const std::vector<NimbrelRule>& rules, json::DateForm form);
    // The stored form `bytes` that `count` rules were just read from, kept as it is (the array
    // around them made compact): a later edit re-encodes only the rules it touches, and the
    // others keep the bytes they were read from, which read back as the same rules. None when
    // `bytes` is not an array of `count` objects.
    static std::optional<RuleListBytes> fromStored(const QByteArray& bytes, size_t count, json::DateForm form);

    void apply(const RuleListEdit& edit);
    // Edits in sequence, the text put together once.
    void apply(const std::vector<RuleListEdit>& edits);
    const QByteArray& bytes() const { return bytes_; }

  private:
    explicit RuleListBytes(json::DateForm form) : form_(form) {}
    // Where the object of the rule at `position` ends (its comma or the closing bracket).
    qsizetype end(size_t position) const;

    json::DateForm form_;
    QByteArray bytes_;
    std::vector<qsizetype> starts_;
};

} // namespace nimbrel
