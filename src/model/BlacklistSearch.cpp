#include "model/BlacklistSearch.h"

#include <QStringList>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <vector>

namespace nimbrel {

namespace {

// The text split into user-perceived characters.
std::vector<QString> characters(const QString& text) {
    std::vector<QString> out;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (finder.toNextBoundary() != -1) {
        const qsizetype end = finder.position();
        out.push_back(text.mid(start, end - start));
        start = end;
    }
    return out;
}

bool matchesAt(const std::vector<QString>& haystack, const std::vector<QString>& needle, size_t at) {
    if (at + needle.size() > haystack.size()) return false;
    return std::equal(needle.begin(), needle.end(), haystack.begin() + static_cast<std::ptrdiff_t>(at));
}

std::optional<int> subsequenceScore(const std::vector<QString>& query, const std::vector<QString>& candidate,
                                    int extra) {
    size_t queryIndex = 0;
    int matchScore = 0;
    int penalty = 0;
    std::optional<size_t> previous;
    for (size_t position = 0; position < candidate.size(); ++position) {
        if (queryIndex == query.size()) break;
        if (candidate[position] != query[queryIndex]) continue;
        const bool adjacent = previous && position - *previous == 1;
        matchScore += adjacent ? 135 : 100;
        if (!previous)
            penalty += std::min(3 * static_cast<int>(position), 80);
        else if (!adjacent)
            penalty += std::min(4 * static_cast<int>(position - *previous), 60);
        previous = position;
        ++queryIndex;
    }
    if (queryIndex < query.size()) return std::nullopt;
    const int score = matchScore + 45 * static_cast<int>(query.size()) - penalty - 2 * extra;
    return std::max(1, score);
}

QString upperCasedFirstCharacter(const QString& text) {
    const std::vector<QString> chars = characters(text);
    if (chars.empty()) return text;
    return chars.front().toUpper() + text.mid(chars.front().size());
}

// The last path component without its extension; a trailing "/" is ignored and a
// leading or trailing dot is part of the name, not an extension.
QString lastComponentWithoutExtension(const QString& path) {
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    if (trimmed == QLatin1String("/")) return trimmed;
    QString component = trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = component.lastIndexOf(QLatin1Char('.'));
    if (dot > 0 && dot < component.size() - 1) component.truncate(dot);
    return component;
}

bool looksLikePath(const QString& key) {
    return key.startsWith(QLatin1Char('/')) || key.startsWith(QLatin1Char('~'));
}

} // namespace

std::optional<int> fuzzyMatchScore(const QString& query, const QString& candidate) {
    if (query.isEmpty()) return 0;
    if (candidate.isEmpty()) return std::nullopt;
    const std::vector<QString> q = characters(query);
    const std::vector<QString> c = characters(candidate);
    const int extra = std::max(0, static_cast<int>(c.size()) - static_cast<int>(q.size()));
    if (q == c) return 10000;
    if (matchesAt(c, q, 0)) return 8000 - 2 * extra;
    for (size_t at = 1; at + q.size() <= c.size(); ++at)
        if (matchesAt(c, q, at)) return 6000 - 2 * extra;
    return subsequenceScore(q, c, extra);
}

QString fallbackAppName(const QString& key) {
    QString base;
    // A bundle path names its application by its file name; splitting it at its dots
    // would give the extension ("App") instead.
    if (!looksLikePath(key) && key.contains(QLatin1Char('.'))) {
        const QStringList pieces = key.split(QLatin1Char('.'), Qt::SkipEmptyParts);
        if (!pieces.isEmpty()) base = pieces.last();
    }
    if (base.isEmpty()) base = lastComponentWithoutExtension(key);
    if (base.isEmpty()) return key;
    return upperCasedFirstCharacter(base);
}

} // namespace nimbrel
