#include "ui/sessions/SessionDockApps.h"

#include "SessionAppSamples.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

using testing::appNames;
using testing::sessionApp;

SessionEditorState dock(std::vector<NimbrelSessionApp> apps) {
    NimbrelSession session;
    session.allowedApps = std::move(apps);
    return SessionEditorState::make(session, session.name, {});
}

TEST(SessionDockApps, PickerListsDefaultsAndCatalogueOnceByName) {
    const std::vector<NimbrelSessionApp> defaults{NimbrelSessionApp::finder(), testing::launchpad()};
    const std::vector<NimbrelSessionApp> catalogue{
        testing::safari(), sessionApp("My Launcher", "com.apple.launchpad.launcher"), sessionApp("alpha", "a.one"),
        sessionApp("Alpha", "a.two"), sessionApp("Finder", "com.apple.finder")};
    SessionEditorState state = dock({});
    EXPECT_EQ(appNames(pickerApps(state, defaults, {})), QStringList({"Finder", "Launchpad"}));
    const auto all = pickerApps(state, defaults, catalogue);
    EXPECT_EQ(appNames(all), QStringList({"alpha", "Alpha", "Finder", "Launchpad", "Safari"}));
    state.appSearchText = "  SAF ";
    EXPECT_EQ(appNames(pickerApps(state, defaults, catalogue)), QStringList{"Safari"});
}

TEST(SessionDockApps, MovesKeepFinderFirst) {
    SessionEditorState state = dock({testing::safari(), testing::mail()});
    const NimbrelSessionApp finder = state.selectedApps[0];
    const struct {
        NimbrelSessionApp app;
        int offset;
        bool allowed;
    } cases[] = {{finder, -1, false},
                 {finder, 1, false},
                 {testing::safari(), -1, false},
                 {testing::safari(), 1, true},
                 {testing::mail(), 1, false},
                 {testing::mail(), -1, true},
                 {sessionApp("Notes"), 1, false}};
    for (const auto& c : cases)
        EXPECT_EQ(canMoveDockApp(state, c.app, c.offset), c.allowed) << c.app.displayName.toStdString() << c.offset;
    EXPECT_FALSE(moveDockApp(state, testing::mail(), 1));
    EXPECT_TRUE(moveDockApp(state, testing::safari(), 1));
    EXPECT_EQ(appNames(state.selectedApps), QStringList({"Finder", "Mail", "Safari"}));
}

TEST(SessionDockApps, ToggleAppendsRemovesAndRefusesFinder) {
    SessionEditorState state = dock({testing::mail()});
    EXPECT_EQ(toggleDockApp(state, testing::safari()), DockToggleResult::added);
    EXPECT_EQ(appNames(state.selectedApps), QStringList({"Finder", "Mail", "Safari"}));
    EXPECT_EQ(toggleDockApp(state, sessionApp("Mail", "COM.APPLE.MAIL")), DockToggleResult::removed);
    EXPECT_EQ(toggleDockApp(state, sessionApp("Finder")), DockToggleResult::refused);
    EXPECT_EQ(appNames(state.selectedApps), QStringList({"Finder", "Safari"}));
    EXPECT_EQ(dockAppsCountText(state.selectedApps.size()), "2 selected");
}

TEST(SessionDockApps, RowsReadByState) {
    const struct {
        NimbrelSessionApp app;
        bool selected, hovering;
        const char* subtitle;
    } picker[] = {{NimbrelSessionApp::finder(), true, true, "Finder is locked as the first Dock app"},
                  {testing::mail(), true, false, "Selected · reorder above"},
                  {testing::mail(), false, true, "Click to add to Dock"},
                  {testing::mail(), false, false, "com.apple.mail"},
                  {sessionApp("Tool", {}, "/opt/Tool.app"), false, false, "/opt/Tool.app"}};
    for (const auto& c : picker)
        EXPECT_EQ(dockPickerRowLook(c.app, c.selected, c.hovering).subtitle, QString::fromUtf8(c.subtitle));
    const struct {
        bool finder, hovering;
        const char* subtitle;
        SessionTone tone;
    } order[] = {{true, true, "Finder cannot be unselected", SessionTone::yellow},
                 {true, false, "Locked as first Dock app", SessionTone::green},
                 {false, true, "Click to remove from Dock", SessionTone::red},
                 {false, false, "Position in Dock", SessionTone::green}};
    for (const auto& c : order) {
        const SessionRowLook look = dockOrderRowLook(c.finder, c.hovering);
        EXPECT_EQ(look.subtitle, QString::fromUtf8(c.subtitle));
        EXPECT_EQ(look.outline.rgb(), sessionToneColor(c.tone, 1).rgb()) << c.subtitle;
    }
}

} // namespace
} // namespace nimbrel
