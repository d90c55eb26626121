#pragma once

// Text between Qt and ICU (both UTF-16), for the platform layer's own sources.

#include <QString>

#include <unicode/unistr.h>

namespace nimbrel::icu_text {

inline icu::UnicodeString toIcu(const QString& text) {
    return icu::UnicodeString(reinterpret_cast<const UChar*>(text.utf16()), static_cast<int32_t>(text.size()));
}

inline QString fromIcu(const icu::UnicodeString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

} // namespace nimbrel::icu_text
