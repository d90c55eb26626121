#pragma once

#include <QString>

namespace nimbrel {

// Folds case and diacritics ("Café" -> "cafe") the way the platform's
// case-and-diacritic-insensitive folding does, in the current locale: the text is
// decomposed, its combining marks are dropped and the rest is lower-cased.
QString foldCaseAndDiacritics(const QString& text);
// The Unicode letter-or-number test, by code point (general categories L* and N*).
bool isLetterOrDigit(char32_t codePoint);
// The platform's alphanumeric set: letters, marks and numbers (L*, M*, N*).
bool isAlphanumeric(char32_t codePoint);
// Localized, case-insensitive comparison (<0, 0, >0), for sorting names shown to the user.
int localizedCaseInsensitiveCompare(const QString& a, const QString& b);
// Localized case-insensitive "contains".
bool localizedCaseInsensitiveContains(const QString& haystack, const QString& needle);

} // namespace nimbrel
