#pragma once

#include <QJsonValue>
#include <QString>
#include <QVariant>

#include <optional>

namespace nimbrel {

// The JSON form of a defaults value that keeps its type, so it reads back as it was written:
//   {"type": "bool", "value": true}      {"type": "integer", "value": "-42"} (text: exact 64 bits)
//   {"type": "double", "value": 0.5}     ("nan", "inf", "-inf" as text)
//   {"type": "string", "value": "x"}     {"type": "data", "value": "<base64>"}
//   {"type": "date", "value": 123.5}     (seconds since 2001)
//   {"type": "array", "value": [<typed>, ...]}   {"type": "dictionary", "value": {"k": <typed>}}
// Only these types are stored; plain ints, floats and string lists are widened to them.

// nullopt (with `error` set) for a value of another type, also nested.
std::optional<QJsonValue> encodeTypedValue(const QVariant& value, QString* error = nullptr);
// nullopt (with `error` set) for anything not written by encodeTypedValue.
std::optional<QVariant> decodeTypedValue(const QJsonValue& json, QString* error = nullptr);

} // namespace nimbrel
