#include "ui/sessions/SessionScheduleText.h"

#include "platform/Calendar.h"

#include <gtest/gtest.h>

#include <QTimeZone>

namespace nimbrel {
namespace {

struct Commit {
    const char* typed;
    SessionTimePeriod period;
    bool twelveHour;
    std::optional<std::pair<int, int>> stored;
};

TEST(SessionTimePicker, TypedTextStoresTheClampedTime) {
    using P = SessionTimePeriod;
    const Commit cases[] = {
        {"14:15", P::am, false, {{14, 15}}},
        {"9", P::am, false, {{9, 0}}},
        {"9:5", P::am, false, {{9, 5}}},
        {"25:99", P::am, false, {{23, 59}}},
        {"-3:-5", P::am, false, {{0, 0}}},
        {"+7:30", P::am, false, {{7, 30}}},
        {"9:30:45", P::am, false, {{9, 30}}},
        {"  8:45 \n", P::am, false, {{8, 45}}},
        {"14::15", P::am, false, {{14, 15}}},
        {":30", P::am, false, {{23, 0}}},
        {"9:", P::am, false, {{9, 0}}},
        {"9:xx", P::am, false, {{9, 0}}},
        {"9: 30", P::am, false, {{9, 0}}},
        {"", P::am, false, std::nullopt},
        {"   ", P::am, false, std::nullopt},
        {":", P::am, false, std::nullopt},
        {"ab:30", P::am, false, std::nullopt},
        {"9 :30", P::am, false, std::nullopt},
        {"99999999999999999999:00", P::am, false, std::nullopt},
        {"+-5:00", P::am, false, std::nullopt},
        {"-:00", P::am, false, std::nullopt},
        {"-9223372036854775808:7", P::am, false, {{0, 7}}},
        {"12:30", P::am, true, {{0, 30}}},
        {"0:30", P::am, true, {{1, 30}}},
        {"11:59", P::am, true, {{11, 59}}},
        {"15:00", P::am, true, {{0, 0}}},
        {"12:30", P::pm, true, {{12, 30}}},
        {"1:15", P::pm, true, {{13, 15}}},
        {"0:15", P::pm, true, {{13, 15}}},
        {"15:00", P::pm, true, {{12, 0}}},
        {"3:00", P::pm, true, {{15, 0}}},
    };
    for (const Commit& c : cases) {
        const auto stored = committedSessionTime(QString::fromUtf8(c.typed), c.period, c.twelveHour);
        if (!c.stored) {
            EXPECT_FALSE(stored) << c.typed;
            continue;
        }
        ASSERT_TRUE(stored) << c.typed;
        EXPECT_EQ(stored->hour, c.stored->first) << c.typed << (c.twelveHour ? " 12h" : " 24h");
        EXPECT_EQ(stored->minute, c.stored->second) << c.typed;
    }
}

TEST(SessionTimePicker, StartsWithTheLocalesLabelAndPeriod) {
    const struct {
        int hour, minute;
        bool twelveHour;
        const char* label;
        SessionTimePeriod period;
    } cases[] = {{9, 0, false, "9:00", SessionTimePeriod::am},  {17, 5, false, "17:05", SessionTimePeriod::pm},
                 {17, 5, true, "5:05", SessionTimePeriod::pm},  {0, 0, true, "12:00", SessionTimePeriod::am},
                 {12, 0, true, "12:00", SessionTimePeriod::pm}, {11, 59, true, "11:59", SessionTimePeriod::am}};
    for (const auto& c : cases) {
        EXPECT_EQ(sessionTimeLabel(c.hour, c.minute, c.twelveHour), QString::fromUtf8(c.label));
        EXPECT_EQ(sessionTimePeriodOfHour(c.hour), c.period) << c.hour;
    }
}

TEST(SessionCardSummary, ListsTheDaysSundayFirstBeforeTheRange) {
    const SessionClockTimeText plain = [](const NimbrelSessionClockTime& t) {
        return QStringLiteral("%1h%2").arg(t.hour).arg(t.minute);
    };
    using D = NimbrelSessionWeekday;
    const struct {
        NimbrelSessionWeekdays days;
        const char* summary;
    } cases[] = {{allSessionWeekdays(), "Every day · 9h0 – 17h0"},
                 {{D::saturday, D::sunday}, "Sun, Sat · 9h0 – 17h0"},
                 {{D::friday, D::monday, D::wednesday}, "Mon, Wed, Fri · 9h0 – 17h0"},
                 {{}, " · 9h0 – 17h0"}};
    for (const auto& c : cases) {
        NimbrelSession session;
        session.scheduleWeekdays = c.days;
        EXPECT_EQ(sessionScheduleSummary(session, plain), QString::fromUtf8(c.summary));
    }
}

TEST(SessionCardSummary, WritesTimesInTheLocalesShortStyle) {
    setCurrentTimeZone(QTimeZone("Europe/Berlin"));
    const struct {
        const char* locale;
        NimbrelSessionClockTime time;
        const char* text;
    } cases[] = {{"en_US", {9, 0}, "9:00 AM"},
                 {"en_US", {17, 5}, "5:05 PM"},
                 {"de_DE", {17, 5}, "17:05"},
                 {"en_US", {24, 30}, "12:30 AM"}};
    for (const auto& c : cases) {
        setCurrentLocaleName(c.locale);
        EXPECT_EQ(localizedShortTimeText()(c.time), QString::fromUtf8(c.text)) << c.locale;
    }
    setCurrentLocaleName({});
    setCurrentTimeZone(QTimeZone());
}

} // namespace
} // namespace nimbrel
