// Feeds arbitrary bytes to the rule-list decoder in both date forms. Whatever decodes
// must encode and decode again to an equal list; anything else must fail cleanly.
#include "model/RuleCoding.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void checkRoundTrip(const QByteArray& bytes, nimbrel::json::DateForm form) {
    using namespace nimbrel;
    const auto first = decodeRules(bytes, form);
    if (!first) {
        if (first.error.isEmpty()) {
            std::fprintf(stderr, "decode failed without an error text\n");
            std::abort();
        }
        return;
    }
    const QByteArray encoded = encodeRules(*first.value, form);
    const auto second = decodeRules(encoded, form);
    if (!second) {
        std::fprintf(stderr, "re-encoded list does not decode: %s\n%s\n", qPrintable(second.error),
                     encoded.constData());
        std::abort();
    }
    if (*second.value != *first.value) {
        std::fprintf(stderr, "re-encoded list decodes to a different list:\n%s\n", encoded.constData());
        std::abort();
    }
    // A single rule goes through the same coding.
    for (const NimbrelRule& rule : *first.value) {
        const auto one = decodeRule(encodeRule(rule, form), form);
        if (!one || *one.value != rule) {
            std::fprintf(stderr, "single rule does not round-trip\n");
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkRoundTrip(bytes, nimbrel::json::DateForm::SecondsSince2001);
    checkRoundTrip(bytes, nimbrel::json::DateForm::ISO8601);
    return 0;
}
