#include "ui/sessions/SessionEditorState.h"

#include "SessionAppSamples.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

using testing::appNames;
using testing::sessionApp;

const Date kOpened{800000000};
const Date kSaved{800000100};

SessionEditorState newSession(bool launchpadInstalled = true) {
    return SessionEditorState::make(std::nullopt, "Session 4", [&] {
        std::vector<NimbrelSessionApp> apps{NimbrelSessionApp::finder()};
        if (launchpadInstalled) apps.push_back(testing::launchpad());
        return apps;
    });
}

TEST(SessionEditorState, UnchangedNewSessionSavesTheDefaults) {
    for (const bool launchpad : {true, false}) {
        const NimbrelSession saved = newSession(launchpad).savedSession(kSaved).value();
        EXPECT_EQ(saved.name, "Session 4");
        EXPECT_TRUE(saved.isEnabled);
        EXPECT_FALSE(saved.isPinned);
        EXPECT_EQ(appNames(saved.allowedApps),
                  launchpad ? QStringList({"Finder", "Launchpad"}) : QStringList{"Finder"});
        EXPECT_TRUE(saved.whitelistedApps.empty());
        EXPECT_EQ(saved.scheduleStartTime, (NimbrelSessionClockTime{9, 0}));
        EXPECT_EQ(saved.scheduleEndTime, (NimbrelSessionClockTime{17, 0}));
        EXPECT_EQ(saved.scheduleWeekdays, allSessionWeekdays());
        EXPECT_TRUE(saved.wallpaperSelections.empty());
        EXPECT_TRUE(saved.syncWallpapersAcrossDisplays);
        EXPECT_EQ(saved.menuBarSymbolName, "NIMBREL_MENU_BAR");
        EXPECT_TRUE(saved.whitelistAllApps);
        EXPECT_TRUE(saved.remindBeforeSession);
        EXPECT_EQ(saved.remindBeforeSessionSeconds, 120);
        EXPECT_EQ(saved.createdAt, kSaved);
        EXPECT_EQ(saved.updatedAt, kSaved);
    }
}

TEST(SessionEditorState, NamesAreTrimmedAndBlankNamesTakeTheDefault) {
    const struct {
        const char* typed;
        const char* saved;
    } cases[] = {{" \n\t ", "Session 4"}, {" Deep Work ", "Deep Work"}, {"", "Session 4"}};
    for (const auto& c : cases) {
        SessionEditorState state = newSession();
        state.name = QString::fromUtf8(c.typed);
        EXPECT_EQ(state.savedSession(kSaved)->name, QString::fromUtf8(c.saved));
    }
}

TEST(SessionEditorState, EditingKeepsIdentityAndClampsTheStoredTimes) {
    NimbrelSession stored;
    stored.name = "Focus";
    stored.isEnabled = false;
    stored.isPinned = true;
    stored.createdAt = kOpened;
    stored.scheduleStartTime = {30, 75};
    stored.scheduleEndTime = {-2, -5};
    stored.remindBeforeSessionSeconds = 45;
    stored.allowedApps = {testing::safari(), sessionApp("finder"), testing::safari()};
    SessionEditorState state = SessionEditorState::make(stored, stored.name, [] {
        ADD_FAILURE() << "an edited session never asks for the default Dock";
        return std::vector<NimbrelSessionApp>{};
    });
    EXPECT_EQ(state.startHour, 30) << "the state keeps stored values until the save";
    EXPECT_EQ(appNames(state.selectedApps), QStringList({"Finder", "Safari"}));

    const NimbrelSession saved = state.savedSession(kSaved).value();
    EXPECT_EQ(saved.id, stored.id);
    EXPECT_EQ(saved.createdAt, kOpened);
    EXPECT_FALSE(saved.isEnabled);
    EXPECT_TRUE(saved.isPinned);
    EXPECT_EQ(saved.updatedAt, kSaved);
    EXPECT_EQ(saved.scheduleStartTime, (NimbrelSessionClockTime{23, 59}));
    EXPECT_EQ(saved.scheduleEndTime, (NimbrelSessionClockTime{0, 0}));
    EXPECT_EQ(saved.remindBeforeSessionSeconds, 45);
}

TEST(SessionEditorState, NoWeekdayRefusesTheSave) {
    SessionEditorState state = newSession();
    state.selectedWeekdays.clear();
    EXPECT_FALSE(state.canSave());
    EXPECT_FALSE(state.savedSession(kSaved));
}

TEST(SessionEditorState, DockNormalFormPutsOneFinderFirst) {
    const NimbrelSessionApp finderByPath = sessionApp("My Finder", {}, "/System/Library/CoreServices/Finder.app");
    const struct {
        std::vector<NimbrelSessionApp> apps;
        QStringList names;
    } cases[] = {{{}, {"Finder"}},
                 {{testing::safari(), testing::mail()}, {"Finder", "Safari", "Mail"}},
                 {{testing::mail(), finderByPath, testing::safari(), testing::mail()}, {"Finder", "Mail", "Safari"}}};
    for (const auto& c : cases)
        EXPECT_EQ(appNames(normalizedDockApps(c.apps)), c.names);
}

TEST(SessionEditorState, AppSearchMatchesNamesIdentifiersPathsAndWords) {
    const NimbrelSessionApp code =
        sessionApp("Visual Studio Code", "com.microsoft.VSCode", "/Applications/Visual Studio Code.app");
    const struct {
        NimbrelSessionApp app;
        const char* query;
        bool matches;
    } cases[] = {{testing::safari(), "safari", true},
                 {testing::safari(), "apple.safari", true},
                 {testing::safari(), "applications", true},
                 {code, "visualstudio", true},
                 {code, "code studio", true},
                 {code, "studio xyz", false},
                 {testing::mail(), "safari", false},
                 {code, "  ", true}};
    for (const auto& c : cases)
        EXPECT_EQ(appMatchesSearch(c.app, QString::fromUtf8(c.query)), c.matches) << c.query;
}

TEST(SessionEditorState, SavedWallpapersFollowTheSyncSwitch) {
    const auto pick = [](const char* name, NimbrelSessionDisplayTarget target) {
        return NimbrelSessionWallpaperSelection{Uuid::random(), name, QStringLiteral("/p/") + name, target};
    };
    SessionEditorState state = newSession();
    state.wallpaperSelections = {
        pick("a", NimbrelSessionDisplayTarget::screen(1)), pick("b", NimbrelSessionDisplayTarget::automatic()),
        pick("c", NimbrelSessionDisplayTarget::screen(5)), pick("d", NimbrelSessionDisplayTarget::automatic())};
    const auto names = [](const std::vector<NimbrelSessionWallpaperSelection>& list) {
        QStringList out;
        for (const auto& s : list)
            out << s.displayName;
        return out;
    };
    EXPECT_EQ(names(state.effectiveWallpaperSelections()), QStringList{"b"});
    state.syncWallpapersAcrossDisplays = false;
    EXPECT_EQ(names(state.effectiveWallpaperSelections()), QStringList({"a", "c"}));
    state.wallpaperSelections = {pick("a", NimbrelSessionDisplayTarget::screen(0))};
    state.syncWallpapersAcrossDisplays = true;
    EXPECT_TRUE(state.effectiveWallpaperSelections().empty());
}

} // namespace
} // namespace nimbrel
