// Feeds arbitrary bytes to the cloud payload decoders (the blacklist's stored JSON and the
// keyed JSON of every payload value) and to the stored form of record fields, whose records
// then go through every record reader. What decodes must encode and decode again to the same
// value; anything else must fail cleanly.
#include "platform/local/CloudFieldCoding.h"
#include "sync/CloudPayloads.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace nimbrel;

[[noreturn]] void fail(const char* what, const QByteArray& bytes) {
    std::fprintf(stderr, "%s\n%s\n", what, bytes.toHex().constData());
    std::abort();
}

template <typename T> void checkJson(const QByteArray& bytes) {
    const auto first = json::tryDecode<T>([&] { return T::fromJson(CloudJSONDecoder().reader(bytes)); });
    if (!first) {
        if (first.error.isEmpty()) fail("decode failed without an error text", bytes);
        return;
    }
    const QByteArray encoded = encodeCloudJSON(first.value->toJson());
    const auto second = json::tryDecode<T>([&] { return T::fromJson(CloudJSONDecoder().reader(encoded)); });
    if (!second || !(*second.value == *first.value)) fail("a decoded value does not round-trip", encoded);
}

// A record made of the decoded fields goes through every reader; what a reader accepts must
// be written back to the same fields it read.
void checkRecords(const QByteArray& bytes) {
    const auto fields = decodeCloudFields(bytes);
    if (!fields) return;
    if (decodeCloudFields(encodeCloudFields(*fields)) != fields) fail("stored fields do not round-trip", bytes);
    CloudRecord record(QStringLiteral("Fuzz"), {QStringLiteral("fuzz")});
    for (const auto& [key, value] : *fields)
        record.set(key, value);

    if (auto p = NimbrelCloudPayloadRecord::fromRecord(record)) {
        CloudRecord again(record.recordType(), record.recordID());
        p->writeTo(again);
        if (NimbrelCloudPayloadRecord::fromRecord(again) != p) fail("payload record does not round-trip", bytes);
    }
    if (auto t = NimbrelCloudTombstone::fromRecord(record)) {
        if (NimbrelCloudTombstone::fromRecord(t->makeRecord()) != t) fail("tombstone does not round-trip", bytes);
    }
    if (auto s = NimbrelCloudSettingsPayload::fromRecord(record)) {
        if (NimbrelCloudSettingsPayload::fromRecord(s->makeRecord()) != s) fail("settings do not round-trip", bytes);
    }
    if (auto d = NimbrelCloudDeviceRecord::fromRecord(record)) {
        CloudRecord again(record.recordType(), record.recordID());
        d->writeTo(again);
        if (NimbrelCloudDeviceRecord::fromRecord(again) != d) fail("device record does not round-trip", bytes);
    }
    if (auto b = NimbrelCloudBlacklistPayload::fromRecord(record)) {
        auto made = b->makeRecord();
        if (made.ok() && NimbrelCloudBlacklistPayload::fromRecord(made.value()) != b)
            fail("blacklist record does not round-trip", bytes);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (auto blacklist = NimbrelCloudBlacklistPayload::decode(bytes)) {
        const auto encoded = blacklist->encoded();
        if (encoded.ok() && NimbrelCloudBlacklistPayload::decode(encoded.value()) != blacklist)
            fail("blacklist payload does not round-trip", bytes);
    }
    checkJson<NimbrelCloudPayloadRecord>(bytes);
    checkJson<NimbrelCloudTombstone>(bytes);
    checkJson<NimbrelCloudSettingsPayload>(bytes);
    checkJson<NimbrelCloudDeviceRecord>(bytes);
    checkRecords(bytes);
    return 0;
}
