// Feeds arbitrary bytes to the sessions file decoder. Whatever decodes must encode and decode
// again to an equal list (apps get new ids on every read, so those are set aside); anything
// else must fail cleanly with an error text.
#include "sessions/SessionCoding.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using nimbrel::NimbrelSession;

// 2026-03-10 12:00:00 UTC, in whole seconds as the file holds dates.
constexpr nimbrel::Date kNow{794836800.0};

std::vector<NimbrelSession> withoutAppIds(std::vector<NimbrelSession> sessions) {
    for (NimbrelSession& s : sessions)
        for (auto* apps : {&s.allowedApps, &s.whitelistedApps})
            for (nimbrel::NimbrelSessionApp& app : *apps)
                app.id = nimbrel::Uuid();
    return sessions;
}

[[noreturn]] void fail(const char* what, const QByteArray& detail) {
    std::fprintf(stderr, "%s\n%s\n", what, detail.constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto first = decodeSessionList(bytes, kNow);
    if (!first) {
        if (first.error.isEmpty()) fail("decode failed without an error text", bytes);
        return 0;
    }
    const QByteArray encoded = encodeSessionList(*first.value);
    const auto second = decodeSessionList(encoded, kNow);
    if (!second) fail("re-encoded list does not decode", second.error.toUtf8() + "\n" + encoded);
    if (withoutAppIds(*second.value) != withoutAppIds(*first.value))
        fail("re-encoded list decodes to a different list", encoded);
    // One session alone (the cloud payload's form) goes through the same coding.
    for (const NimbrelSession& session : *second.value) {
        const auto one = decodeSessionData(encodeSessionData(session), kNow);
        if (!one || withoutAppIds({*one.value}) != withoutAppIds({session}))
            fail("a single session does not round-trip", encodeSessionData(session));
    }
    return 0;
}
