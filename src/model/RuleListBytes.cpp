#include "model/RuleListBytes.h"

#include "model/RuleCoding.h"

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
    // Each rule's bytes as they will be written: a slice of the kept bytes, or its new encoding.
    // The text is put together once, however many edits there are.
    struct Piece {
        qsizetype from = 0, size = 0;
        QByteArray encoded;
    };
    std::vector<Piece> pieces;
    pieces.reserve(starts_.size() + edits.size());
    for (size_t i = 0; i < starts_.size(); ++i)
        pieces.push_back({starts_[i], end(i) - starts_[i], {}});
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
    qsizetype size = 1 + qsizetype(pieces.size());
    for (const Piece& piece : pieces)
        size += piece.encoded.isNull() ? piece.size : piece.encoded.size();
    QByteArray text;
    text.reserve(size);
    text += '[';
    starts_.clear();
    for (const Piece& piece : pieces) {
        if (!starts_.empty()) text += ',';
        starts_.push_back(text.size());
        text.append(piece.encoded.isNull() ? QByteArrayView(bytes_).sliced(piece.from, piece.size)
                                           : QByteArrayView(piece.encoded));
    }
    text += ']';
    bytes_ = std::move(text);
}

} // namespace nimbrel
