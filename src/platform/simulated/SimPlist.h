#pragma once

#include <QByteArray>
#include <QVariant>

#include <optional>

namespace nimbrel::sim {

// A small reader and writer of XML property lists: dict, array, string, integer, real,
// true, false and data. Reading answers none for anything it cannot make sense of.
std::optional<QVariant> readPlist(const QByteArray& xml);
QByteArray writePlist(const QVariant& value);

} // namespace nimbrel::sim
