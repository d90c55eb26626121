#include "activity/ActivityHistoryText.h"

#include "platform/Json.h"

#include <algorithm>

namespace nimbrel {

namespace {

char hexDigit(unsigned value) {
    return char(value < 10 ? '0' + value : 'a' + value - 10);
}

void appendEscape(QByteArray& out, char16_t unit) {
    out += "\\u";
    for (const int shift : {12, 8, 4, 0})
        out += hexDigit((unit >> shift) & 0xF);
}

// As QJsonDocument writes a string: quotes, backslashes and control characters escaped, the
// rest in UTF-8, and a surrogate without its partner as an escape.
void appendString(QByteArray& out, const QString& text) {
    out += '"';
    const char16_t* at = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* const end = at + text.size();
    while (at != end) {
        const char16_t unit = *at++;
        if (unit < 0x80) {
            switch (unit) {
            case u'"':
                out += "\\\"";
                break;
            case u'\\':
                out += "\\\\";
                break;
            case u'\b':
                out += "\\b";
                break;
            case u'\f':
                out += "\\f";
                break;
            case u'\n':
                out += "\\n";
                break;
            case u'\r':
                out += "\\r";
                break;
            case u'\t':
                out += "\\t";
                break;
            default:
                if (unit < 0x20)
                    appendEscape(out, unit);
                else
                    out += char(unit);
            }
        } else if (QChar::isHighSurrogate(unit) && at != end && QChar::isLowSurrogate(*at)) {
            const char32_t point = QChar::surrogateToUcs4(unit, *at++);
            out += char(0xF0 | point >> 18);
            out += char(0x80 | (point >> 12 & 0x3F));
            out += char(0x80 | (point >> 6 & 0x3F));
            out += char(0x80 | (point & 0x3F));
        } else if (QChar::isSurrogate(unit)) {
            appendEscape(out, unit);
        } else if (unit < 0x800) {
            out += char(0xC0 | unit >> 6);
            out += char(0x80 | (unit & 0x3F));
        } else {
            out += char(0xE0 | unit >> 12);
            out += char(0x80 | (unit >> 6 & 0x3F));
            out += char(0x80 | (unit & 0x3F));
        }
    }
    out += '"';
}

// One member of an entry, at the depth of an entry's members; the keys come in sorted order.
void appendMember(QByteArray& out, const char* key, const QString& value, bool last) {
    out += "        \"";
    out += key;
    out += "\": ";
    appendString(out, value);
    out += last ? "\n" : ",\n";
}

void appendEntry(QByteArray& out, const NimbrelActivityEntry& entry) {
    out += "    {\n";
    appendMember(out, "date", iso8601String(entry.date), false);
    appendMember(out, "id", entry.id.toString(), false);
    appendMember(out, "message", entry.message, false);
    appendMember(out, "title", entry.title, false);
    appendMember(out, "type", json::enumName(entry.type), true);
    out += "    }";
}

constexpr qsizetype kBytesPerEntry = 240; // about; the room reserved for the text

} // namespace

QByteArray encodeHistory(const ActivityHistory::Snapshot& entries) {
    QByteArray out;
    out.reserve(qsizetype(entries.size()) * kBytesPerEntry + 8);
    out += "[\n";
    bool first = true;
    entries.forEach([&](const NimbrelActivityEntry& entry) {
        if (!first) out += ",\n";
        first = false;
        appendEntry(out, entry);
    });
    out += first ? "]\n" : "\n]\n";
    return out;
}

QByteArray encodeHistoryTail(const ActivityHistory::Snapshot& entries, size_t first) {
    QByteArray out;
    out.reserve(qsizetype(entries.size() - std::min(first, entries.size())) * kBytesPerEntry + 8);
    entries.forEachFrom(first, [&](const NimbrelActivityEntry& entry) {
        out += ",\n";
        appendEntry(out, entry);
    });
    out += "\n]\n";
    return out;
}

} // namespace nimbrel
