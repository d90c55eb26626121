#include "RuleEditorFixture.h"
#include "platform/Calendar.h"
#include "platform/simulated/SimAlerts.h"
#include "ui/rules/FolderChoice.h"

namespace nimbrel {
namespace {

using D = NimbrelDisplayTarget;
class Sections : public testing::RuleEditorFixture {};

TEST(FolderChoices, StoredTargetsChoicesAndTitles) {
    using F = FolderChoice;
    const struct {
        NimbrelFolderTarget target;
        F choice;
    } cases[] = {
        {{"Downloads", "~/Downloads"}, F::downloads},
        {{"Downloads", "/Users/anna/Downloads"}, F::custom},
        {{"Desktop", "~/Documents"}, F::custom},
        {{"Desktop", "~/Desktop"}, F::desktop},
        {{"Library", "~/Library"}, F::userLibrary},
        {{"iCloud Drive", "~/Library/Mobile Documents/com~apple~CloudDocs"}, F::iCloudDrive},
    };
    for (const auto& c : cases)
        EXPECT_EQ(folderChoice::fromFolderTarget(c.target), c.choice) << c.target.path.toStdString();
    const QStringList raw{"desktop",     "documents", "downloads",   "applications",
                          "userLibrary", "home",      "iCloudDrive", "custom"};
    for (F choice : folderChoice::allCases())
        EXPECT_EQ(folderChoice::rawValue(choice), raw[int(choice)]);
    const NimbrelFolderTarget projects{"Projects", "/Users/anna/Projects"};
    EXPECT_EQ(folderChoice::folderTarget(F::custom, std::nullopt), (NimbrelFolderTarget{"Desktop", "~/Desktop"}));
    EXPECT_EQ(folderChoice::folderTarget(F::custom, projects), projects);
    EXPECT_EQ(folderChoice::folderTarget(F::home, projects), (NimbrelFolderTarget{"Home", "~"}));
    EXPECT_EQ(folderChoice::menuTitle(F::custom, std::nullopt), QString::fromUtf8("Custom Folder\u2026"));
    EXPECT_EQ(folderChoice::menuTitle(F::custom, projects), "Projects");
}

TEST_F(Sections, TheMonitorMenuFollowsTheAttachedScreens) {
    open();
    const struct {
        std::vector<D> screens;
        QStringList menu;
    } cases[] = {
        {{}, {}},
        {{D{D::Kind::main, std::nullopt}, D{D::Kind::external, 0}},
         {"Automatic", "Main Monitor", "External Monitor 1"}},
        {{D{D::Kind::main, std::nullopt}, D{D::Kind::external, 0}, D{D::Kind::external, 1}},
         {"Automatic", "Main Monitor", "External Monitor 1", "External Monitor 2"}},
    };
    for (const auto& c : cases) {
        screens = c.screens;
        EXPECT_EQ(actions().monitorMenu(), c.menu);
    }
    actions().chooseMonitor("", 3);
    EXPECT_EQ(editor->state().displayTarget, (D{D::Kind::external, 1}));
    screens.resize(2); // a screen goes away: the row keeps showing the stored choice
    EXPECT_EQ(actions().monitorTitle(), "External Monitor 2");
    actions().chooseMonitor("", 0);
    EXPECT_EQ(editor->state().displayTarget, D{});
}

TEST_F(Sections, ChildRowsAreAddedEditedAndRemovedByTheirIds) {
    open();
    actions().addFinderChildAction();
    actions().addFinderChildAction();
    const auto rows = editor->state().childActions;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_NE(rows[0].id, rows[1].id);
    EXPECT_EQ(rows[0].folder, FolderChoice::downloads);
    EXPECT_EQ(rows[0].placement, NimbrelWindowPlacement::rightHalf);
    actions().choosePlacement(rows[1].id.toString(), 5);
    actions().removeFinderChildAction(rows[0].id.toString());
    ASSERT_EQ(editor->state().childActions.size(), 1u);
    EXPECT_EQ(editor->state().childActions[0].placement, NimbrelWindowPlacement::topLeft);
    EXPECT_EQ(editor->state().placement, NimbrelWindowPlacement::front); // the main action is its own

    actions().addBrowserChildAction();
    const RuleEditorBrowserChildAction site = editor->state().browserChildActions.at(0);
    EXPECT_EQ(site.urlString, "");
    EXPECT_EQ(site.openingMode, NimbrelBrowserOpeningMode::newTab);
    EXPECT_EQ(site.placement, NimbrelWindowPlacement::front);
    actions().setWebsiteText(site.id.toString(), "  padded.example");
    actions().chooseOpeningMode(site.id.toString(), 1);
    EXPECT_EQ(actions().websiteRows()[0]["websiteText"], "  padded.example");
    EXPECT_EQ(actions().websiteRows()[0]["opensNewWindow"], true);
    EXPECT_EQ(actions().websiteText(), "");
}

TEST_F(Sections, TheCustomFolderComesFromTheOpenPanel) {
    open();
    auto& panels = env.simulated.alerts();
    panels.answerNextOpenPanel(QStringList{"/Users/anna/Projects"});
    actions().chooseFolder("", 7); // "Custom Folder…" opens the panel at once
    ASSERT_EQ(panels.panelsShown().size(), 1u);
    const OpenPanelRequest& request = panels.panelsShown()[0];
    EXPECT_EQ(request.title, "Select Folder");
    EXPECT_EQ(request.prompt, "Select");
    EXPECT_FALSE(request.canChooseFiles);
    EXPECT_TRUE(request.canChooseDirectories);
    EXPECT_FALSE(request.allowsMultipleSelection);
    EXPECT_FALSE(request.canCreateDirectories);
    EXPECT_EQ(actions().folderTitle(), "Projects");
    EXPECT_EQ(actions().customFolderButtonTitle(), "Projects");
    EXPECT_EQ(actions().folderMenu().last(), "Projects");

    actions().chooseFolder("", 1);
    actions().chooseFolder("", 7);
    panels.answerNextOpenPanel(std::nullopt); // cancelled: the folder stays
    EXPECT_EQ(actions().folderTitle(), "Projects");
    EXPECT_EQ(saveNow().actions[0].as<OpenFolderRuleAction>()->folder,
              (NimbrelFolderTarget{"Projects", "/Users/anna/Projects"}));
}

TEST_F(Sections, TerminalRowsAreNumberedAndNeverFewerThanOne) {
    open();
    EXPECT_FALSE(terminal().canRemove());
    terminal().addCommand();
    terminal().addCommand();
    EXPECT_TRUE(terminal().canRemove());
    EXPECT_EQ(editor->motion()->current(), (SpringParameters{0.18, 0.85}));
    terminal().removeCommand(terminal().commands()[0]["id"].toString());
    const std::vector<QVariantMap>& rows = terminal().commands();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]["number"], "1");
    EXPECT_EQ(rows[0]["placeholder"], "e.g. cd ~/Projects/MyApp");
    EXPECT_EQ(rows[1]["placeholder"], "e.g. sudo npm install");
}

TEST_F(Sections, TheScheduleSpeaksTheLocalesClock) {
    const struct {
        const char* locale;
        bool twelve;
        const char* caption;
        const char* placeholder;
        const char* start;
        const char* end;
    } cases[] = {
        {"en_US", true, "Time window", "1:15", "9:00", "5:00"},
        {"de_DE", false, "Time window \u00b7 24-hour", "14:15", "09:00", "17:00"},
    };
    for (const auto& c : cases) {
        setCurrentLocaleName(c.locale);
        open();
        EXPECT_EQ(schedule().usesTwelveHourClock(), c.twelve);
        EXPECT_EQ(schedule().timeWindowCaption(), QString::fromUtf8(c.caption));
        EXPECT_EQ(schedule().timePlaceholder(), c.placeholder);
        EXPECT_EQ(schedule().startText(), c.start);
        EXPECT_EQ(schedule().endText(), c.end);
        schedule().setStartText("12:15");
        schedule().setStartPeriod("am");
        EXPECT_EQ(saveNow().availability.startTime, (NimbrelClockTime{c.twelve ? 0 : 12, 15}));
    }
    setCurrentLocaleName("en_US");
    EXPECT_EQ(schedule().subtitle(), "Runs all the time until disabled or paused.");
    schedule().toggleSchedule();
    EXPECT_EQ(schedule().subtitle(), "Runs only during the selected days and time window.");
    schedule().toggleWeekday(0);
    const QVariantMap monday = schedule().weekdays()[0].toMap();
    EXPECT_EQ(monday["letter"], "M");
    EXPECT_EQ(monday["isSelected"], false);
    EXPECT_EQ(monday["help"], "Monday disabled");
    EXPECT_EQ(sortedWeekdays({NimbrelWeekday::sunday, NimbrelWeekday::monday}),
              (std::vector<NimbrelWeekday>{NimbrelWeekday::monday, NimbrelWeekday::sunday}));
}

TEST_F(Sections, TheTriggerSectionFollowsTheChosenApp) {
    open();
    const struct {
        const char* identifier;
        const char* block;
        const char* symbol;
    } cases[] = {
        {"com.apple.finder", "finder", "folder"},
        {"com.apple.Safari", "browser", "globe"},
        {"com.apple.Terminal", "terminal", "terminal.fill"},
        {"com.apple.Notes", "universal", "rectangle.3.group"},
    };
    for (const auto& c : cases) {
        picker().selectApp(c.identifier);
        EXPECT_EQ(editor->actionBlockName(), c.block);
        EXPECT_EQ(editor->capabilityHintSymbolName(), c.symbol);
    }
    const std::pair<int, const char*> counts[] = {{1, "1 time"}, {2, "2 times"}, {3, "3 times"}, {5, "5 times"}};
    for (const auto& [count, text] : counts) {
        editor->setClickCount(count);
        EXPECT_EQ(editor->clickCountText(), text);
    }
    editor->openAppPicker();
    picker().setSearchText("saf");
    editor->closeAppPicker();
    editor->openAppPicker();
    EXPECT_EQ(picker().searchText(), "");
    editor->cancel();
    EXPECT_EQ(cancels, 1);
}

TEST_F(Sections, AppIconsComeFromTheCatalogueThenThePathWithItsTildeExpanded) {
    open();
    const QString home = env.platform.files->expandTilde(QStringLiteral("~"));
    const QString safari = catalogue->apps().get().front().path; // any listed entry will do
    const QString safariId = catalogue->apps().get().front().bundleIdentifier;
    const struct {
        std::optional<QString> identifier, path;
        bool generic;
        QString filePath;
    } cases[] = {
        {safariId, QStringLiteral("/Applications/Other.app"), false, safari},
        {QStringLiteral("com.example.unlisted"), std::nullopt, true, QString()},
        {QStringLiteral("com.example.unlisted"), QStringLiteral("~/Applications/Tool.app"), false,
         home + QStringLiteral("/Applications/Tool.app")},
        {std::nullopt, std::nullopt, true, QString()},
    };
    for (const auto& c : cases) {
        const QVariantMap icon = editor->appIcon(c.identifier, c.path);
        EXPECT_EQ(icon["generic"].toBool(), c.generic) << c.path.value_or("-").toStdString();
        EXPECT_EQ(icon["filePath"].toString(), c.filePath);
    }
}

} // namespace
} // namespace nimbrel
