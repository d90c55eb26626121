#include "ui/rules/RuleEditorState.h"

#include "model/AppCapabilities.h"

namespace nimbrel {

namespace {

NimbrelDisplayTarget automatic() {
    return NimbrelDisplayTarget{};
}

template <typename T> const T* firstAction(const NimbrelRule& rule) {
    for (const NimbrelRuleAction& action : rule.actions)
        if (const T* found = action.as<T>()) return found;
    return nullptr;
}

QString clockTextOf(const std::optional<NimbrelClockTime>& time, int fallbackHour) {
    if (!time) return clockFieldText(fallbackHour, 0);
    return clockFieldText(int(time->hour), int(time->minute));
}

std::optional<QString> trimmedIdentifier(const std::optional<QString>& identifier) {
    if (!identifier) return std::nullopt;
    const QString trimmed = identifier->trimmed();
    return trimmed.isEmpty() ? std::nullopt : std::optional(trimmed);
}

RuleEditorChildAction childFrom(const OpenFolderRuleAction& action) {
    const FolderChoice choice = folderChoice::fromFolderTarget(action.folder);
    return {Uuid::random(), choice, choice == FolderChoice::custom ? std::optional(action.folder) : std::nullopt,
            action.placement, action.displayTarget.value_or(automatic())};
}

RuleEditorBrowserChildAction browserChildFrom(const OpenBrowserWebsiteRuleAction& action) {
    return {Uuid::random(), action.urlString, action.openingMode, action.placement,
            action.displayTarget.value_or(automatic())};
}

OpenBrowserWebsiteRuleAction website(const NimbrelRuleAppTarget& browser, const QString& url,
                                     NimbrelBrowserOpeningMode mode, NimbrelWindowPlacement placement,
                                     const NimbrelDisplayTarget& display) {
    OpenBrowserWebsiteRuleAction action;
    action.browser = browser;
    action.urlString = url; // as typed
    action.openingMode = mode;
    // A new tab never moves a window.
    const bool window = mode == NimbrelBrowserOpeningMode::newWindow;
    action.placement = window ? placement : NimbrelWindowPlacement::front;
    action.displayTarget = window ? display : automatic();
    return action;
}

// Whether the trigger app is still the one the edited rule had.
bool triggerUnchanged(const RuleEditorState& state, const NimbrelRuleAppTarget& app, const NimbrelRule& rule) {
    return state.storedTrigger.has_value() ||
           (app.bundleIdentifier && trimmedIdentifier(rule.trigger.app.bundleIdentifier) == app.bundleIdentifier);
}

// The stored actions a save keeps: those the block does not edit.
std::vector<NimbrelRuleAction> keptActions(const NimbrelRule& rule, RuleActionBlock block, bool sameTrigger) {
    std::vector<NimbrelRuleAction> kept;
    bool terminalEdited = false;
    bool openAppEdited = false;
    for (const NimbrelRuleAction& action : rule.actions) {
        if (action.as<ArrangeWindowsRuleAction>() || action.as<SystemBehaviorRuleAction>()) {
            kept.push_back(action);
            continue;
        }
        if (!sameTrigger) continue;
        bool edited = false;
        if (action.as<OpenFolderRuleAction>()) edited = block == RuleActionBlock::finder;
        if (action.as<OpenBrowserWebsiteRuleAction>()) edited = block == RuleActionBlock::browser;
        if (action.as<TerminalScriptRuleAction>() && block == RuleActionBlock::terminal && !terminalEdited)
            edited = terminalEdited = true;
        if (action.as<OpenAppRuleAction>() && block == RuleActionBlock::universal && !openAppEdited)
            edited = openAppEdited = true;
        if (!edited) kept.push_back(action);
    }
    return kept;
}

} // namespace

RuleEditorState loadEditorState(const std::optional<NimbrelRule>& rule) {
    RuleEditorState state;
    const NimbrelRuleAvailability availability =
        rule ? rule->availability : NimbrelRuleAvailability::defaultAvailability();
    state.scheduleEnabled = availability.mode == NimbrelRuleAvailabilityMode::scheduled;
    state.scheduleStartText = clockTextOf(availability.startTime, 9);
    state.scheduleEndText = clockTextOf(availability.endTime, 17);
    state.scheduleStartPeriod = periodOfHour(availability.startTime ? availability.startTime->hour : 9);
    state.scheduleEndPeriod = periodOfHour(availability.endTime ? availability.endTime->hour : 17);
    state.selectedWeekdays = availability.activeDays.empty() ? allWeekdays() : availability.activeDays;
    if (!rule) return state;

    state.name = rule->name;
    state.clickCount = rule->trigger.clickCount;
    // A trigger without an identifier is not Finder: it stays the stored app. The identifier is
    // trimmed as a save would, so the picker marks the app the button shows.
    state.bundleIdentifier = rule->trigger.app.bundleIdentifier.value_or(QString()).trimmed();
    state.storedTrigger = rule->trigger.app;

    const auto* folder = firstAction<OpenFolderRuleAction>(*rule);
    const auto* site = firstAction<OpenBrowserWebsiteRuleAction>(*rule);
    const auto* app = firstAction<OpenAppRuleAction>(*rule);
    const auto* terminal = firstAction<TerminalScriptRuleAction>(*rule);
    if (folder) {
        state.folder = folderChoice::fromFolderTarget(folder->folder);
        if (state.folder == FolderChoice::custom) state.customFolderTarget = folder->folder;
    }
    state.placement = folder ? folder->placement : site ? site->placement : app ? app->placement : state.placement;
    if (folder && folder->displayTarget)
        state.displayTarget = *folder->displayTarget;
    else if (site && site->displayTarget)
        state.displayTarget = *site->displayTarget;
    else if (app && app->displayTarget)
        state.displayTarget = *app->displayTarget;
    if (site) {
        state.browserURLText = site->urlString;
        state.browserOpeningMode = site->openingMode;
    }
    if (app && app->app != rule->trigger.app) state.openAppTarget = app->app;
    if (terminal) {
        state.terminalCommands = terminal->commands;
        state.terminalStopOnFirstFailure = terminal->stopOnFirstFailure;
    }
    bool firstFolder = true;
    bool firstSite = true;
    for (const NimbrelRuleAction& action : rule->actions) {
        if (const auto* f = action.as<OpenFolderRuleAction>()) {
            if (!firstFolder) state.childActions.push_back(childFrom(*f));
            firstFolder = false;
        } else if (const auto* w = action.as<OpenBrowserWebsiteRuleAction>()) {
            if (!firstSite) state.browserChildActions.push_back(browserChildFrom(*w));
            firstSite = false;
        }
    }
    return state;
}

RuleActionBlock actionBlock(const NimbrelRuleAppTarget& app) {
    const NimbrelRuleAppCapabilities capabilities(app);
    if (capabilities.contains(NimbrelRuleAppCapability::finder)) return RuleActionBlock::finder;
    if (capabilities.contains(NimbrelRuleAppCapability::browser)) return RuleActionBlock::browser;
    if (capabilities.contains(NimbrelRuleAppCapability::terminalScript)) return RuleActionBlock::terminal;
    return RuleActionBlock::universal;
}

QString capabilityHint(RuleActionBlock block) {
    switch (block) {
    case RuleActionBlock::finder:
        return QStringLiteral("Finder rules can open folders and place windows.");
    case RuleActionBlock::browser:
        return QStringLiteral("Browser rules can open websites and place windows.");
    case RuleActionBlock::terminal:
        return QStringLiteral("Terminal rules run a sequence of shell commands.");
    case RuleActionBlock::universal:
        break;
    }
    return QStringLiteral("This app supports window placement rules.");
}

QString capabilityHintSymbol(RuleActionBlock block) {
    switch (block) {
    case RuleActionBlock::finder:
        return QStringLiteral("folder");
    case RuleActionBlock::browser:
        return QStringLiteral("globe");
    case RuleActionBlock::terminal:
        return QStringLiteral("terminal.fill");
    case RuleActionBlock::universal:
        break;
    }
    return QStringLiteral("rectangle.3.group");
}

bool isAppChosen(const RuleEditorState& state) {
    if (!state.bundleIdentifier.trimmed().isEmpty()) return true;
    return state.storedTrigger && !trimmedIdentifier(state.storedTrigger->bundleIdentifier);
}

NimbrelRuleAppTarget selectedAppTarget(const RuleEditorState& state, const CatalogueApps& apps) {
    const QString trimmed = state.bundleIdentifier.trimmed();
    if (trimmed.isEmpty()) {
        if (isAppChosen(state)) return *state.storedTrigger;
        return {kNoAppSelected, std::nullopt, std::nullopt};
    }
    for (const NimbrelInstalledApps::InstalledApp& entry : apps)
        if (entry.bundleIdentifier == trimmed) return {entry.displayName, trimmed, entry.path};
    if (state.storedTrigger && trimmedIdentifier(state.storedTrigger->bundleIdentifier) == trimmed)
        return {state.storedTrigger->displayName, trimmed, state.storedTrigger->path};
    if (trimmed == kFinderBundleIdentifier) return {kFinderDisplayName, trimmed, std::nullopt};
    return {trimmed, trimmed, std::nullopt};
}

std::vector<NimbrelRuleAction> buildActions(const RuleEditorState& state, const NimbrelFolderTarget& mainFolder,
                                            const NimbrelRuleAppTarget& app, const std::optional<NimbrelRule>& rule) {
    std::vector<NimbrelRuleAction> actions;
    const RuleActionBlock block = actionBlock(app);
    switch (block) {
    case RuleActionBlock::finder: {
        actions.push_back(
            NimbrelRuleAction::openFolder({Uuid::random(), mainFolder, state.placement, state.displayTarget}));
        for (const RuleEditorChildAction& row : state.childActions)
            actions.push_back(NimbrelRuleAction::openFolder(
                {Uuid::random(), folderChoice::folderTarget(row.folder, row.customFolderTarget), row.placement,
                 row.displayTarget}));
        break;
    }
    case RuleActionBlock::browser:
        actions.push_back(NimbrelRuleAction::openBrowserWebsite(
            website(app, state.browserURLText, state.browserOpeningMode, state.placement, state.displayTarget)));
        for (const RuleEditorBrowserChildAction& row : state.browserChildActions)
            actions.push_back(NimbrelRuleAction::openBrowserWebsite(
                website(app, row.urlString, row.openingMode, row.placement, row.displayTarget)));
        break;
    case RuleActionBlock::terminal: {
        TerminalScriptRuleAction script;
        script.terminalApp = app;
        for (const TerminalScriptCommand& command : state.terminalCommands)
            if (!command.command.trimmed().isEmpty()) script.commands.push_back(command);
        if (script.commands.empty()) script.commands.push_back(TerminalScriptCommand{});
        script.stopOnFirstFailure = state.terminalStopOnFirstFailure;
        actions.push_back(NimbrelRuleAction::runTerminalScript(script));
        break;
    }
    case RuleActionBlock::universal:
        actions.push_back(NimbrelRuleAction::openApp(
            {Uuid::random(), state.openAppTarget.value_or(app), state.placement, state.displayTarget}));
        break;
    }
    if (rule)
        for (NimbrelRuleAction& kept : keptActions(*rule, block, triggerUnchanged(state, app, *rule)))
            actions.push_back(std::move(kept));
    return actions;
}

std::optional<NimbrelRule> buildRule(const RuleEditorState& state, const RuleSaveContext& context) {
    if (!isAppChosen(state)) return std::nullopt; // nothing to save, nothing to say
    const NimbrelRuleAppTarget app = selectedAppTarget(state, context.apps);
    const std::optional<NimbrelRule>& edited = context.rule;

    NimbrelRuleAvailability availability;
    availability.mode =
        state.scheduleEnabled ? NimbrelRuleAvailabilityMode::scheduled : NimbrelRuleAvailabilityMode::always;
    // A schedule switched on here has no stored window or days to keep: it takes what the
    // fields show.
    const bool newlyScheduled =
        edited && state.scheduleEnabled && edited->availability.mode != NimbrelRuleAvailabilityMode::scheduled;
    if (edited && !state.timeWindowEdited && !newlyScheduled) {
        // Untouched times stay as stored, an all-day window too.
        availability.startTime = edited->availability.startTime;
        availability.endTime = edited->availability.endTime;
    } else {
        auto read = [](const QString& text, TimePeriod period, int fallbackHour) {
            const std::optional<ClockFieldTime> time = parseClockFieldText(text, period);
            return time ? NimbrelClockTime{time->hour, time->minute} : NimbrelClockTime{fallbackHour, 0};
        };
        availability.startTime = read(state.scheduleStartText, state.scheduleStartPeriod, 9);
        availability.endTime = read(state.scheduleEndText, state.scheduleEndPeriod, 17);
    }
    if (edited && !state.weekdaysEdited && !newlyScheduled)
        availability.activeDays = edited->availability.activeDays;
    else
        availability.activeDays = state.selectedWeekdays.empty() ? allWeekdays() : state.selectedWeekdays;

    NimbrelRule rule;
    rule.id = edited ? edited->id : Uuid::random();
    const QString name = state.name.trimmed();
    rule.name = name.isEmpty() ? context.defaultName : name;
    rule.isEnabled = edited ? edited->isEnabled : true;
    rule.isPinned = edited ? edited->isPinned : false;
    rule.pausedUntil = edited ? edited->pausedUntil : std::nullopt;
    rule.trigger = {state.clickCount, app};
    rule.availability = availability;
    rule.actions = buildActions(state, folderChoice::folderTarget(state.folder, state.customFolderTarget), app, edited);
    rule.createdAt = edited ? edited->createdAt : context.now;
    rule.updatedAt = context.now;
    return rule;
}

} // namespace nimbrel
