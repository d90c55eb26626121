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
    // The list arranged anew: a rule held as it is keeps its bytes, only the others are encoded.
    void arrange(const RuleListArrangement& arrangement);
    const QByteArray& bytes() const { return bytes_; }

  private:
    // One rule's bytes as they will be written: a slice of the kept bytes, or its new encoding.
    struct Piece {
        qsizetype from = 0, size = 0;
        QByteArray encoded;
    };

    explicit RuleListBytes(json::DateForm form) : form_(form) {}
    // Where the object of the rule at `position` ends (its comma or the closing bracket).
    qsizetype end(size_t position) const;
    Piece keptPiece(size_t position) const { return {starts_[position], end(position) - starts_[position], {}}; }
    // Puts the text together from `pieces`, once.
    void assemble(const std::vector<Piece>& pieces);

    json::DateForm form_;
    QByteArray bytes_;
    std::vector<qsizetype> starts_;
    // The text before the last, whose memory the next text reuses once no one else holds it:
    // a large list is then neither allocated (and its pages touched for the first time) nor
    // freed at each edit.
    QByteArray spare_;
};

} // namespace nimbrel
