#pragma once

#include "platform/CloudDatabase.h"

#include <QByteArray>

#include <optional>

namespace nimbrel {

// The stored form of a record's fields: one CBOR map from field name to value. Flags,
// integers, texts, bytes and lists of texts are CBOR's own kinds; a date is its seconds since
// 2001 as a double under a tag of its own, so no kind reads back as another.
QByteArray encodeCloudFields(const CloudFields& fields);
// Whether every date is a moment in time (not infinite, not NaN); only such fields are stored.
bool hasOnlyFiniteDates(const CloudFields& fields);
// nullopt for bytes that are not such a map (a damaged row).
std::optional<CloudFields> decodeCloudFields(const QByteArray& bytes);

} // namespace nimbrel
