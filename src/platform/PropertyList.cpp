#include "platform/PropertyList.h"

#include "platform/Date.h"
#include "platform/Files.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace nimbrel {

namespace {

constexpr int kMaxDepth = 64; // a hostile file cannot exhaust the stack

class Parser {
public:
    explicit Parser(const QByteArray& xml) : reader_(xml) {}

    std::optional<QVariant> run(QString* error) {
        std::optional<QVariant> result;
        while (!reader_.atEnd()) {
            reader_.readNext();
            if (reader_.isStartElement()) {
                if (reader_.name() != QLatin1String("plist")) return fail(error, QStringLiteral("root is not <plist>"));
                result = readPlistBody();
                break;
            }
        }
        if (!result && failure_.isEmpty()) failure_ = QStringLiteral("no <plist> element");
        // The rest of the document must still be well-formed.
        while (failure_.isEmpty() && !reader_.atEnd()) reader_.readNext();
        if (failure_.isEmpty() && reader_.hasError()) failure_ = reader_.errorString();
        if (!failure_.isEmpty()) return fail(error, failure_);
        return result;
    }

private:
    std::optional<QVariant> fail(QString* error, const QString& what) {
        if (error) *error = what;
        return std::nullopt;
    }

    std::optional<QVariant> readPlistBody() {
        std::optional<QVariant> value;
        while (reader_.readNextStartElement()) {
            if (value) return setFailure(QStringLiteral("more than one value in <plist>"));
            value = readValue(0);
            if (!value) return std::nullopt;
        }
        if (reader_.hasError()) return setFailure(reader_.errorString());
        if (!value) return setFailure(QStringLiteral("empty <plist>"));
        return value;
    }

    std::optional<QVariant> setFailure(const QString& what) {
        if (failure_.isEmpty()) failure_ = what;
        return std::nullopt;
    }

    // Called with the reader on a start element; leaves it on the matching end element.
    std::optional<QVariant> readValue(int depth) {
        if (depth > kMaxDepth) return setFailure(QStringLiteral("nested too deeply"));
        const QString tag = reader_.name().toString();
        if (tag == QLatin1String("dict")) return readDict(depth);
        if (tag == QLatin1String("array")) return readArray(depth);
        if (tag == QLatin1String("true") || tag == QLatin1String("false")) {
            const bool value = tag == QLatin1String("true");
            if (!reader_.readElementText().isEmpty()) return setFailure(QStringLiteral("<%1/> has content").arg(tag));
            return QVariant(value);
        }
        const QString text = reader_.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (reader_.hasError()) return setFailure(reader_.errorString());
        if (tag == QLatin1String("string")) return QVariant(text);
        if (tag == QLatin1String("integer")) {
            bool ok = false;
            const qint64 v = text.trimmed().toLongLong(&ok);
            if (!ok) return setFailure(QStringLiteral("bad <integer> %1").arg(text));
            return QVariant(v);
        }
        if (tag == QLatin1String("real")) {
            bool ok = false;
            const double v = text.trimmed().toDouble(&ok);
            if (!ok) return setFailure(QStringLiteral("bad <real> %1").arg(text));
            return QVariant(v);
        }
        if (tag == QLatin1String("data")) {
            QByteArray compact = text.toLatin1();
            compact.replace(' ', QByteArray()).replace('\n', QByteArray()).replace('\t', QByteArray()).replace('\r', QByteArray());
            auto decoded = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded) return setFailure(QStringLiteral("bad <data>"));
            return QVariant(*decoded);
        }
        if (tag == QLatin1String("date")) {
            auto date = parseISO8601(text.trimmed());
            if (!date) return setFailure(QStringLiteral("bad <date> %1").arg(text));
            return QVariant::fromValue(*date);
        }
        return setFailure(QStringLiteral("unknown element <%1>").arg(tag));
    }

    std::optional<QVariant> readDict(int depth) {
        QVariantMap map;
        while (reader_.readNextStartElement()) {
            if (reader_.name() != QLatin1String("key")) return setFailure(QStringLiteral("<dict> member without <key>"));
            const QString key = reader_.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
            if (reader_.hasError()) return setFailure(reader_.errorString());
            if (!reader_.readNextStartElement()) return setFailure(QStringLiteral("<key>%1</key> without a value").arg(key));
            auto value = readValue(depth + 1);
            if (!value) return std::nullopt;
            map.insert(key, *value);
        }
        if (reader_.hasError()) return setFailure(reader_.errorString());
        return QVariant(map);
    }

    std::optional<QVariant> readArray(int depth) {
        QVariantList list;
        while (reader_.readNextStartElement()) {
            auto value = readValue(depth + 1);
            if (!value) return std::nullopt;
            list.append(*value);
        }
        if (reader_.hasError()) return setFailure(reader_.errorString());
        return QVariant(list);
    }

    QXmlStreamReader reader_;
    QString failure_;
};

void writeValue(QXmlStreamWriter& w, const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QVariantMap: {
        w.writeStartElement(QStringLiteral("dict"));
        const QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it) {
            w.writeTextElement(QStringLiteral("key"), it.key());
            writeValue(w, it.value());
        }
        w.writeEndElement();
        return;
    }
    case QMetaType::QVariantList:
        w.writeStartElement(QStringLiteral("array"));
        for (const QVariant& item : value.toList()) writeValue(w, item);
        w.writeEndElement();
        return;
    case QMetaType::QStringList:
        w.writeStartElement(QStringLiteral("array"));
        for (const QString& item : value.toStringList()) w.writeTextElement(QStringLiteral("string"), item);
        w.writeEndElement();
        return;
    case QMetaType::Bool:
        w.writeEmptyElement(value.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
        return;
    case QMetaType::Int:
    case QMetaType::LongLong:
        w.writeTextElement(QStringLiteral("integer"), QString::number(value.toLongLong()));
        return;
    case QMetaType::Double:
        w.writeTextElement(QStringLiteral("real"), QString::number(value.toDouble(), 'g', 17));
        return;
    case QMetaType::QByteArray:
        w.writeTextElement(QStringLiteral("data"), QString::fromLatin1(value.toByteArray().toBase64()));
        return;
    default:
        if (value.canConvert<Date>() && value.metaType() == QMetaType::fromType<Date>()) {
            w.writeTextElement(QStringLiteral("date"), iso8601String(value.value<Date>()));
            return;
        }
        w.writeTextElement(QStringLiteral("string"), value.toString());
    }
}

} // namespace

std::optional<QVariant> parsePropertyList(const QByteArray& xml, QString* error) {
    return Parser(xml).run(error);
}

QByteArray serializePropertyList(const QVariant& value) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("plist"));
    w.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    writeValue(w, value);
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

std::optional<QVariantMap> readInfoPlist(const FileSystem& files, const QString& bundlePath) {
    QString base = bundlePath;
    while (base.size() > 1 && base.endsWith(QLatin1Char('/'))) base.chop(1);
    const std::optional<QByteArray> bytes = files.readFile(base + QStringLiteral("/Contents/Info.plist"));
    if (!bytes) return std::nullopt;
    const std::optional<QVariant> parsed = parsePropertyList(*bytes);
    if (!parsed || parsed->typeId() != QMetaType::QVariantMap) return std::nullopt;
    return parsed->toMap();
}

} // namespace nimbrel
