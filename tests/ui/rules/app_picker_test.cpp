#include "RuleEditorFixture.h"
#include "ui/rules/AppPickerFilter.h"

#include <QDir>

namespace nimbrel {
namespace {

using App = NimbrelInstalledApps::InstalledApp;

TEST(AppPickerFilter, FuzzyMatching) {
    const struct {
        const char* query;
        const char* candidate;
        bool matches;
    } cases[] = {
        {"", "Safari", true},    {"saf", "Safari", true},         {"SAF", "Safari", true},
        {"sfr", "Safari", true}, {"rfs", "Safari", false},        {"apple.safari", "com.apple.Safari", true},
        {"éc", "Éclair", true},  {"ec", "Éclair", false},         {"g c", "Google Chrome", true},
        {"x", "Safari", false},  {"ee\u0301", "e\u0301e", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fuzzyMatches(QString::fromUtf8(c.query), QString::fromUtf8(c.candidate)), c.matches)
            << c.query << " / " << c.candidate;
}

TEST(AppPickerFilter, SearchesNamesAndIdentifiersWithTheChosenAppFirst) {
    const std::vector<App> apps{{"com.apple.Safari", "Safari", "com.apple.Safari", "/Applications/Safari.app"},
                                {"com.apple.Notes", "Notes", "com.apple.Notes", "/Applications/Notes.app"},
                                {"com.acme.Atlas", "Atlas", "com.acme.Atlas", "/Applications/Atlas.app"}};
    auto names = [](const std::vector<App>& list) {
        QStringList out;
        for (const App& a : list)
            out << a.displayName;
        return out;
    };
    EXPECT_EQ(names(filteredApps(apps, "", "")), (QStringList{"Atlas", "Notes", "Safari"}));
    EXPECT_EQ(names(filteredApps(apps, "  \n", "com.apple.Safari")), (QStringList{"Safari", "Atlas", "Notes"}));
    EXPECT_EQ(names(filteredApps(apps, " saf\n", "")), QStringList{"Safari"});
    EXPECT_EQ(names(filteredApps(apps, "apple.", "com.apple.Notes")), (QStringList{"Notes", "Safari"}));
    EXPECT_EQ(names(filteredApps(apps, "atl", "com.apple.Safari")), QStringList{"Atlas"});
    EXPECT_EQ(names(filteredApps(apps, "", " com.apple.Safari")), (QStringList{"Atlas", "Notes", "Safari"}));
}

TEST(AppPickerFilter, RowLooks) {
    const struct {
        bool selected, hovering;
        const char* tone;
        const char* subtitle;
    } cases[] = {{true, true, "red", "Click to remove selection"},
                 {true, false, "green", "Selected"},
                 {false, true, "green", "Click to select"},
                 {false, false, "white", "com.example.id"}};
    for (const auto& c : cases) {
        const AppPickerRowLook look = pickerRowLook(c.selected, c.hovering, "com.example.id");
        EXPECT_EQ(look.tone, c.tone);
        EXPECT_EQ(look.subtitle, c.subtitle);
    }
}

using PickerTest = testing::RuleEditorFixture;

TEST_F(PickerTest, ThePickerListsTheCatalogueAndLoadsOnlyWhileItScans) {
    open();
    QVariantList rows = picker().rows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0].toMap()["bundleIdentifier"], "com.apple.finder"); // a new rule's app leads
    EXPECT_EQ(rows[0].toMap()["isSelected"], true);
    EXPECT_FALSE(picker().isLoading());
    picker().removeSelectedApp("com.apple.finder");
    EXPECT_NE(picker().rows()[0].toMap()["bundleIdentifier"], "com.apple.finder");

    // The view's keyed rows follow the search while the picker is shown, and stay as they were
    // while it slides out.
    auto& shown = *qobject_cast<KeyedListModel*>(picker().rowModel());
    EXPECT_EQ(shown.count(), 0); // never shown yet
    editor->openAppPicker();
    EXPECT_EQ(shown.count(), int(picker().rows().size()));
    picker().setSearchText("safari");
    ASSERT_EQ(shown.count(), 1);
    EXPECT_EQ(shown.rows()[0]["bundleIdentifier"], "com.apple.Safari");
    picker().selectApp("com.apple.Safari");
    EXPECT_EQ(shown.count(), 1);

    // A catalogue still scanning shows "Loading apps…"; a finished scan that found nothing does not.
    resetSharedInstances();
    QDir(env.mac().realPath("/Applications")).removeRecursively();
    QDir(env.mac().realPath("/System")).removeRecursively();
    catalogue = NimbrelInstalledApps::create(env.platform);
    open();
    EXPECT_TRUE(picker().isLoading());
    EXPECT_EQ(editor->chosenAppName(), "Finder"); // Finder's own identifier, before the scan lists it
    EXPECT_EQ(editor->capabilityHintText(), "Finder rules can open folders and place windows.");
    env.scheduler.runUntilIdle();
    EXPECT_FALSE(picker().isLoading());
    EXPECT_TRUE(picker().rows().isEmpty());
}

} // namespace
} // namespace nimbrel
