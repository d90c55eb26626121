#include "platform/Date.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <limits>

using namespace nimbrel;

TEST(Date, ReferenceDateAndUnixTime) {
    EXPECT_EQ(Date{}.unixSeconds(), 978307200.0);
    EXPECT_EQ(Date::fromUnix(978307200.5), Date{0.5});
    EXPECT_EQ(Date{10}.addingSeconds(-20), Date{-10});
    EXPECT_EQ(Date{10}.secondsSince(Date{4}), 6.0);
    EXPECT_LT(Date{1}, Date{2});
}

TEST(Date, DistantPastAndFuture) {
    EXPECT_EQ(iso8601String(Date::distantFuture()), "4001-01-01T00:00:00Z");
    EXPECT_EQ(iso8601String(Date::distantPast()), "0001-01-01T00:00:00Z");
    EXPECT_EQ(Date::distantFuture(), Date{63113904000.0});
    EXPECT_LT(Date::distantPast(), Date{-1e10});
}

TEST(Date, Iso8601WritesWholeSecondsInUtc) {
    EXPECT_EQ(iso8601String(Date{0}), "2001-01-01T00:00:00Z");
    EXPECT_EQ(iso8601String(Date::fromUnix(1796630400)), "2026-12-07T08:00:00Z");
    EXPECT_EQ(iso8601String(Date{0.999}), "2001-01-01T00:00:00Z"); // fractions are dropped
    EXPECT_EQ(iso8601String(Date{-0.5}), "2000-12-31T23:59:59Z");  // ... towards the past
    EXPECT_EQ(iso8601String(Date{-978307200}), "1970-01-01T00:00:00Z");
}

TEST(Date, Iso8601RoundTrips) {
    for (double seconds : {0.0, 1.0, -1.0, 86399.0, 812345678.0, -978307200.0, 63113903999.0, -63113904000.0}) {
        const QString text = iso8601String(Date{seconds});
        const auto back = parseISO8601(text);
        ASSERT_TRUE(back) << text.toStdString();
        EXPECT_EQ(*back, Date{seconds}) << text.toStdString();
    }
    EXPECT_EQ(parseISO8601("2024-02-29T23:59:59Z"), Date::fromUnix(1709251199));
}

TEST(Date, Iso8601ReadsOffsetsAsTheMomentTheyNameAndDropsFractions) {
    const Date nine = *parseISO8601("2026-03-04T09:00:00Z");
    for (const char* text : {"2026-03-04T10:00:00+01:00", "2026-03-04T04:30:00-04:30", "2026-03-04T09:00:00-00:00",
                             "2026-03-05T08:59:00+23:59", "2026-03-03T23:00:00-10:00", "2026-03-04t09:00:00z",
                             "2026-03-04T09:00:00.999Z", "2026-03-04T10:00:00.5+01:00"})
        EXPECT_EQ(parseISO8601(text), nine) << text;
    EXPECT_EQ(iso8601String(*parseISO8601("2026-03-04T10:00:00.9+01:00")), "2026-03-04T09:00:00Z");
}

TEST(Date, Iso8601RejectsOtherForms) {
    for (const char* text : {
             "",
             "2026-12-07",
             "2026-12-07T08:00Z",         // no seconds
             "2026-12-07T08:00:00",       // no zone
             "2026-12-07T08:00:00+0100",  // an offset without its colon
             "2026-12-07T08:00:00+24:00", // an offset past a day
             "2026-12-07T08:00:00.Z",     // a point without digits
             "2026-12-07T08:00:00.5",     // a fraction without a zone
             "2026-12-07 08:00:00Z",      // space
             " 2026-12-07T08:00:00Z",     // leading space
             "2026-12-07T08:00:00Z ",     // trailing space
             "2026-12-07T08:00:00Z\n",    // trailing line break
             "2026-13-07T08:00:00Z",      // month 13
             "2026-02-30T08:00:00Z",      // no such day
             "2025-02-29T08:00:00Z",      // not a leap year
             "2026-12-07T24:00:00Z",      // hour 24
             "2026-12-07T08:60:00Z",      // minute 60
             "2026-12-07T08:00:60Z",      // leap second
             "+2026-12-07T08:00:00Z",
             "02026-12-07T08:00:00Z",
             "٢٠٢٦-12-07T08:00:00Z", // other digits
         })
        EXPECT_FALSE(parseISO8601(QString::fromUtf8(text))) << text;
}

TEST(Date, TextOfOutOfRangeDatesStaysReadable) {
    EXPECT_EQ(iso8601String(Date{1e300}), "9999-12-31T23:59:59Z");
    EXPECT_EQ(iso8601String(Date{-1e300}), "0001-01-01T00:00:00Z");
    EXPECT_EQ(iso8601String(Date{std::numeric_limits<double>::infinity()}), "9999-12-31T23:59:59Z");
    EXPECT_EQ(iso8601String(Date{std::numeric_limits<double>::quiet_NaN()}), "2001-01-01T00:00:00Z");
    EXPECT_TRUE(parseISO8601(iso8601String(Date{1e300})));
}
