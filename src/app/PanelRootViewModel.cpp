#include "app/PanelRootViewModel.h"

#include "app/ShellNames.h"

namespace nimbrel {

QString rulesSubtitle(int enabledRuleCount) {
    if (enabledRuleCount <= 0) return QStringLiteral("No active rules");
    if (enabledRuleCount == 1) return QStringLiteral("1 active rule");
    return QString::number(enabledRuleCount) + QStringLiteral(" active rules");
}

QString sessionsSubtitle(int sessionCount) {
    if (sessionCount <= 0) return QStringLiteral("No sessions");
    if (sessionCount == 1) return QStringLiteral("1 session");
    return QString::number(sessionCount) + QStringLiteral(" sessions");
}

PanelRootViewModel::PanelRootViewModel(NotificationCenter& notifications, Stores stores, QObject* parent)
    : QObject(parent), notifications_(notifications), stores_(std::move(stores)) {
    if (stores_.obtain) stores_.obtain();
    const std::pair<QString, NimbrelPanelScreen> routes[] = {
        {shell::kShowBlacklist, NimbrelPanelScreen::Blacklist}, {shell::kShowRules, NimbrelPanelScreen::Rules},
        {shell::kShowSessions, NimbrelPanelScreen::Sessions},   {shell::kShowActivity, NimbrelPanelScreen::Activity},
        {shell::kShowSettings, NimbrelPanelScreen::Settings},   {shell::kShowMainWindow, NimbrelPanelScreen::Main},
    };
    for (const auto& [name, target] : routes) {
        observers_.push_back(
            notifications_.addObserver(name, [this, target = target](const Notification&) { switchScreen(target); }));
    }
    if (stores_.observeCounts) countsObserver_ = stores_.observeCounts([this] { refreshSubtitles(); });
    refreshSubtitles();
}

PanelRootViewModel::~PanelRootViewModel() = default;

void PanelRootViewModel::setMenu(std::unique_ptr<QObject> menu) {
    menu_ = std::move(menu);
}

QString PanelRootViewModel::screenName() const {
    switch (screen_) {
    case NimbrelPanelScreen::Main:
        return QStringLiteral("main");
    case NimbrelPanelScreen::Blacklist:
        return QStringLiteral("blacklist");
    case NimbrelPanelScreen::Rules:
        return QStringLiteral("rules");
    case NimbrelPanelScreen::Sessions:
        return QStringLiteral("sessions");
    case NimbrelPanelScreen::Activity:
        return QStringLiteral("activity");
    case NimbrelPanelScreen::Settings:
        return QStringLiteral("settings");
    }
    return QStringLiteral("main");
}

void PanelRootViewModel::appeared() {
    refreshSubtitles();
    notifications_.post(shell::kPanelHeightDidChange, {{QStringLiteral("height"), panelHeight()}});
}

void PanelRootViewModel::requestMainScreen() {
    notifications_.post(shell::kShowMainWindow);
}

void PanelRootViewModel::post(const QString& name) {
    // Only the shell's own requests; anything else from a screen is a mistake, not a message.
    static const QStringList allowed = {shell::kShowBlacklist, shell::kShowRules,    shell::kShowSessions,
                                        shell::kShowActivity,  shell::kShowSettings, shell::kShowMainWindow,
                                        shell::kQuitRequested};
    if (allowed.contains(name)) notifications_.post(name);
}

void PanelRootViewModel::switchScreen(NimbrelPanelScreen screen) {
    if (screen == NimbrelPanelScreen::Main) refreshSubtitles();
    if (screen == screen_) return;
    if (stores_.screenOpened) stores_.screenOpened(screen);
    std::unique_ptr<QObject> older = std::move(leavingModel_);
    leavingModel_ = std::move(screenModel_);
    if (screen != NimbrelPanelScreen::Main && stores_.makeScreenModel) screenModel_ = stores_.makeScreenModel(screen);
    screen_ = screen;
    emit screenChanged();
    // The view leaving reads its model until it has slid out; the one before it is destroyed by
    // now (its removal was queued while the signal was handled), so its model can go.
    if (older) older.release()->deleteLater();
}

void PanelRootViewModel::refreshSubtitles() {
    const QString rules = rulesSubtitle(stores_.enabledRuleCount ? stores_.enabledRuleCount() : 0);
    const QString sessions = sessionsSubtitle(stores_.sessionCount ? stores_.sessionCount() : 0);
    if (rules == rulesSubtitle_ && sessions == sessionsSubtitle_) return;
    rulesSubtitle_ = rules;
    sessionsSubtitle_ = sessions;
    emit subtitlesChanged();
}

} // namespace nimbrel
