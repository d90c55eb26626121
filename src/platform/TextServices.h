#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <utility>
#include <vector>

namespace nimbrel {

// Folds case and diacritics ("Café" -> "cafe") the way the platform's
// case-and-diacritic-insensitive folding does, in the current locale: the text is
// decomposed, its combining marks are dropped and the rest is lower-cased.
QString foldCaseAndDiacritics(const QString& text);
// The Unicode letter-or-number test, by code point (general categories L* and N*).
bool isLetterOrDigit(char32_t codePoint);
// The platform's alphanumeric set: letters, marks and numbers (L*, M*, N*).
bool isAlphanumeric(char32_t codePoint);
// Calls `visit(codePoint, units)` for each code point of `text` in order, with the UTF-16
// units that spell it. A lone surrogate reads as U+FFFD, as QString::toUcs4 has it.
template <typename Visit> void forEachCodePoint(QStringView text, Visit&& visit) {
    static constexpr char16_t replacement[] = {QChar::ReplacementCharacter};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!c.isSurrogate()) {
            visit(char32_t(c.unicode()), text.mid(i, 1));
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            visit(QChar::surrogateToUcs4(c, text[i + 1]), text.mid(i, 2));
            ++i;
        } else {
            visit(char32_t(QChar::ReplacementCharacter), QStringView(replacement, 1));
        }
    }
}
// Localized, case-insensitive comparison (<0, 0, >0), for sorting names shown to the user.
int localizedCaseInsensitiveCompare(const QString& a, const QString& b);
// A key whose byte order is the order of localizedCaseInsensitiveCompare (equal keys compare
// equal): for sorting many names, where one key each costs less than comparing them in pairs.
QByteArray localizedCaseInsensitiveSortKey(const QString& text);
// Sorts `items` stably by the bytes of `key(item)` (e.g. localizedCaseInsensitiveSortKey of a
// name), working out each key once.
template <typename T, typename Key> void stableSortByKey(std::vector<T>& items, Key key) {
    std::vector<std::pair<QByteArray, size_t>> order;
    order.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        order.emplace_back(key(items[i]), i);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<T> sorted;
    sorted.reserve(items.size());
    for (const auto& entry : order)
        sorted.push_back(std::move(items[entry.second]));
    items = std::move(sorted);
}
// Localized case-insensitive "contains".
bool localizedCaseInsensitiveContains(const QString& haystack, const QString& needle);

} // namespace nimbrel
