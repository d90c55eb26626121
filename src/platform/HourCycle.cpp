#include "platform/HourCycle.h"

#include "platform/Calendar.h"
#include "platform/IcuText.h"

#include <unicode/dtptngen.h>
#include <unicode/locid.h>

#include <memory>

namespace nimbrel {

QString preferredHourPattern(const QByteArray& localeName) {
    const QByteArray name = localeName.isEmpty() ? currentLocaleName() : localeName;
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(icu::Locale(name.constData()), status));
    if (U_FAILURE(status) || !generator) return {};
    const icu::UnicodeString pattern = generator->getBestPattern(icu::UnicodeString(u"j"), status);
    if (U_FAILURE(status)) return {};
    return icu_text::fromIcu(pattern);
}

bool usesTwelveHourClock() {
    return preferredHourPattern().contains(QLatin1Char('a'));
}

} // namespace nimbrel
