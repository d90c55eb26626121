#include "activity/ActivityHistoryReading.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <array>
#include <optional>

namespace nimbrel {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

const char* skipSpace(const char* at, const char* end) {
    while (at != end && isSpace(*at))
        ++at;
    return at;
}

// Where the object or array starting at `at` ends (just past it): brackets counted outside
// strings. Null when the text ends first. Mismatched brackets are left to the parser.
const char* valueEnd(const char* at, const char* end) {
    int depth = 0;
    bool inString = false;
    for (; at != end; ++at) {
        const char c = *at;
        if (inString) {
            if (c == '\\') {
                if (++at == end) return nullptr;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if ((c == '}' || c == ']') && --depth <= 0) {
            return depth == 0 ? at + 1 : nullptr;
        }
    }
    return nullptr;
}

// Equal titles and messages share one text; the first few thousand distinct ones are kept,
// which covers the titles and the messages that repeat.
class SharedTexts {
  public:
    QString text(QLatin1StringView latin1) {
        QString text(latin1);
        if (const auto it = texts_.constFind(text); it != texts_.constEnd()) return *it;
        if (texts_.size() < kMaxTexts) texts_.insert(text);
        return text;
    }

  private:
    static constexpr qsizetype kMaxTexts = 4096;
    QSet<QString> texts_;
};

// A string without escapes, of printable ASCII only, at `at` (its opening quote); moves `at`
// past its closing quote. Anything else is the JSON parser's to read.
std::optional<QLatin1StringView> plainString(const char*& at, const char* end) {
    if (at == end || *at != '"') return std::nullopt;
    const char* const start = ++at;
    for (; at != end; ++at) {
        const auto c = static_cast<unsigned char>(*at);
        if (c == '"') return QLatin1StringView(start, at++);
        if (c == '\\' || c < 0x20 || c > 0x7e) return std::nullopt;
    }
    return std::nullopt;
}

// The entry in [at, end) when it is an object of plain strings with each of the five members
// once and every value as the entry's decoder takes it; otherwise none, for the decoder.
std::optional<NimbrelActivityEntry> plainEntry(const char* at, const char* end, SharedTexts& texts) {
    static constexpr std::array kKeys{"date", "id", "message", "title", "type"};
    std::array<std::optional<QLatin1StringView>, kKeys.size()> values;
    at = skipSpace(at + 1, end); // past the opening brace
    for (bool first = true;; first = false) {
        if (at != end && *at == '}' && first) break;
        const auto key = plainString(at, end);
        at = skipSpace(at, end);
        if (!key || at == end || *at++ != ':') return std::nullopt;
        at = skipSpace(at, end);
        const auto value = plainString(at, end);
        if (!value) return std::nullopt;
        for (size_t k = 0; k < kKeys.size(); ++k)
            if (*key == QLatin1StringView(kKeys[k])) {
                if (values[k]) return std::nullopt; // which of two equal keys counts is the parser's to say
                values[k] = value;
            }
        at = skipSpace(at, end);
        if (at != end && *at == ',') {
            at = skipSpace(at + 1, end);
            continue;
        }
        if (at != end && *at == '}') break;
        return std::nullopt;
    }
    for (const auto& value : values)
        if (!value) return std::nullopt;
    NimbrelActivityEntry entry;
    const auto id = Uuid::parse(QString(*values[1]));
    const auto date = parseISO8601(QString(*values[0]));
    const auto type = json::enumFromName<NimbrelActivityType>(QString(*values[4]));
    if (!id || !date || !type) return std::nullopt;
    entry.id = *id;
    entry.date = *date;
    entry.type = *type;
    entry.message = texts.text(*values[2]);
    entry.title = texts.text(*values[3]);
    return entry;
}

NimbrelActivityEntry entryAt(const QJsonValue& value, qsizetype index) {
    return NimbrelActivityEntry::fromJson(
        json::Reader::fromValue(value, json::DateForm::ISO8601, QStringLiteral("[%1]").arg(index)));
}

// Reads the whole text as one document: the errors every reading reports.
std::vector<NimbrelActivityEntry> decodeAsDocument(const QByteArray& bytes) {
    const QJsonDocument doc = json::parse(bytes);
    if (!doc.isArray()) throw json::DecodeError(QStringLiteral("expected an array of entries"));
    const QJsonArray array = doc.array();
    std::vector<NimbrelActivityEntry> out;
    out.reserve(static_cast<size_t>(array.size()));
    for (qsizetype i = 0; i < array.size(); ++i)
        out.push_back(entryAt(array[i], i));
    return out;
}

// Reads an array of objects entry by entry; false when the text is not one (the document
// then says why). An entry the decoder refuses is reported only once the whole text has been
// found to be JSON, as reading it as one document would.
bool decodeEntryByEntry(const QByteArray& bytes, DecodedHistory& out) {
    const char* const begin = bytes.constData();
    const char* const end = begin + bytes.size();
    const char* at = skipSpace(begin, end);
    if (at == end || *at++ != '[') return false;
    SharedTexts texts;
    std::optional<json::DecodeError> refused;
    at = skipSpace(at, end);
    bool closed = at != end && *at == ']';
    while (!closed) {
        if (at == end || *at != '{') return false;
        const char* const entryEnd = valueEnd(at, end);
        if (!entryEnd) return false;
        if (auto entry = plainEntry(at, entryEnd, texts)) {
            out.entries.push_back(std::move(*entry));
        } else {
            QJsonParseError error{};
            const QJsonDocument doc =
                QJsonDocument::fromJson(QByteArray::fromRawData(at, qsizetype(entryEnd - at)), &error);
            if (error.error != QJsonParseError::NoError || !doc.isObject()) return false;
            try {
                if (!refused) out.entries.push_back(entryAt(doc.object(), qsizetype(out.entries.size())));
            } catch (const json::DecodeError& e) {
                refused = e;
            }
        }
        at = skipSpace(entryEnd, end);
        if (at == end) return false;
        closed = *at == ']';
        if (!closed && *at++ != ',') return false;
        at = skipSpace(at, end);
    }
    const char* const afterBracket = at + 1;
    const char* const rest = skipSpace(afterBracket, end);
    if (rest != end) {
        if (*rest != '{') return false;
        out.unfinishedAddition = true;
    }
    if (refused) throw *refused;
    out.endsAsWritten = !out.entries.empty() && !out.unfinishedAddition && end - afterBracket == 1 &&
                        *afterBracket == '\n' && afterBracket - begin >= 3 && afterBracket[-2] == '\n';
    return true;
}

} // namespace

DecodedHistory decodeHistory(const QByteArray& bytes) {
    DecodedHistory out;
    if (!decodeEntryByEntry(bytes, out)) {
        out = DecodedHistory{};
        out.entries = decodeAsDocument(bytes);
    }
    return out;
}

} // namespace nimbrel
