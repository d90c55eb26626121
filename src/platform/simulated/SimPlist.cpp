#include "platform/simulated/SimPlist.h"

#include <QVariantList>
#include <QVariantMap>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace nimbrel::sim {

namespace {

// Deeper nesting is refused: a hostile file must not exhaust the stack.
constexpr int kMaxDepth = 128;

// Reads the value whose start element the reader is on; leaves it after the end element.
std::optional<QVariant> readValue(QXmlStreamReader& xml, int depth = 0) {
    if (depth > kMaxDepth) return std::nullopt;
    const QString tag = xml.name().toString();
    if (tag == QLatin1String("dict")) {
        QVariantMap map;
        while (xml.readNextStartElement()) {
            if (xml.name() != QLatin1String("key")) return std::nullopt;
            const QString key = xml.readElementText();
            if (!xml.readNextStartElement()) return std::nullopt;
            auto value = readValue(xml, depth + 1);
            if (!value) return std::nullopt;
            map.insert(key, *value);
        }
        return xml.hasError() ? std::nullopt : std::optional<QVariant>(map);
    }
    if (tag == QLatin1String("array")) {
        QVariantList list;
        while (xml.readNextStartElement()) {
            auto value = readValue(xml, depth + 1);
            if (!value) return std::nullopt;
            list.append(*value);
        }
        return xml.hasError() ? std::nullopt : std::optional<QVariant>(list);
    }
    if (tag == QLatin1String("string")) return QVariant(xml.readElementText());
    if (tag == QLatin1String("integer")) {
        bool ok = false;
        const qint64 v = xml.readElementText().trimmed().toLongLong(&ok);
        return ok ? std::optional<QVariant>(QVariant(v)) : std::nullopt;
    }
    if (tag == QLatin1String("real")) {
        bool ok = false;
        const double v = xml.readElementText().trimmed().toDouble(&ok);
        return ok ? std::optional<QVariant>(QVariant(v)) : std::nullopt;
    }
    if (tag == QLatin1String("true") || tag == QLatin1String("false")) {
        const bool v = tag == QLatin1String("true");
        xml.skipCurrentElement();
        return QVariant(v);
    }
    if (tag == QLatin1String("data"))
        return QVariant(QByteArray::fromBase64(xml.readElementText().simplified().remove(QLatin1Char(' ')).toLatin1()));
    return std::nullopt;
}

void writeValue(QXmlStreamWriter& xml, const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QVariantMap: {
        xml.writeStartElement(QStringLiteral("dict"));
        const QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it) {
            xml.writeTextElement(QStringLiteral("key"), it.key());
            writeValue(xml, it.value());
        }
        xml.writeEndElement();
        break;
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        xml.writeStartElement(QStringLiteral("array"));
        for (const QVariant& v : value.toList())
            writeValue(xml, v);
        xml.writeEndElement();
        break;
    }
    case QMetaType::Bool:
        xml.writeEmptyElement(value.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
        break;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        xml.writeTextElement(QStringLiteral("integer"), QString::number(value.toLongLong()));
        break;
    case QMetaType::Double:
        xml.writeTextElement(QStringLiteral("real"), QString::number(value.toDouble(), 'g', 17));
        break;
    case QMetaType::QByteArray:
        xml.writeTextElement(QStringLiteral("data"), QString::fromLatin1(value.toByteArray().toBase64()));
        break;
    default:
        xml.writeTextElement(QStringLiteral("string"), value.toString());
        break;
    }
}

} // namespace

std::optional<QVariant> readPlist(const QByteArray& data) {
    QXmlStreamReader xml(data);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("plist")) return std::nullopt;
    if (!xml.readNextStartElement()) return std::nullopt;
    auto value = readValue(xml);
    if (xml.hasError()) return std::nullopt;
    return value;
}

QByteArray writePlist(const QVariant& value) {
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeDTD(QStringLiteral("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"));
    xml.writeStartElement(QStringLiteral("plist"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    writeValue(xml, value);
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

std::optional<QByteArray> readInfoPlistFile(const QString& realPath) {
    BoundedRead read = readFileWithin(realPath, kMaxInfoPlistBytes);
    if (read.status != BoundedRead::Status::read) return std::nullopt;
    return std::move(read.bytes);
}

QVariantMap readBundleInfo(const QString& realBundlePath) {
    const auto bytes = readInfoPlistFile(realBundlePath + QStringLiteral("/Contents/Info.plist"));
    if (!bytes) return {};
    const auto plist = readPlist(*bytes);
    return plist && plist->typeId() == QMetaType::QVariantMap ? plist->toMap() : QVariantMap();
}

} // namespace nimbrel::sim
