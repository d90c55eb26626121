#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

namespace nimbrel {

class FileSystem;

// Reads an XML property list ("<plist><dict>...</dict></plist>") into QVariants of the
// types user defaults keep: dict -> QVariantMap, array -> QVariantList, string -> QString,
// integer -> qint64, real -> double, true/false -> bool, data -> QByteArray, date -> Date.
// Anything malformed gives nullopt with `error` set; nothing is partly read.
std::optional<QVariant> parsePropertyList(const QByteArray& xml, QString* error = nullptr);

// Writes the same types back as an XML property list (for building test trees and bundles).
QByteArray serializePropertyList(const QVariant& value);

// A bundle's Info.plist ("<bundle>/Contents/Info.plist"), as a dictionary; nullopt when the
// file is missing, unreadable, malformed or not a dictionary.
std::optional<QVariantMap> readInfoPlist(const FileSystem& files, const QString& bundlePath);

} // namespace nimbrel
