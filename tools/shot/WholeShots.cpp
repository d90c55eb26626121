// A screen's whole scrolling content in one picture: the screen's view on the panel's card, 360
// points wide, grown until nothing in it scrolls.
#include "ShotSupport.h"
#include "Shots.h"

#include "app/ScreenModels.h"
#include "app/ScreenPreview.h"
#include "model/RulesStore.h"
#include "platform/Calendar.h"
#include "ui/rules/RulesViewModel.h"
#include "ui/sessions/SessionsViewModel.h"

#include <QQuickItem>
#include <QQuickWindow>

namespace nimbrel {

namespace {

struct WholeScreen {
    QString view; // the QML type of the screen
    NimbrelPanelScreen screen;
    // What was opened in it: the rule editor on the rule for this app, or the first session's editor.
    QString ruleApp;
    bool sessionEditor = false;
};

int shootWhole(const WholeScreen& whole, const QString& out) {
    setCurrentLocaleName("en_US");
    ScreenPreview preview(previewMac);
    std::unique_ptr<QObject> model = whole.screen == NimbrelPanelScreen::Sessions
                                         ? std::unique_ptr<QObject>(preview.sessions()->makeViewModel())
                                         : makeScreenModel(whole.screen, Platform::current());
    if (auto* rules = qobject_cast<RulesViewModel*>(model.get()); rules && !whole.ruleApp.isEmpty())
        for (const NimbrelRule& rule : NimbrelRulesStore::shared().rules().get())
            if (rule.trigger.app.displayName == whole.ruleApp) rules->editRule(rule.id.toString());
    if (auto* sessions = qobject_cast<SessionsViewModel*>(model.get());
        sessions && whole.sessionEditor && !sessions->sortedSessions().empty())
        sessions->editSession(sessions->sortedSessions().front().id.toString());
    return shootOverBackdrop(
        preview, QSize(360 + 48, 500 + 48),
        // On the panel's card, as in the panel, only taller.
        QStringLiteral("LiquidGlassBackground { x: 24; y: 24; width: 360; height: root.height - 48;"
                       " cornerRadius: 26; backdrop: wall; backdropOrigin: Qt.point(24, 24) }"
                       "Rectangle { x: 24; y: 24; width: 360; height: root.height - 48; radius: 26;"
                       " color: \"transparent\"; border.width: 1; border.color: Qt.rgba(1, 1, 1, 0.12) }"
                       "%1 { x: 24; y: 24; height: root.height - 48; model: root.model }")
            .arg(whole.view),
        {{"model", QVariant::fromValue(model.get())}}, out,
        [&](QQuickItem* root) { growUntilNothingScrolls(*root->window(), root, &preview.scheduler()); });
}

Shot wholeShot(const QString& name, const QString& shows, WholeScreen whole) {
    return {name, shows, [whole = std::move(whole)](const QString& out) { return shootWhole(whole, out); }};
}

} // namespace

std::vector<Shot> wholeShots() {
    return {
        wholeShot("rules-all",
                  "the rules screen with all four cards: pills wrapping, paused and scheduled rules, "
                  "the purple warning of a missing app",
                  {"RulesView", NimbrelPanelScreen::Rules, {}, false}),
        wholeShot("sessions-all", "the sessions screen with all three cards",
                  {"SessionsView", NimbrelPanelScreen::Sessions, {}, false}),
        wholeShot("settings-all", "the whole settings screen", {"SettingsWC", NimbrelPanelScreen::Settings, {}, false}),
        wholeShot("activity-all", "the whole activity screen on today",
                  {"ActivityView", NimbrelPanelScreen::Activity, {}, false}),
        wholeShot("blacklist-all", "the whole blacklist screen",
                  {"BlacklistView", NimbrelPanelScreen::Blacklist, {}, false}),
        wholeShot("rule-editor-safari-all",
                  "the whole rule editor on the Safari rule: a double click opens two websites in new windows, "
                  "scheduled on weekday mornings",
                  {"RulesView", NimbrelPanelScreen::Rules, "Safari"}),
        wholeShot("rule-editor-finder-all",
                  "the whole rule editor on the Finder rule: Downloads and a child action with Documents",
                  {"RulesView", NimbrelPanelScreen::Rules, "Finder"}),
        wholeShot("rule-editor-terminal-all", "the whole rule editor on the Terminal rule",
                  {"RulesView", NimbrelPanelScreen::Rules, "Terminal"}),
        wholeShot("session-editor-all", "the whole session editor on the first session",
                  {"SessionsView", NimbrelPanelScreen::Sessions, {}, true}),
    };
}

} // namespace nimbrel
