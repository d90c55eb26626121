#include "sessions/SessionListText.h"

#include "platform/Json.h"
#include "sessions/SessionCoding.h"

namespace nimbrel {

namespace {

// The indented writer puts each member of the top-level array one level in: the object's own
// indented text with four more spaces at the start of every line. No line break stands inside
// a string of the text (they are escaped), so every one of them starts a line.
QByteArray asArrayMember(const NimbrelSession& session) {
    QByteArray object = json::serialize(encodeSession(session), true);
    if (object.endsWith('\n')) object.chop(1);
    QByteArray member;
    member.reserve(object.size() + object.size() / 8);
    member += "    ";
    for (const char c : std::as_const(object)) {
        member += c;
        if (c == '\n') member += "    ";
    }
    return member;
}

} // namespace

QByteArray SessionListText::render(const std::vector<NimbrelSession>& sessions) {
    std::vector<QByteArray> texts; // shared with the kept parts, not copied
    texts.reserve(sessions.size());
    qsizetype size = 4;
    for (const NimbrelSession& session : sessions) {
        texts.push_back(parts_.of(session, 0, [&] { return asArrayMember(session); }));
        size += texts.back().size() + 2;
    }
    // What the list no longer holds is let go.
    parts_.endPass();
    QByteArray out;
    out.reserve(size);
    out += "[\n";
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) out += ",\n";
        out += texts[i];
    }
    out += texts.empty() ? "]\n" : "\n]\n";
    return out;
}

} // namespace nimbrel
