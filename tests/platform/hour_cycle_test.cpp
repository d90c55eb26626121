#include "platform/Calendar.h"
#include "platform/HourCycle.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(HourCycle, TwelveHourLocalesAreThoseWhoseHourPatternHasTheMarker) {
    const std::pair<const char*, bool> cases[] = {
        {"en_US", true}, {"en_AU", true}, {"de_DE", false}, {"en_GB", false}, {"fr_FR", false}, {"ja_JP", false},
    };
    for (const auto& [locale, twelve] : cases) {
        setCurrentLocaleName(locale);
        EXPECT_EQ(usesTwelveHourClock(), twelve) << locale << " " << preferredHourPattern().toStdString();
    }
    setCurrentLocaleName({});
}

} // namespace
} // namespace nimbrel
