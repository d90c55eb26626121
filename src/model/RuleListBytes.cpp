#include "model/RuleListBytes.h"

#include "model/RuleCoding.h"

#include <atomic>
#include <utility>

namespace nimbrel {

// A compact JSON array is its members' compact forms between brackets, joined by commas.
RuleListBytes::RuleListBytes(const std::vector<NimbrelRule>& rules, json::DateForm form) : form_(form) {
    bytes_ = "[";
    starts_.reserve(rules.size());
    for (const NimbrelRule& rule : rules) {
        if (!starts_.empty()) bytes_ += ',';
        starts_.push_back(bytes_.size());
        bytes_ += encodeRule(rule, form_);
    }
    bytes_ += ']';
}

namespace {

bool isJsonSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The end of the object that starts at `at` (just past its closing brace), or -1.
qsizetype objectEnd(QByteArrayView text, qsizetype at) {
    int depth = 0;
    bool inString = false;
    for (qsizetype i = at; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i; // the escaped character, whatever it is
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if (c == '}' || c == ']') {
            if (--depth == 0) return i + 1;
        }
    }
    return -1;
}

} // namespace

std::optional<RuleListBytes> RuleListBytes::fromStored(const QByteArray& bytes, size_t count, json::DateForm form) {
    RuleListBytes list(form);
    std::vector<std::pair<qsizetype, qsizetype>> objects; // [start, end)
    objects.reserve(count);
    const QByteArrayView text(bytes);
    qsizetype i = 0;
    const auto skipSpace = [&] {
        while (i < text.size() && isJsonSpace(text[i]))
            ++i;
    };
    skipSpace();
    if (i == text.size() || text[i++] != '[') return std::nullopt;
    skipSpace();
    if (i < text.size() && text[i] == ']') {
        ++i;
    } else {
        for (;;) {
            if (i == text.size() || text[i] != '{') return std::nullopt;
            const qsizetype end = objectEnd(text, i);
            if (end < 0) return std::nullopt;
            objects.emplace_back(i, end);
            i = end;
            skipSpace();
            if (i == text.size()) return std::nullopt;
            const char next = text[i++];
            if (next == ']') break;
            if (next != ',') return std::nullopt;
            skipSpace();
        }
    }
    skipSpace();
    if (i != text.size() || objects.size() != count) return std::nullopt;

    // Kept whole, without a copy, unless there is space between the objects to leave out.
    bool compact = text[0] == '[';
    qsizetype expected = 1;
    for (size_t k = 0; k < objects.size(); ++k) {
        const auto [start, end] = objects[k];
        compact = compact && start == expected && text[end] == (k + 1 == objects.size() ? ']' : ',');
        expected = end + 1;
    }
    compact = compact && text.size() == expected;
    if (compact) {
        list.bytes_ = bytes;
        for (const auto& object : objects)
            list.starts_.push_back(object.first);
        return list;
    }
    list.bytes_ = "[";
    for (const auto& [start, end] : objects) {
        if (!list.starts_.empty()) list.bytes_ += ',';
        list.starts_.push_back(list.bytes_.size());
        list.bytes_ += text.sliced(start, end - start);
    }
    list.bytes_ += ']';
    return list;
}

qsizetype RuleListBytes::end(size_t position) const {
    return position + 1 < starts_.size() ? starts_[position + 1] - 1 : bytes_.size() - 1;
}

void RuleListBytes::apply(const RuleListEdit& edit) {
    apply(std::vector<RuleListEdit>{edit});
}

void RuleListBytes::apply(const std::vector<RuleListEdit>& edits) {
    if (edits.empty()) return;
    std::vector<Piece> pieces;
    pieces.reserve(starts_.size() + edits.size());
    for (size_t i = 0; i < starts_.size(); ++i)
        pieces.push_back(keptPiece(i));
    for (const RuleListEdit& edit : edits) {
        const auto at = pieces.begin() + std::ptrdiff_t(edit.position);
        switch (edit.kind) {
        case RuleListEdit::Kind::replace:
            *at = {0, 0, encodeRule(*edit.after, form_)};
            break;
        case RuleListEdit::Kind::insert:
            pieces.insert(at, {0, 0, encodeRule(*edit.after, form_)});
            break;
        case RuleListEdit::Kind::erase:
            pieces.erase(at);
            break;
        }
    }
    assemble(pieces);
}

void RuleListBytes::arrange(const RuleListArrangement& arrangement) {
    std::vector<Piece> pieces;
    pieces.reserve(arrangement.places.size());
    for (const RuleListArrangement::Place& place : arrangement.places)
        pieces.push_back(place.held != RuleListArrangement::notHeld ? keptPiece(place.held)
                                                                    : Piece{0, 0, encodeRule(*place.rule, form_)});
    assemble(pieces);
}

void RuleListBytes::assemble(const std::vector<Piece>& pieces) {
    qsizetype size = 1 + qsizetype(pieces.size());
    for (const Piece& piece : pieces)
        size += piece.encoded.isNull() ? piece.size : piece.encoded.size();
    // The spare's memory when only this holds it: the defaults (and their writer's thread) have
    // let go of the stored value it was. The fence orders that thread's last reads of it before
    // the writes here.
    const bool reusable = spare_.isDetached() && spare_.capacity() >= size;
    std::atomic_thread_fence(std::memory_order_acquire);
    QByteArray text = reusable ? std::move(spare_) : QByteArray();
    text.resize(0); // keeps the memory, where clear() would free it
    text.reserve(size);
    text += '[';
    starts_.clear();
    starts_.reserve(pieces.size());
    for (const Piece& piece : pieces) {
        if (!starts_.empty()) text += ',';
        starts_.push_back(text.size());
        text.append(piece.encoded.isNull() ? QByteArrayView(bytes_).sliced(piece.from, piece.size)
                                           : QByteArrayView(piece.encoded));
    }
    text += ']';
    spare_ = std::exchange(bytes_, std::move(text));
}

} // namespace nimbrel
