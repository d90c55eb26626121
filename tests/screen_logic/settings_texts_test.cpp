#include "platform/Calendar.h"
#include "ui/screens/LastCheckedText.h"
#include "ui/screens/SettingsPresentation.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(SettingsTexts, PreferencesSummaryListsWhatIsOnThenTheMode) {
    using M = NimbrelBehaviorMode;
    const struct {
        PreferenceValues input;
        const char* expected;
    } cases[] = {
        {{true, true, false, true, 15, M::cycling}, "Startup \u00B7 Sync \u00B7 Cycling"},
        {{true, true, false, true, 26, M::cycling}, "Startup \u00B7 Sync \u00B7 Appearance \u00B7 Cycling"},
        {{false, false, false, false, 26, M::automatic}, "Automatic"},
        {{false, false, true, false, 26, M::disabled}, "Notifications \u00B7 Disabled"},
        {{false, false, false, true, 14, M::restore}, "Restore"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(preferencesSummary(c.input), QString::fromUtf8(c.expected));
}

// Each tile shows its own value, and only that one.
TEST(SettingsTexts, EachTileShowsItsOwnValue) {
    const struct {
        const char* key;
        PreferenceTile tile;
        bool PreferenceValues::*value;
    } tiles[] = {
        {"launchAtLogin", PreferenceTile::launchAtLogin, &PreferenceValues::launchAtLogin},
        {"sync", PreferenceTile::sync, &PreferenceValues::syncEnabled},
        {"minimizeAfterCycle", PreferenceTile::minimizeAfterCycle, &PreferenceValues::minimizeAfterCycle},
        {"notifications", PreferenceTile::notifications, &PreferenceValues::notificationsEnabled},
        {"liquidGlass", PreferenceTile::liquidGlass, &PreferenceValues::liquidGlassEnabled},
    };
    for (const auto& on : tiles) {
        PreferenceValues values;
        values.systemMajorVersion = 26;
        values.*on.value = true;
        const std::vector<PreferenceTileState> shown = preferenceTileStates(values);
        ASSERT_EQ(shown.size(), std::size(tiles));
        for (size_t i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(shown[i].key, tiles[i].key);
            EXPECT_EQ(shown[i].tile, tiles[i].tile);
            EXPECT_EQ(shown[i].on, &tiles[i] == &on) << tiles[i].key << " with " << on.key << " on";
        }
    }
    EXPECT_EQ(preferenceTileStates(PreferenceValues{}).size(), 4u) << "no glass tile before version 26";
}

TEST(SettingsTexts, TileTitlesAndSymbolsFollowTheirValue) {
    EXPECT_EQ(preferenceTileLook(PreferenceTile::launchAtLogin, false).title, "Automatic Start Disabled");
    EXPECT_EQ(preferenceTileLook(PreferenceTile::minimizeAfterCycle, false).title, "Keep Windows Open");
    EXPECT_EQ(preferenceTileLook(PreferenceTile::liquidGlass, false).title, "Premium Blur");
    EXPECT_EQ(preferenceTileLook(PreferenceTile::automaticUpdates, false).symbol, "arrow.clockwise.circle");
    EXPECT_EQ(preferenceTileLook(PreferenceTile::automaticUpdates, true).title, "Automatic Updates");
    EXPECT_EQ(behaviorModeTitle(NimbrelBehaviorMode::cycling), "Cycling");
}

// What follows "Last checked " for a stored check text, read in UTC and written in en_US.
TEST(SettingsTexts, LastCheckedDisplayText) {
    setCurrentLocaleName("en_US");
    setCurrentTimeZone(QTimeZone("America/New_York"));
    const struct {
        const char* stored;
        const char* shown;
    } cases[] = {
        {"Never", "-"},
        {"never", "-"},
        {"NOT CHECKED", "-"},
        {"  unknown \n", "-"},
        {"", "-"},
        {"Not installed", "-"},
        {"Jan 5, 2026 at 3:04 PM", "Jan 5, 2026"},
        {"Jan 5, 2026, 3:04 PM", "Jan 5, 2026"},
        {"1/5/26, 3:04 PM", "Jan 5, 2026"},
        {"January 5, 2026 3:04 PM", "Jan 5, 2026"},
        // Read as UTC, shown in the user's zone: the evening before in New York.
        {"2026-01-05T03:04:00+0000", "Jan 4, 2026"},
        {"2026-01-05 15:04:00", "Jan 5, 2026"},
        {"Monday, 5 January, 15:04", "Monday, 5 January"},
        {"5.1.2026 15:04", "5.1.2026"},
        {"5 January, 15:04", "5 January,"}, // two parts: only the trailing time goes
        {"05.01.2026 3:04:59 pm", "05.01.2026"},
        {"05.01.2026 3:04\u202FPM", "05.01.2026"},
        {"\u0665/\u0661/\u0662\u0660\u0662\u0666 \u0661\u0665:\u0660\u0664", "\u0665/\u0661/\u0662\u0660\u0662\u0666"},
        {"Tuesday", "Tuesday"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lastCheckedDisplayText(QString::fromUtf8(c.stored)), QString::fromUtf8(c.shown)) << c.stored;
    setCurrentTimeZone(QTimeZone());
    setCurrentLocaleName({});
}

} // namespace
} // namespace nimbrel
