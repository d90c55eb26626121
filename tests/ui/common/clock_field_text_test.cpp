#include "ui/common/ClockFieldText.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(ClockFieldText, FormatsForBothClocks) {
    const struct {
        int hour, minute;
        const char* twelve;
        const char* twentyFour;
    } cases[] = {
        {9, 0, "9:00", "09:00"}, {17, 5, "5:05", "17:05"}, {0, 30, "12:30", "00:30"}, {12, 0, "12:00", "12:00"}};
    for (const auto& c : cases) {
        EXPECT_EQ(clockFieldText(c.hour, c.minute, true), c.twelve);
        EXPECT_EQ(clockFieldText(c.hour, c.minute, false), c.twentyFour);
    }
}

TEST(ClockFieldText, ReadsTypedTimes) {
    using P = TimePeriod;
    using T = std::optional<ClockFieldTime>;
    const struct {
        const char* text;
        P period;
        bool twelve;
        T time;
    } cases[] = {
        {" 9:30 ", P::am, false, ClockFieldTime{9, 30}},
        {"9.30", P::am, false, ClockFieldTime{9, 30}},
        {"9", P::am, false, ClockFieldTime{9, 0}},
        {"9:", P::am, false, ClockFieldTime{9, 0}},
        {"9::30", P::am, false, ClockFieldTime{9, 30}},
        {"9:5", P::am, false, ClockFieldTime{9, 5}},
        {"9:30:45", P::am, false, ClockFieldTime{9, 30}},
        {"9:ab", P::am, false, ClockFieldTime{9, 0}},
        {"9:60", P::am, false, T{}},
        {"24:00", P::am, false, T{}},
        {"-1:00", P::am, false, T{}},
        {"0:00", P::am, false, ClockFieldTime{0, 0}},
        {":30", P::am, false, T{}},
        {"9 :30", P::am, false, T{}},
        {"", P::am, false, T{}},
        {"+9:15", P::pm, false, ClockFieldTime{9, 15}},
        {"12:15", P::am, true, ClockFieldTime{0, 15}},
        {"12:15", P::pm, true, ClockFieldTime{12, 15}},
        {"1:15", P::pm, true, ClockFieldTime{13, 15}},
        {"12:30", P::am, true, ClockFieldTime{0, 30}},
        {"0:30", P::am, true, T{}},
        {"13:00", P::am, true, T{}},
        {"13:00", P::pm, true, T{}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseClockFieldText(QString::fromUtf8(c.text), c.period, c.twelve), c.time)
            << c.text << (c.twelve ? " (12-hour)" : " (24-hour)");
}

} // namespace
} // namespace nimbrel
