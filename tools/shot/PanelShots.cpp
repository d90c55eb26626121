// The panel's screens in the states a person reaches them, drawn at the panel's size: what was
// clicked or chosen to get there is done here, through the screens' view models or, for what
// only the view holds (an open menu), by clicking its items.
#include "ShotSupport.h"
#include "Shots.h"

#include "app/PanelRootViewModel.h"
#include "app/ScreenPreview.h"
#include "model/RulesStore.h"
#include "platform/Calendar.h"
#include "sessions/SessionsStore.h"
#include "ui/rules/AppPickerViewModel.h"
#include "ui/rules/RuleActionsViewModel.h"
#include "ui/rules/RuleEditorViewModel.h"
#include "ui/rules/RulePauseOption.h"
#include "ui/rules/RulesViewModel.h"
#include "ui/screens/ActivityViewModel.h"
#include "ui/screens/BlacklistViewModel.h"

#include <QQuickItem>

#include <cstdio>

namespace nimbrel {

namespace {

// The panel on screen in a picture, and what a step may reach in it.
struct PanelScene {
    ScreenPreview& preview;
    QQuickItem* panel;

    QObject* screenModel() const {
        auto* root = qobject_cast<PanelRootViewModel*>(preview.shell().panelContent());
        return root ? root->screenModel() : nullptr;
    }
    template <typename Model> Model* model() const { return qobject_cast<Model*>(screenModel()); }
};

// One thing a person does; false when it could not be done.
using Step = std::function<bool(PanelScene&)>;

std::optional<NimbrelRule> previewRuleFor(const QString& appName) {
    for (const NimbrelRule& rule : NimbrelRulesStore::shared().rules().get())
        if (rule.trigger.app.displayName == appName) return rule;
    return std::nullopt;
}

Step editRule(const QString& appName) {
    return [appName](PanelScene& scene) {
        auto* rules = scene.model<RulesViewModel>();
        const std::optional<NimbrelRule> rule = previewRuleFor(appName);
        if (!rules || !rule) return false;
        rules->editRule(rule->id.toString());
        return true;
    };
}

Step scrollTo(const QString& flickable, const QString& section) {
    return [=](PanelScene& scene) { return scrollToItem(scene.panel, flickable, section); };
}

// Clicks the item reached by following `names` down from the panel, each inside the one before.
Step click(const QStringList& names) {
    return [names](PanelScene& scene) {
        QQuickItem* item = scene.panel;
        for (const QString& name : names)
            item = findItem(item, name);
        return clickItem(item);
    };
}

Step openAppPicker() {
    return [](PanelScene& scene) {
        auto* rules = scene.model<RulesViewModel>();
        if (!rules || !rules->editorModel()) return false;
        rules->editorModel()->openAppPicker();
        return true;
    };
}

Step customPause(const QString& appName) {
    return [appName](PanelScene& scene) {
        auto* rules = scene.model<RulesViewModel>();
        const std::optional<NimbrelRule> rule = previewRuleFor(appName);
        if (!rules || !rule) return false;
        rules->pauseRule(rule->id.toString(), rulePause::rawValue(RulePauseOption::custom));
        return true;
    };
}

// A new rule made in the editor: its name, then the app picker opened.
Step startNewRule(const QString& name) {
    return [name](PanelScene& scene) {
        auto* rules = scene.model<RulesViewModel>();
        if (!rules) return false;
        rules->createRule();
        if (!rules->editorModel()) return false;
        rules->editorModel()->setName(name);
        rules->editorModel()->openAppPicker();
        return true;
    };
}

// Safari picked, two websites opened in new windows on the screen's halves, and "Save Rule".
Step saveSafariRule() {
    return [](PanelScene& scene) {
        auto* rules = scene.model<RulesViewModel>();
        RuleEditorViewModel* editor = rules ? rules->editorModel() : nullptr;
        auto* picker = editor ? qobject_cast<AppPickerViewModel*>(editor->picker()) : nullptr;
        auto* actions = editor ? qobject_cast<RuleActionsViewModel*>(editor->actions()) : nullptr;
        if (!picker || !actions) return false;
        picker->selectApp(QStringLiteral("com.apple.Safari"));
        actions->setWebsiteText({}, QStringLiteral("reader.example.com"));
        actions->addBrowserChildAction();
        if (actions->websiteRows().empty()) return false;
        const QString child = actions->websiteRows().front().value(QStringLiteral("id")).toString();
        actions->setWebsiteText(child, QStringLiteral("notes.example.com"));
        for (const QString& row : {QString(), child})
            actions->chooseOpeningMode(row, 1); // "New Window"
        actions->choosePlacement({}, 3);        // "Left Half"
        actions->choosePlacement(child, 4);     // "Right Half"
        editor->save();
        return true;
    };
}

Step searchBlacklist(const QString& text) {
    return [text](PanelScene& scene) {
        auto* blacklist = scene.model<BlacklistViewModel>();
        if (!blacklist) return false;
        blacklist->setSearchText(text);
        return true;
    };
}

// Selects the day nearest before today with (or without) entries.
Step selectEarlierDay(bool withEntries) {
    return [withEntries](PanelScene& scene) {
        auto* activity = scene.model<ActivityViewModel>();
        if (!activity) return false;
        const QVariantList days = activity->days();
        for (int i = activity->selectedIndex() - 1; i >= 0; --i)
            if ((days[i].toMap().value("count").toInt() > 0) == withEntries) {
                activity->selectDay(i);
                return true;
            }
        return false;
    };
}

Step pauseMenu(bool paused) {
    return [paused](PanelScene& scene) { return openPauseMenu(scene.preview.shell(), paused); };
}

// Removes every rule and session before the screens first show, for their empty states.
void removeRulesAndSessions(ScreenPreview& preview) {
    NimbrelRulesStore& rules = NimbrelRulesStore::shared();
    for (const NimbrelRule& rule : std::vector<NimbrelRule>(rules.rules().get()))
        rules.deleteRule(rule);
    NimbrelSessionsStore& sessions = preview.sessions()->store();
    for (const NimbrelSession& session : std::vector<NimbrelSession>(sessions.sessions().get()))
        sessions.deleteSession(session.id);
    preview.scheduler().runUntilIdle();
}

// The screen the panel shows, what is done in it, in which locale, and what changes in the
// preview's data before it first shows.
struct PanelState {
    PanelState(QString screen, std::vector<Step> steps = {}, QByteArray locale = "en_US",
               std::function<void(ScreenPreview&)> beforeShowing = {})
        : screen(std::move(screen)), steps(std::move(steps)), locale(std::move(locale)),
          beforeShowing(std::move(beforeShowing)) {}
    QString screen;
    std::vector<Step> steps;
    QByteArray locale;
    std::function<void(ScreenPreview&)> beforeShowing;
};

int shootPanel(const QString& name, const PanelState& state, const QString& out) {
    setCurrentLocaleName(state.locale);
    ScreenPreview preview(previewMac);
    if (state.beforeShowing) state.beforeShowing(preview);
    if (!preview.show(state.screen)) return 2;
    int failed = 0;
    const int taken = shootOverBackdrop(
        preview, preview.pictureSize().toSize(), QStringLiteral("NimbrelPanel { backdrop: wall }"), {}, out,
        [&](QQuickItem* panel) {
            for (int step = 0; preview.arrange(state.screen, panel, step); ++step)
                runFor(1200, &preview.scheduler());
            PanelScene scene{preview, panel};
            for (size_t i = 0; i < state.steps.size(); ++i) {
                if (!state.steps[i](scene)) {
                    std::fprintf(stderr, "nimbrel-shot: %s: step %zu could not be done\n", qPrintable(name), i + 1);
                    failed = 1;
                }
                runFor(800, &preview.scheduler());
            }
        });
    return taken != 0 ? taken : failed;
}

Shot panelShot(const QString& name, const QString& shows, PanelState state) {
    return {name, shows, [name, state = std::move(state)](const QString& out) { return shootPanel(name, state, out); }};
}

} // namespace

std::vector<Shot> panelShots() {
    std::vector<Shot> shots;
    const std::vector<std::pair<QString, QString>> screens = {
        {"onboarding", "the onboarding panel"},
        {"main", "the panel's main menu"},
        {"rules", "the rules screen: the list of rule cards (it scrolls) and the create button"},
        {"sessions", "the sessions screen: the pinned session active, the disabled one with an app this Mac lacks"},
        {"blacklist", "the blacklist screen: installed apps, two blacklisted, one blacklisted app not installed"},
        {"activity", "the activity screen on today"},
        {"settings", "the settings screen"},
    };
    for (const auto& [screen, shows] : screens)
        shots.push_back(panelShot(screen, shows, {screen, {}}));
    shots.push_back(panelShot("pause-menu", "the main menu with its pause menu open, above the pause button",
                              {"pause-menu", {pauseMenu(false)}}));
    shots.push_back(panelShot("paused-menu", "the pause menu while paused: taller, below the button and past the panel",
                              {"paused-menu", {pauseMenu(true)}}));

    const std::vector<std::pair<QString, QString>> sessionSections = {
        {"session-schedule", "the first session's editor at its schedule"},
        {"session-wallpaper", "the session editor at its wallpapers"},
        {"session-symbol", "the session editor at its menu bar symbol"},
        {"session-blocking", "the session editor at its whitelist and reminder"},
        {"session-dock", "the session editor at its Dock apps"},
        {"session-symbol-library", "the session editor's symbol library"},
        {"session-whitelist-library", "the session editor's whitelist library"},
    };
    for (const auto& [screen, shows] : sessionSections)
        shots.push_back(panelShot(screen, shows, {screen, {}}));
    shots.push_back(panelShot("session-schedule-24h", "the session editor's schedule in a 24-hour locale (en_GB)",
                              {"session-schedule", {}, "en_GB"}));

    const QString sections = QStringLiteral("editorSections");
    shots.push_back(panelShot("rule-editor", "the rule editor on the Safari rule, at its trigger",
                              {"rules", {editRule("Safari")}}));
    shots.push_back(panelShot("rule-editor-actions", "the rule editor on the Safari rule, at its websites",
                              {"rules", {editRule("Safari"), scrollTo(sections, "actionsCard")}}));
    shots.push_back(panelShot("rule-editor-folders", "the rule editor on the Finder rule, at its folders",
                              {"rules", {editRule("Finder"), scrollTo(sections, "actionsCard")}}));
    shots.push_back(panelShot("rule-editor-terminal", "the rule editor on the Terminal rule, at its commands",
                              {"rules", {editRule("Terminal"), scrollTo(sections, "actionsCard")}}));
    shots.push_back(panelShot("rule-editor-app",
                              "the rule editor on the rule whose app (Figma) is not installed, at its actions",
                              {"rules", {editRule("Figma"), scrollTo(sections, "actionsCard")}}));
    shots.push_back(panelShot("rule-editor-schedule", "the rule editor on the Safari rule, at its schedule",
                              {"rules", {editRule("Safari"), scrollTo(sections, "scheduleCard")}}));
    shots.push_back(panelShot("rule-editor-schedule-24h", "the same in a 24-hour locale (en_GB)",
                              {"rules", {editRule("Safari"), scrollTo(sections, "scheduleCard")}, "en_GB"}));
    shots.push_back(
        panelShot("app-picker", "the rule editor's app picker", {"rules", {editRule("Safari"), openAppPicker()}}));
    shots.push_back(panelShot(
        "choice-menu", "the Finder rule's \"Open\" menu open: the folders and \"Custom Folder…\"",
        {"rules", {editRule("Finder"), scrollTo(sections, "actionsCard"), click({"folderRow", "menuValue"})}}));
    shots.push_back(panelShot("placement-menu", "the Finder rule's placement menu open",
                              {"rules",
                               {editRule("Finder"), scrollTo(sections, "actionsCard"),
                                click({"actionsCard", "placementRow", "menuValue"})}}));
    shots.push_back(panelShot("rule-pause-menu", "the rules screen with the Finder rule's pause menu open",
                              {"rules", {click({"ruleCard_0", "stateButton"})}}));
    shots.push_back(panelShot("custom-pause", "the rules screen with the custom pause sheet of the Finder rule",
                              {"rules", {customPause("Finder")}}));
    shots.push_back(panelShot("rules-after-save",
                              "the rules screen right after a save: a new Safari rule, whose sentence wraps, sorts "
                              "just below the pinned rule and the cards after it make room",
                              {"rules", {startNewRule("Afternoon Reading"), saveSafariRule()}}));
    shots.push_back(panelShot("rules-after-save-scrolled", "the same, scrolled to the new rule and the card after it",
                              {"rules",
                               {startNewRule("Afternoon Reading"), saveSafariRule(), scrollTo("ruleCards", "ruleCard_1")}}));
    shots.push_back(
        panelShot("rules-empty", "the rules screen without rules", {"rules", {}, "en_US", removeRulesAndSessions}));
    shots.push_back(panelShot("sessions-empty", "the sessions screen without sessions",
                              {"sessions", {}, "en_US", removeRulesAndSessions}));
    shots.push_back(panelShot("blacklist-empty", "the blacklist screen when the search finds no app (\"zzz\")",
                              {"blacklist", {searchBlacklist("zzz")}}));
    shots.push_back(panelShot("activity-earlier-day", "the activity screen on an earlier day with entries",
                              {"activity", {selectEarlierDay(true)}}));
    shots.push_back(panelShot("activity-empty", "the activity screen on a day without entries",
                              {"activity", {selectEarlierDay(false)}}));
    shots.push_back(
        panelShot("activity-24h", "the activity screen in a 24-hour locale (en_GB)", {"activity", {}, "en_GB"}));
    return shots;
}

} // namespace nimbrel
