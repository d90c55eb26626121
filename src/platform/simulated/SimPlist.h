#pragma once

#include "platform/Files.h"

#include <QByteArray>
#include <QVariant>

#include <optional>

namespace nimbrel::sim {

// A small reader and writer of XML property lists: dict, array, string, integer, real,
// true, false and data. Reading answers none for anything it cannot make sense of.
std::optional<QVariant> readPlist(const QByteArray& xml);
QByteArray writePlist(const QVariant& value);

// An application's Info.plist holds kilobytes: a larger file (or an endless one, such as a link
// to a device) is no application's, and is never read whole.
constexpr qint64 kMaxInfoPlistBytes = 2 * kMebibyte;
// The bytes of the Info.plist at a real path; none when it is missing, unreadable or too large.
std::optional<QByteArray> readInfoPlistFile(const QString& realPath);
// The keys of the Info.plist of the bundle at a real path; empty when it cannot be read.
QVariantMap readBundleInfo(const QString& realBundlePath);

} // namespace nimbrel::sim
