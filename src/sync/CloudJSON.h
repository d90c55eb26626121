#pragma once

#include "platform/Json.h"

#include <QByteArray>
#include <QJsonObject>

namespace nimbrel {

// The cloud JSON coding: ISO 8601 dates in whole seconds, sorted keys, compact output, "/"
// escaped and bytes as Base64, so the same value always gives the same bytes.
QByteArray encodeCloudJSON(const QJsonObject& object);
// The one object of `bytes`; throws json::DecodeError for anything else.
QJsonObject decodeCloudJSON(const QByteArray& bytes);

// The coder with which a store writes the object it sends as a payload: objects are built
// with `dateForm` and turned into bytes by encodeCloudJSON. Made afresh at each use.
struct CloudJSONEncoder {
    json::DateForm dateForm = json::DateForm::ISO8601;
    QByteArray encode(const QJsonObject& object) const { return encodeCloudJSON(object); }
};

// Its reading side: ISO 8601 dates in the form the encoder writes.
struct CloudJSONDecoder {
    json::DateForm dateForm = json::DateForm::ISO8601;
    json::Reader reader(const QByteArray& bytes) const { return json::Reader(decodeCloudJSON(bytes), dateForm); }
};

} // namespace nimbrel
