#pragma once

#include <QString>

namespace nimbrel {

// Folds case and diacritics ("Café" -> "cafe") the way the platform's
// case-and-diacritic-insensitive folding does, in the current locale.
QString foldCaseAndDiacritics(const QString& text);
// The Unicode letter-or-digit test, by code point.
bool isLetterOrDigit(char32_t codePoint);
// Localized, case-insensitive comparison (<0, 0, >0), for sorting names shown to the user.
int localizedCaseInsensitiveCompare(const QString& a, const QString& b);
// Localized case-insensitive "contains".
bool localizedCaseInsensitiveContains(const QString& haystack, const QString& needle);

} // namespace nimbrel
