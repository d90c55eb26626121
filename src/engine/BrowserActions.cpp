#include "engine/BrowserActions.h"

#include "engine/WindowManager.h"

#include <QStringList>
#include <QUrl>

namespace nimbrel {

namespace {
QString quotedList(const QStringList& items) {
    QStringList quoted;
    for (const QString& item : items) quoted << QLatin1Char('"') + item + QLatin1Char('"');
    return QLatin1Char('[') + quoted.join(QStringLiteral(", ")) + QLatin1Char(']');
}
} // namespace

void BrowserActions::executeBrowserGroup(const std::vector<OpenBrowserWebsiteRuleAction>& actions) {
    if (actions.empty()) return;
    QStringList modes;
    QStringList urls;
    for (const OpenBrowserWebsiteRuleAction& action : actions) {
        modes << (action.openingMode == NimbrelBrowserOpeningMode::newWindow ? QStringLiteral("newWindow")
                                                                             : QStringLiteral("newTab"));
        urls << action.normalizedURLString();
    }
    wm_.log(QStringLiteral("executing browser group actions=%1 modes=%2 urls=%3")
                .arg(actions.size())
                .arg(quotedList(modes), quotedList(urls)));
    wm_.record(NimbrelActivityType::rule, QStringLiteral("Browser Group Opened"),
               QStringLiteral("Opened %1 websites in %2.").arg(actions.size()).arg(actions.front().browser.displayName));
    // NOT DONE YET: toggling an open group, the Safari clean-up, the group script and the
    // one-by-one fallback arrive with the browser work.
}

void BrowserActions::openBrowserWebsite(const OpenBrowserWebsiteRuleAction& action) {
    const QString url = action.normalizedURLString();
    if (url.isEmpty() || !QUrl(url).isValid()) return; // NOT DONE YET: opens the browser itself
    wm_.log(QStringLiteral("opening browser website %1 in %2").arg(url, action.browser.displayName));
    wm_.record(NimbrelActivityType::rule, QStringLiteral("Website Opened"),
               QStringLiteral("Opened %1 in %2.").arg(url, action.browser.displayName));
    // NOT DONE YET: the new-window and new-tab scripts and their placement attempts.
}

bool BrowserActions::handleBrowserRuleGroupDockTap(const RunningApplication& app) {
    if (!app.bundleIdentifier) return false;
    const auto group = wm_.browserRuleGroupsByBundleIdentifier.find(*app.bundleIdentifier);
    if (group == wm_.browserRuleGroupsByBundleIdentifier.end() || group->second.empty()) return false;
    // NOT DONE YET: toggling and cycling a recorded group. Groups are only recorded by the
    // browser work, so nothing reaches this point before it lands.
    return false;
}

} // namespace nimbrel
