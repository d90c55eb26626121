#pragma once

#include <QString>
#include <QStringView>

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
// Localized case-insensitive "contains".
bool localizedCaseInsensitiveContains(const QString& haystack, const QString& needle);

} // namespace nimbrel
