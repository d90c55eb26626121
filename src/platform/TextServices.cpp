#include "platform/TextServices.h"

#include "platform/Calendar.h"
#include "platform/IcuText.h"

#include <QMutex>
#include <QMutexLocker>

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <map>
#include <memory>
#include <optional>

namespace nimbrel {

namespace {

using icu_text::fromIcu;
using icu_text::toIcu;

bool isMark(char32_t c) {
    return (U_GET_GC_MASK(static_cast<UChar32>(c)) & U_GC_M_MASK) != 0;
}

QString lowerCased(const QString& text) {
    icu::UnicodeString u = toIcu(text);
    u.toLower(icu::Locale(currentLocaleName().constData()));
    return fromIcu(u);
}

// Collators are costly to open: one per locale at secondary strength (accents count, case
// does not), used under this lock (sorting calls them a lot). None when ICU cannot open one.
QMutex& collatorMutex() {
    static QMutex mutex;
    return mutex;
}

icu::Collator* secondaryCollator(const QByteArray& locale) {
    static std::map<QByteArray, std::unique_ptr<icu::Collator>> collators;
    auto& collator = collators[locale];
    if (!collator) {
        UErrorCode status = U_ZERO_ERROR;
        collator.reset(icu::Collator::createInstance(icu::Locale(locale.constData()), status));
        if (U_FAILURE(status) || !collator) {
            collator.reset();
            return nullptr;
        }
        collator->setStrength(icu::Collator::SECONDARY);
    }
    return collator.get();
}

int compareSecondary(const QString& a, const QString& b) {
    const QByteArray locale = currentLocaleName();
    QMutexLocker lock(&collatorMutex());
    icu::Collator* collator = secondaryCollator(locale);
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result = collator ? collator->compare(toIcu(a), toIcu(b), status) : UCOL_EQUAL;
    if (!collator || U_FAILURE(status)) {
        lock.unlock();
        const int plain = QString::compare(a, b, Qt::CaseInsensitive);
        return plain < 0 ? -1 : plain > 0 ? 1 : 0;
    }
    return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

// Whether lower-casing the ASCII letter "I" depends on the locale: Turkish and Azeri make it
// a dotless i (Lithuanian only differs before combining marks, which ASCII text has none of).
bool dotlessILocale() {
    const QByteArray name = currentLocaleName();
    qsizetype end = 0;
    while (end < name.size() && name[end] != '_' && name[end] != '-' && name[end] != '.' && name[end] != '@')
        ++end;
    const QByteArray language = name.left(end).toLower();
    return language == "tr" || language == "tur" || language == "az" || language == "aze";
}

// ASCII text has no marks and is its own normal form, so folding it is lower-casing; only
// "I" can lower-case differently by locale. None when the text needs the full folding.
std::optional<QString> foldedAscii(const QString& text) {
    bool hasCapitalI = false;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) return std::nullopt;
        hasCapitalI = hasCapitalI || c == QLatin1Char('I');
    }
    if (hasCapitalI && dotlessILocale()) return std::nullopt;
    QString folded = text;
    for (QChar& c : folded)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) c = QChar(c.unicode() + ('a' - 'A'));
    return folded;
}

} // namespace

QString foldCaseAndDiacritics(const QString& text) {
    if (auto folded = foldedAscii(text)) return *std::move(folded);
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString kept;
    kept.reserve(decomposed.size());
    forEachCodePoint(decomposed, [&kept](char32_t c, QStringView units) {
        if (!isMark(c)) kept.append(units);
    });
    return lowerCased(kept).normalized(QString::NormalizationForm_C);
}

bool isLetterOrDigit(char32_t codePoint) {
    const auto mask = U_GET_GC_MASK(static_cast<UChar32>(codePoint));
    return (mask & (U_GC_L_MASK | U_GC_N_MASK)) != 0;
}

bool isAlphanumeric(char32_t codePoint) {
    const auto mask = U_GET_GC_MASK(static_cast<UChar32>(codePoint));
    return (mask & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0;
}

int localizedCaseInsensitiveCompare(const QString& a, const QString& b) {
    return compareSecondary(a, b);
}

QByteArray localizedCaseInsensitiveSortKey(const QString& text) {
    const QByteArray locale = currentLocaleName();
    QMutexLocker lock(&collatorMutex());
    if (icu::Collator* collator = secondaryCollator(locale)) {
        const icu::UnicodeString source = toIcu(text);
        QByteArray key(64, Qt::Uninitialized);
        int32_t length = collator->getSortKey(source, reinterpret_cast<uint8_t*>(key.data()), int32_t(key.size()));
        if (length > key.size()) {
            key.resize(length);
            length = collator->getSortKey(source, reinterpret_cast<uint8_t*>(key.data()), int32_t(key.size()));
        }
        if (length > 0) {
            key.resize(length - 1); // without the terminating zero
            return key;
        }
    }
    return text.toCaseFolded().toUtf8();
}

bool localizedCaseInsensitiveContains(const QString& haystack, const QString& needle) {
    if (needle.isEmpty()) return false; // as the platform answers for an empty search text
    return lowerCased(haystack).contains(lowerCased(needle));
}

} // namespace nimbrel
