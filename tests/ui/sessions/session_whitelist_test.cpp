#include "ui/sessions/SessionWhitelist.h"

#include "SessionAppSamples.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

using testing::appNames;
using testing::sessionApp;

SessionEditorState editor() {
    return SessionEditorState::make(std::nullopt, "Session 1", [] { return std::vector{NimbrelSessionApp::finder()}; });
}

std::vector<NimbrelSessionApp> catalogue() {
    return {sessionApp("zoom", "us.zoom.xos"), testing::mail(), sessionApp("Mailspring", "com.getmailspring"),
            testing::safari(), sessionApp("Notes", "com.apple.Notes")};
}

TEST(SessionWhitelist, LeadLabelsNameTheChoicesAndRoundDownOthers) {
    const std::pair<int, const char*> cases[] = {{30, "30 seconds"}, {120, "2 minutes"}, {1800, "30 minutes"},
                                                 {45, "45s"},        {0, "0s"},          {90, "1 min"},
                                                 {3599, "59 min"},   {3600, "1 hr"},     {7199, "1 hr"}};
    for (const auto& [seconds, label] : cases)
        EXPECT_EQ(reminderLeadLabel(seconds), QString::fromUtf8(label)) << seconds;
    EXPECT_EQ(remindMeSubtitle(true, 120), "Notifies 2 minutes before this session starts");
    EXPECT_EQ(remindMeSubtitle(false, 120), "No notification before session starts");
}

TEST(SessionWhitelist, CountFollowsWhitelistAll) {
    SessionEditorState state = editor();
    EXPECT_EQ(whitelistCountText(state), "All allowed");
    state.whitelistAllApps = false;
    EXPECT_EQ(whitelistCountText(state), "0 allowed");
    state.whitelistedApps = {testing::mail(), testing::safari(), sessionApp("Old App", "com.gone")};
    EXPECT_EQ(whitelistCountText(state), "3 allowed");
}

TEST(SessionWhitelist, CandidatesListWhitelistedFirstThenByNameAndFilter) {
    SessionEditorState state = editor();
    state.whitelistedApps = {testing::safari()};
    EXPECT_EQ(appNames(whitelistCandidates(state, catalogue())),
              QStringList({"Safari", "Mail", "Mailspring", "Notes", "zoom"}));
    toggleWhitelisted(state, testing::safari());
    EXPECT_EQ(appNames(whitelistCandidates(state, catalogue())).first(), "Mail");
    state.whitelistSearchText = "  MAIL \n";
    EXPECT_EQ(appNames(whitelistCandidates(state, catalogue())), QStringList({"Mail", "Mailspring"}));
}

TEST(SessionWhitelist, ToggleComparesKeysNotIds) {
    SessionEditorState state = editor();
    state.whitelistedApps = {testing::mail(), testing::safari(), testing::mail()};
    ASSERT_NE(state.whitelistedApps[0].id, state.whitelistedApps[2].id);
    toggleWhitelisted(state, testing::mail());
    EXPECT_EQ(appNames(state.whitelistedApps), QStringList{"Safari"});
    toggleWhitelisted(state, testing::mail());
    EXPECT_EQ(appNames(state.whitelistedApps), QStringList({"Safari", "Mail"}));
}

TEST(SessionWhitelist, AllSwitchIsWhitelistAllWithoutSearchAndTheShownAppsWithOne) {
    SessionEditorState state = editor();
    setAllCandidatesWhitelisted(state, whitelistCandidates(state, catalogue()), false);
    EXPECT_FALSE(state.whitelistAllApps);
    EXPECT_TRUE(state.whitelistedApps.empty());

    state.whitelistedApps = {testing::safari()};
    state.whitelistSearchText = " mail ";
    auto shown = whitelistCandidates(state, catalogue());
    EXPECT_FALSE(allCandidatesWhitelisted(state, shown));
    setAllCandidatesWhitelisted(state, shown, true);
    EXPECT_EQ(appNames(state.whitelistedApps), QStringList({"Safari", "Mail", "Mailspring"}));
    EXPECT_TRUE(allCandidatesWhitelisted(state, whitelistCandidates(state, catalogue())));
    setAllCandidatesWhitelisted(state, whitelistCandidates(state, catalogue()), false);
    EXPECT_EQ(appNames(state.whitelistedApps), QStringList{"Safari"});
    EXPECT_FALSE(state.whitelistAllApps);

    state.whitelistSearchText = "nothing like this";
    shown = whitelistCandidates(state, catalogue());
    EXPECT_FALSE(allCandidatesWhitelisted(state, shown));
    setAllCandidatesWhitelisted(state, shown, true);
    EXPECT_EQ(appNames(state.whitelistedApps), QStringList{"Safari"});
}

TEST(SessionWhitelist, RowsReadByStateAndHover) {
    const struct {
        bool selected, dock, hovering;
        const char* subtitle;
        SessionTone tone;
    } cases[] = {{true, false, true, "Click to remove from whitelist", SessionTone::red},
                 {true, false, false, "Whitelisted", SessionTone::green},
                 {false, false, true, "Click to whitelist", SessionTone::green},
                 {false, true, false, "Already in session Dock · also allowed", SessionTone::white},
                 {false, false, false, "com.apple.mail", SessionTone::white}};
    for (const auto& c : cases) {
        const SessionRowLook look = whitelistRowLook(testing::mail(), c.selected, c.dock, c.hovering);
        EXPECT_EQ(look.subtitle, QString::fromUtf8(c.subtitle));
        EXPECT_EQ(look.outline.rgb(), sessionToneColor(c.tone, 1).rgb()) << c.subtitle;
    }
    EXPECT_EQ(whitelistRowLook(testing::mail(), false, true, false).subtitleColor,
              sessionToneColor(SessionTone::green, 0.72));
    EXPECT_EQ(whitelistRowLook(sessionApp("Tool"), false, false, false).subtitle, "System app");
}

} // namespace
} // namespace nimbrel
