#include "ui/screens/BlacklistFilter.h"
#include "ui/screens/TestApps.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

const auto app = testing::installedApp;

QStringList names(const std::vector<InstalledApp>& apps) {
    QStringList out;
    for (const InstalledApp& a : apps)
        out << a.name;
    return out;
}

const std::vector<InstalledApp> kApps{
    app("Calendar", "com.apple.iCal", "/System/Applications/Calendar.app"),
    app("Café Menu", "org.example.cafe", "/Applications/Café Menu.app"),
    app("Metadata", "org.example.metadata", "/Applications/Metadata.app"),
    app("Notes", "com.apple.Notes", "/System/Applications/Notes.app"),
    app("Script Editor", nullptr, "/Applications/Utilities/Script Editor.app"),
    app("Tabular", "org.example.tabular", "/Applications/Tabular.app"),
};

TEST(BlacklistFilter, QueriesDifferingInCaseDiacriticsOrPunctuationFindTheSame) {
    const std::set<QString> none;
    const QStringList expected = names(listBlacklist({kApps, none}, "cafe").filtered);
    ASSERT_EQ(expected, QStringList{QString::fromUtf8("Café Menu")});
    for (const char* query : {"CAFÉ", "ca-fe", "  c.a f e "})
        EXPECT_EQ(names(listBlacklist({kApps, none}, QString::fromUtf8(query)).filtered), expected) << query;
    // Only punctuation: everything shows, in store order.
    EXPECT_EQ(listBlacklist({kApps, none}, " - ").filtered.size(), kApps.size());
}

TEST(BlacklistFilter, SectionsKeepNameOrderWhateverTheScore) {
    // "ta" begins "Tabular" and lies inside "Metadata": both show, the prefix match first in
    // the search's order, but by name within the section.
    const std::set<QString> none;
    const BlacklistListing listing = listBlacklist({kApps, none}, "ta");
    EXPECT_EQ(names(listing.filtered), (QStringList{"Tabular", "Metadata"}));
    EXPECT_EQ(names(listing.others), (QStringList{"Metadata", "Tabular"}));
    // An app stored only under its bundle path belongs to the Blacklist section.
    const std::set<QString> byPath{"/Applications/Utilities/Script Editor.app", "/Applications/Tabular.app"};
    EXPECT_EQ(names(listBlacklist({kApps, byPath}, "").blacklisted), (QStringList{"Script Editor", "Tabular"}));
}

TEST(BlacklistFilter, AllSwitchReadsOnOnlyWhenEveryShownAppIsBlacklisted) {
    const std::set<QString> notes{"com.apple.Notes"};
    const struct {
        const char* query;
        std::set<QString> keys;
        bool allOn;
        bool empty;
    } cases[] = {
        {"", notes, false, false},
        {"notes", notes, true, false},
        {"zzzz", notes, false, true},
        // Stored only under its path, the app still counts as blacklisted.
        {"calendar", {"/System/Applications/Calendar.app"}, true, false},
    };
    for (const auto& c : cases) {
        const BlacklistListing listing = listBlacklist({kApps, c.keys}, c.query);
        EXPECT_EQ(listing.allOn, c.allOn) << c.query;
        EXPECT_EQ(listing.showsEmptyState, c.empty) << c.query;
    }
}

// Until a scan has found apps, no stored key is offered for removal as "not installed".
TEST(BlacklistFilter, MissingKeysOnlyAgainstAFinishedScanThatFoundApps) {
    const std::set<QString> keys{"com.apple.Notes", "/Applications/Tabular.app", "com.openai.chat", "B.key"};
    const std::vector<InstalledApp> none;
    const struct {
        const std::vector<InstalledApp>& apps;
        bool loading;
        QStringList missing;
    } cases[] = {
        {kApps, false, {"B.key", "com.openai.chat"}},
        {kApps, true, {}},
        {none, false, {}},
        {none, true, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(listBlacklist({c.apps, keys, c.loading}, "zzz").missingKeys, c.missing);
}

} // namespace
} // namespace nimbrel
