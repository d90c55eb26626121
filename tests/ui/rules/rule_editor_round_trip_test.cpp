#include "RuleEditorFixture.h"

namespace nimbrel {
namespace {

using P = NimbrelWindowPlacement;
using D = NimbrelDisplayTarget;
using M = NimbrelBrowserOpeningMode;

class RuleEditorRoundTrip : public testing::RuleEditorFixture {
  protected:
    NimbrelRule rule(const QString& name, NimbrelRuleAppTarget trigger, std::vector<NimbrelRuleAction> actions) {
        NimbrelRule r = NimbrelRule::make(name, true, false, {2, trigger}, std::move(actions), Date{1000});
        r.availability.startTime = NimbrelClockTime{9, 30};
        r.availability.endTime = NimbrelClockTime{17, 15};
        return r;
    }
    // The rule with every action id cleared: a save gives the actions it builds new ids.
    static NimbrelRule withoutActionIds(NimbrelRule r) {
        for (NimbrelRuleAction& a : r.actions)
            std::visit([](auto& payload) { payload.id = Uuid(); }, a.value);
        r.updatedAt = Date{};
        return r;
    }
    const NimbrelRuleAppTarget safari = app("Safari", "com.apple.Safari", "/Applications/Safari.app");
    const NimbrelRuleAppTarget finder = app("Finder", "com.apple.finder", "/System/Library/CoreServices/Finder.app");
    const NimbrelRuleAppTarget terminalApp =
        app("Terminal", "com.apple.Terminal", "/System/Applications/Utilities/Terminal.app");
    const NimbrelRuleAppTarget notes = app("Notes", "com.apple.Notes", "/System/Applications/Notes.app");
};

TEST_F(RuleEditorRoundTrip, ANewRuleStartsFromTheDefaults) {
    open();
    const RuleEditorState& s = editor->state();
    EXPECT_EQ(s.name, "");
    EXPECT_EQ(s.clickCount, 1);
    EXPECT_EQ(s.bundleIdentifier, "com.apple.finder");
    EXPECT_EQ(s.folder, FolderChoice::desktop);
    EXPECT_EQ(s.placement, P::front);
    EXPECT_EQ(s.displayTarget, D{});
    EXPECT_EQ(s.browserOpeningMode, M::newTab);
    EXPECT_TRUE(s.childActions.empty() && s.browserChildActions.empty());
    EXPECT_FALSE(s.scheduleEnabled);
    EXPECT_EQ(s.scheduleStartText, "9:00"); // en_US: a 12-hour clock
    EXPECT_EQ(s.scheduleEndText, "5:00");
    EXPECT_EQ(s.scheduleStartPeriod, TimePeriod::am);
    EXPECT_EQ(s.scheduleEndPeriod, TimePeriod::pm);
    EXPECT_EQ(s.selectedWeekdays, allWeekdays());
    ASSERT_EQ(s.terminalCommands.size(), 1u);
    EXPECT_EQ(s.terminalCommands[0].command, "");
    EXPECT_TRUE(s.terminalStopOnFirstFailure);
    EXPECT_EQ(editor->subtitle(), "Name your rule and build an automation.");

    const NimbrelRule made = saveNow();
    EXPECT_EQ(made.name, "Rule 1");
    EXPECT_EQ(made.trigger.app, finder);
    ASSERT_EQ(made.actions.size(), 1u);
    EXPECT_EQ(made.actions[0].as<OpenFolderRuleAction>()->folder, (NimbrelFolderTarget{"Desktop", "~/Desktop"}));
    EXPECT_EQ(made.availability.startTime, (NimbrelClockTime{9, 0}));
    EXPECT_EQ(made.availability.endTime, (NimbrelClockTime{17, 0}));
    EXPECT_EQ(made.createdAt, env.scheduler.now());
}

TEST_F(RuleEditorRoundTrip, EveryKindOfStoredRuleSavesBackAsItWas) {
    OpenBrowserWebsiteRuleAction left{Uuid(),       safari,      "news.example.com",
                                      M::newWindow, P::leftHalf, D{D::Kind::external, 0}};
    OpenBrowserWebsiteRuleAction tab{Uuid(), safari, " mail.example.com", M::newTab, P::front, D{}};
    NimbrelRule browser = rule(
        "Browser", safari, {NimbrelRuleAction::openBrowserWebsite(left), NimbrelRuleAction::openBrowserWebsite(tab)});
    browser.availability.mode = NimbrelRuleAvailabilityMode::scheduled;
    browser.availability.activeDays = workWeekdays();
    browser.isPinned = true;
    browser.pausedUntil = Date{5000};

    NimbrelRule folders =
        rule("Folders", finder,
             {NimbrelRuleAction::openFolder({Uuid(), {"Downloads", "~/Downloads"}, P::rightHalf, D{}}),
              NimbrelRuleAction::openFolder(
                  {Uuid(), {"Projects", "/Users/anna/Projects"}, P::topLeft, D{D::Kind::main, std::nullopt}})});
    folders.availability.startTime.reset(); // all day
    folders.availability.endTime.reset();

    TerminalScriptRuleAction script{
        Uuid(), terminalApp, {{Uuid::random(), "cd ~/src"}, {Uuid::random(), "make"}}, false};
    const ArrangeWindowsRuleAction arrange{Uuid::random(), NimbrelWindowLayout::sideBySide, {}};
    const SystemBehaviorRuleAction behaviour{Uuid::random(), NimbrelSystemBehavior::hideApp};
    NimbrelRule terminal =
        rule("Terminal", terminalApp,
             {NimbrelRuleAction::runTerminalScript(script), NimbrelRuleAction::arrangeWindows(arrange),
              NimbrelRuleAction::runSystemBehavior(behaviour)});
    terminal.isEnabled = false;

    const NimbrelRuleAppTarget mail = app("Mail", "com.apple.mail", "/System/Applications/Mail.app");
    NimbrelRule universal = rule(
        "Universal", notes, {NimbrelRuleAction::openApp({Uuid(), mail, P::rightHalf, D{D::Kind::main, std::nullopt}})});
    universal.availability.mode = NimbrelRuleAvailabilityMode::scheduled;
    universal.availability.activeDays = {}; // no days

    const NimbrelRuleAppTarget legacy{"Legacy Tool", std::nullopt, "/Applications/Legacy.app"};
    NimbrelRule pathOnly = rule("Path only", legacy, {NimbrelRuleAction::openApp({Uuid(), legacy, P::front, D{}})});
    const NimbrelRuleAppTarget figma = app("Figma", "com.figma.Desktop", "/Applications/Figma.app");
    NimbrelRule missing = rule("Missing", figma, {NimbrelRuleAction::openApp({Uuid(), figma, P::fullSize, D{}})});

    for (const NimbrelRule& stored : {browser, folders, terminal, universal, pathOnly, missing}) {
        SCOPED_TRACE(stored.name.toStdString());
        open(stored, stored.name);
        const NimbrelRule back = saveNow();
        EXPECT_EQ(withoutActionIds(back), withoutActionIds(stored));
        EXPECT_EQ(back.updatedAt, env.scheduler.now());
    }
    // Actions the editor builds get new ids on every save; the rule keeps its id and creation.
    open(browser, browser.name);
    const NimbrelRule first = saveNow();
    const NimbrelRule second = saveNow();
    EXPECT_NE(first.actions[0].id(), second.actions[0].id());
    EXPECT_NE(first.actions[1].id(), second.actions[1].id());
    EXPECT_EQ(second.id, browser.id);
    EXPECT_EQ(second.createdAt, browser.createdAt);

    // Actions the editor does not edit keep even their ids.
    open(terminal, terminal.name);
    const NimbrelRule back = saveNow();
    EXPECT_EQ(back.actions[1], NimbrelRuleAction::arrangeWindows(arrange));
    EXPECT_EQ(back.actions[2], NimbrelRuleAction::runSystemBehavior(behaviour));
    EXPECT_EQ(back.actions[0].as<TerminalScriptRuleAction>()->commands, script.commands);
}

TEST_F(RuleEditorRoundTrip, AMissingAppStaysItselfAndNoAppSavesNothing) {
    const NimbrelRuleAppTarget figma = app("Figma", " com.figma.Desktop ", "/Applications/Figma.app");
    open(rule("Design", figma, {}));
    EXPECT_EQ(editor->chosenAppName(), "Figma");
    EXPECT_EQ(editor->selectedApp(), app("Figma", "com.figma.Desktop", "/Applications/Figma.app"));
    EXPECT_EQ(editor->actionBlockName(), "universal"); // not Finder's folders

    open(rule("Web", app("Safari", " com.apple.Safari\n"), {}));
    EXPECT_EQ(picker().rows()[0].toMap()["bundleIdentifier"], "com.apple.Safari");
    EXPECT_EQ(picker().rows()[0].toMap()["isSelected"], true);

    open(rule("Legacy", {"Legacy Tool", std::nullopt, "/Applications/Legacy.app"}, {}));
    EXPECT_EQ(editor->chosenAppName(), "Legacy Tool");
    picker().removeSelectedApp(QString());
    EXPECT_EQ(editor->chosenAppName(), "No App Selected");
    EXPECT_EQ(editor->chosenAppSubtitle(), "Choose an app to trigger this rule");
    EXPECT_EQ(editor->capabilityHintText(), "This app supports window placement rules.");
    editor->save();
    EXPECT_TRUE(saved.empty());

    picker().selectApp("com.apple.Safari");
    EXPECT_FALSE(editor->isShowingAppPicker());
    EXPECT_EQ(saveNow().trigger.app, safari);
}

TEST_F(RuleEditorRoundTrip, SavingConvertsWhatWasTyped) {
    TerminalScriptRuleAction script{
        Uuid(), terminalApp, {{Uuid::random(), " "}, {Uuid::random(), " ls -la "}, {Uuid::random(), ""}}, true};
    NimbrelRule stored = rule("T", terminalApp, {NimbrelRuleAction::runTerminalScript(script)});
    open(stored);
    editor->setName("   ");
    schedule().setStartText("25:00"); // not a time: 9:00
    schedule().setEndText("6.45");
    schedule().setEndPeriod("pm");
    for (int day = 0; day < 7; ++day)
        schedule().toggleWeekday(day); // every day off
    NimbrelRule back = saveNow();
    EXPECT_EQ(back.name, "Rule 1");
    EXPECT_EQ(back.availability.startTime, (NimbrelClockTime{9, 0}));
    EXPECT_EQ(back.availability.endTime, (NimbrelClockTime{18, 45}));
    EXPECT_EQ(back.availability.activeDays, allWeekdays());
    const auto* saved = back.actions[0].as<TerminalScriptRuleAction>();
    ASSERT_EQ(saved->commands.size(), 1u);
    EXPECT_EQ(saved->commands[0], script.commands[1]); // its own id and untrimmed text

    terminal().setCommandText(script.commands[1].id.toString(), "  ");
    back = saveNow();
    ASSERT_EQ(back.actions[0].as<TerminalScriptRuleAction>()->commands.size(), 1u);
    EXPECT_EQ(back.actions[0].as<TerminalScriptRuleAction>()->commands[0].command, "");
}

TEST_F(RuleEditorRoundTrip, AScheduleSwitchedOnSavesTheWindowAndDaysTheFieldsShow) {
    NimbrelRule stored = rule("Always", notes, {});
    stored.availability.startTime.reset();
    stored.availability.endTime.reset();
    stored.availability.activeDays = {};
    for (const bool switchOn : {false, true}) {
        SCOPED_TRACE(switchOn);
        open(stored);
        if (switchOn) schedule().toggleSchedule();
        const NimbrelRuleAvailability back = saveNow().availability;
        EXPECT_EQ(back.mode, switchOn ? NimbrelRuleAvailabilityMode::scheduled : NimbrelRuleAvailabilityMode::always);
        EXPECT_EQ(back.startTime, switchOn ? std::optional(NimbrelClockTime{9, 0}) : std::nullopt);
        EXPECT_EQ(back.endTime, switchOn ? std::optional(NimbrelClockTime{17, 0}) : std::nullopt);
        EXPECT_EQ(back.activeDays, switchOn ? allWeekdays() : NimbrelWeekdaySet{});
    }
}

TEST_F(RuleEditorRoundTrip, AnotherTriggerAppDropsWhatItCannotDoButKeepsArrangements) {
    const ArrangeWindowsRuleAction arrange{Uuid::random(), NimbrelWindowLayout::dividedInFour, {}};
    OpenFolderRuleAction folder{Uuid(), {"Documents", "~/Documents"}, P::leftHalf, D{}};
    OpenBrowserWebsiteRuleAction site{Uuid(), safari, "example.com", M::newTab, P::front, D{}};
    NimbrelRule stored = rule("Mixed", finder,
                              {NimbrelRuleAction::openBrowserWebsite(site), NimbrelRuleAction::openFolder(folder),
                               NimbrelRuleAction::arrangeWindows(arrange)});
    open(stored);
    NimbrelRule back = saveNow(); // same app: the website Finder cannot open is kept as it was
    ASSERT_EQ(back.actions.size(), 3u);
    EXPECT_TRUE(back.actions[0].as<OpenFolderRuleAction>());
    EXPECT_EQ(back.actions[1], NimbrelRuleAction::openBrowserWebsite(site));
    EXPECT_EQ(back.actions[2], NimbrelRuleAction::arrangeWindows(arrange));

    picker().selectApp("com.apple.Notes");
    back = saveNow();
    ASSERT_EQ(back.actions.size(), 2u);
    EXPECT_EQ(back.actions[0].as<OpenAppRuleAction>()->app, notes);
    EXPECT_EQ(back.actions[0].as<OpenAppRuleAction>()->placement, P::leftHalf);
    EXPECT_EQ(back.actions[1], NimbrelRuleAction::arrangeWindows(arrange));
}

} // namespace
} // namespace nimbrel
