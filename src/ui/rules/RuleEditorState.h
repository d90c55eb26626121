#pragma once

#include "model/AppCapabilities.h"
#include "model/Rule.h"
#include "ui/common/ClockFieldText.h"
#include "ui/common/InstalledAppsCatalogue.h"
#include "ui/rules/FolderChoice.h"

#include <optional>
#include <vector>

namespace nimbrel {

// A further folder action of a Finder rule, as one row of the editor.
struct RuleEditorChildAction {
    Uuid id = Uuid::random();
    FolderChoice folder = FolderChoice::downloads;
    std::optional<NimbrelFolderTarget> customFolderTarget;
    NimbrelWindowPlacement placement = NimbrelWindowPlacement::rightHalf;
    NimbrelDisplayTarget displayTarget;

    friend bool operator==(const RuleEditorChildAction&, const RuleEditorChildAction&) = default;
};

// A further website of a browser rule, as one row of the editor.
struct RuleEditorBrowserChildAction {
    Uuid id = Uuid::random();
    QString urlString;
    NimbrelBrowserOpeningMode openingMode = NimbrelBrowserOpeningMode::newTab;
    NimbrelWindowPlacement placement = NimbrelWindowPlacement::front;
    NimbrelDisplayTarget displayTarget;

    friend bool operator==(const RuleEditorBrowserChildAction&, const RuleEditorBrowserChildAction&) = default;
};

// Everything the rule editor edits, from its opening to its save. Starts as a new rule's.
struct RuleEditorState {
    QString name;
    std::int64_t clickCount = 1;
    QString bundleIdentifier = kFinderBundleIdentifier; // empty: no app chosen
    FolderChoice folder = FolderChoice::desktop;
    std::optional<NimbrelFolderTarget> customFolderTarget;
    NimbrelWindowPlacement placement = NimbrelWindowPlacement::front;
    NimbrelDisplayTarget displayTarget;
    QString browserURLText;
    NimbrelBrowserOpeningMode browserOpeningMode = NimbrelBrowserOpeningMode::newTab;
    std::vector<RuleEditorBrowserChildAction> browserChildActions;
    std::vector<RuleEditorChildAction> childActions;
    bool scheduleEnabled = false;
    QString scheduleStartText;
    QString scheduleEndText;
    TimePeriod scheduleStartPeriod = TimePeriod::am;
    TimePeriod scheduleEndPeriod = TimePeriod::pm;
    NimbrelWeekdaySet selectedWeekdays = allWeekdays();
    std::vector<TerminalScriptCommand> terminalCommands{TerminalScriptCommand{}};
    bool terminalStopOnFirstFailure = true;
    bool isShowingAppPicker = false;
    QString appPickerSearchText;

    // What the editor keeps of the rule it opened, so that a save changes only what was edited:
    // the stored trigger app until another one is picked (shown also when the catalogue does
    // not list it), the open-app action's own app when it is not the trigger, and whether the
    // time window and the days were touched.
    std::optional<NimbrelRuleAppTarget> storedTrigger;
    std::optional<NimbrelRuleAppTarget> openAppTarget;
    bool timeWindowEdited = false;
    bool weekdaysEdited = false;
};

// The state a rule opens with (a new rule's for none). Time texts follow the locale's clock.
RuleEditorState loadEditorState(const std::optional<NimbrelRule>& rule);

// The block of actions the chosen app offers, by its capabilities in the order finder, browser,
// terminal script, else window placement only.
enum class RuleActionBlock { finder, browser, terminal, universal };
RuleActionBlock actionBlock(const NimbrelRuleAppTarget& app);
QString capabilityHint(RuleActionBlock block);
QString capabilityHintSymbol(RuleActionBlock block);

using CatalogueApps = std::vector<NimbrelInstalledApps::InstalledApp>;

// The chosen trigger app. A bundle identifier (trimmed) that the catalogue lists names its app;
// one it does not list keeps the stored trigger's name and path, or reads as itself ("Finder"
// for Finder's). A stored trigger without an identifier stays chosen until another app is
// picked. Otherwise no app is chosen: "No App Selected".
NimbrelRuleAppTarget selectedAppTarget(const RuleEditorState& state, const CatalogueApps& apps);
bool isAppChosen(const RuleEditorState& state);
inline const QString kNoAppSelected = QStringLiteral("No App Selected");

// What a save needs besides the state.
struct RuleSaveContext {
    std::optional<NimbrelRule> rule; // the rule edited; none for a new one
    QString defaultName;
    CatalogueApps apps;
    Date now;
};

// The finished rule, or none when no app is chosen.
std::optional<NimbrelRule> buildRule(const RuleEditorState& state, const RuleSaveContext& context);
// The actions of the block the app offers, each with a new id (terminal commands keep theirs),
// followed by the stored actions the editor does not edit, unchanged and in stored order:
// arrangements and system behaviours always, the rest while the trigger app is unchanged.
std::vector<NimbrelRuleAction> buildActions(const RuleEditorState& state, const NimbrelFolderTarget& mainFolder,
                                            const NimbrelRuleAppTarget& app, const std::optional<NimbrelRule>& rule);

} // namespace nimbrel
