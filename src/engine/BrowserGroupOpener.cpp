#include "engine/BrowserGroupOpener.h"

#include "engine/AppleScriptCall.h"
#include "engine/BrowserScripts.h"
#include "engine/BrowserWindows.h"
#include "engine/WindowManager.h"
#include "platform/Platform.h"

#include <QStringList>

#include <algorithm>

namespace nimbrel {

namespace bs = browserscripts;
namespace bw = browserwindows;

namespace {

bool isNewWindow(const OpenBrowserWebsiteRuleAction& a) {
    return a.openingMode == NimbrelBrowserOpeningMode::newWindow;
}

QString quotedList(const QStringList& items) {
    QStringList quoted;
    for (const QString& item : items)
        quoted << QLatin1Char('"') + item + QLatin1Char('"');
    return QLatin1Char('[') + quoted.join(QStringLiteral(", ")) + QLatin1Char(']');
}

} // namespace

void BrowserGroupOpener::executeBrowserGroup(const std::vector<OpenBrowserWebsiteRuleAction>& actions) {
    if (actions.empty()) return;
    QStringList modes;
    QStringList urls;
    for (const OpenBrowserWebsiteRuleAction& action : actions) {
        modes << (isNewWindow(action) ? QStringLiteral("newWindow") : QStringLiteral("newTab"));
        urls << action.normalizedURLString();
    }
    wm_.log(QStringLiteral("executing browser group actions=%1 modes=%2 urls=%3")
                .arg(QString::number(actions.size()), quotedList(modes), quotedList(urls)));
    wm_.record(NimbrelActivityType::rule, QStringLiteral("Browser Group Opened"),
               QStringLiteral("Opened %1 websites in %2.")
                   .arg(QString::number(actions.size()), actions.front().browser.displayName));

    if (wm_.browsers().groups().toggleExistingBrowserRuleGroup(actions)) return;
    closeBlankSafariStarterWindowsIfNeeded(actions);
    snapshotPreexistingBrowserWindows(actions);
    if (runBrowserGroupAppleScript(actions)) {
        captureBrowserGroupWindows(actions);
        return;
    }
    openOneByOne(actions);
}

void BrowserGroupOpener::openOneByOne(const std::vector<OpenBrowserWebsiteRuleAction>& actions) {
    const bool allNewWindows = std::all_of(actions.begin(), actions.end(), isNewWindow);
    const double step = allNewWindows ? 0.9 : 0.32;
    for (size_t i = 0; i < actions.size(); ++i) {
        const OpenBrowserWebsiteRuleAction action = actions[i];
        wm_.after(double(i) * step, [this, action] { wm_.browsers().websites().openBrowserWebsite(action); });
    }
}

void BrowserGroupOpener::closeBlankSafariStarterWindowsIfNeeded(
    const std::vector<OpenBrowserWebsiteRuleAction>& actions) {
    if (actions.empty() || actions.front().browser.bundleIdentifier != bs::kSafariBundleIdentifier) return;
    closeBlankSafariStarterWindows();
}

void BrowserGroupOpener::closeBlankSafariStarterWindows() {
    const AppleScriptCall call = runAppleScript(wm_.platform().appleScript, bs::safariStarterWindowCleanup());
    if (call.succeeded()) return;
    wm_.log(QStringLiteral("close blank Safari starter windows failed: ") +
            describeAppleScriptError(call.result.error.value_or(QVariantMap{})));
    wm_.record(NimbrelActivityType::error, QStringLiteral("Safari Cleanup Failed"),
               QStringLiteral("Could not close blank Safari starter windows."));
}

void BrowserGroupOpener::snapshotPreexistingBrowserWindows(const std::vector<OpenBrowserWebsiteRuleAction>& actions) {
    if (actions.empty()) return;
    const NimbrelRuleAppTarget& browser = actions.front().browser;
    if (!browser.bundleIdentifier) return;
    const auto running = wm_.apps().runningApplication(browser.bundleIdentifier, browser.path);
    if (!running) return;
    const AXElement appElement = wm_.ax().applicationElement(running->pid);
    wm_.browserGroupPreexistingWindowKeysByBundleIdentifier[*browser.bundleIdentifier] =
        bw::windowKeys(wm_, bw::titledWindows(wm_, appElement));
}

bool BrowserGroupOpener::runBrowserGroupAppleScript(const std::vector<OpenBrowserWebsiteRuleAction>& actions) {
    if (actions.empty()) return false;
    const std::optional<QString> b = actions.front().browser.bundleIdentifier;
    if (!b) return false;
    for (const auto& action : actions)
        if (action.browser.bundleIdentifier != b) return false;
    const std::optional<bs::Family> family = bs::familyOf(b);
    if (!family) return false;
    const bool allNewWindows = std::all_of(actions.begin(), actions.end(), isNewWindow);
    const bool allNewTabs = std::none_of(actions.begin(), actions.end(), isNewWindow);
    if (!allNewWindows && !allNewTabs) return false;

    QStringList urls;
    for (const auto& action : actions)
        urls << action.normalizedURLString();
    QString source;
    if (*family == bs::Family::safari)
        source = allNewWindows ? bs::safariGroupNewWindows(urls) : bs::safariGroupNewTabs(urls);
    else
        source = allNewWindows ? bs::chromiumGroupNewWindows(*b, urls) : bs::chromiumGroupNewTabs(*b, urls);

    const AppleScriptCall call = runAppleScript(wm_.platform().appleScript, source);
    if (call.succeeded()) return true;
    const QVariantMap error = call.result.error.value_or(QVariantMap{});
    const QString& browser = actions.front().browser.displayName;
    wm_.log(QStringLiteral("browser group AppleScript failed for ") + *b + QStringLiteral(": ") +
            describeAppleScriptError(error));
    wm_.record(NimbrelActivityType::error, QStringLiteral("Browser Group Failed"),
               QStringLiteral("AppleScript failed for ") + browser + QStringLiteral("."));
    const QVariant number = error.value(kAppleScriptErrorNumber);
    const bool isInteger = number.typeId() == QMetaType::Int || number.typeId() == QMetaType::LongLong;
    if (isInteger && number.toLongLong() == kAppleScriptNotAuthorized)
        wm_.automationAlert().showBrowserAutomationPermissionAlert(browser);
    return false;
}

void BrowserGroupOpener::captureBrowserGroupWindows(const std::vector<OpenBrowserWebsiteRuleAction>& actions) {
    std::vector<OpenBrowserWebsiteRuleAction> newWindow;
    std::vector<OpenBrowserWebsiteRuleAction> placed;
    for (const auto& action : actions) {
        if (!isNewWindow(action)) continue;
        newWindow.push_back(action);
        if (action.placement != NimbrelWindowPlacement::front) placed.push_back(action);
    }
    if (placed.empty()) return;
    const OpenBrowserWebsiteRuleAction first = actions.front();
    for (double delay : {0.85, 1.35, 1.95, 2.65, 3.25})
        wm_.after(delay,
                  [this, first, placed, newWindow] { placeAndRecordBrowserGroupWindows(first, placed, newWindow); });
}

void BrowserGroupOpener::placeAndRecordBrowserGroupWindows(const OpenBrowserWebsiteRuleAction& first,
                                                           const std::vector<OpenBrowserWebsiteRuleAction>& placed,
                                                           const std::vector<OpenBrowserWebsiteRuleAction>& newWindow) {
    const NimbrelRuleAppTarget& browser = first.browser;
    const auto running = wm_.apps().runningApplication(browser.bundleIdentifier, browser.path);
    if (!running) return;
    const AXElement appElement = wm_.ax().applicationElement(running->pid);
    QSet<QString> preexisting;
    if (browser.bundleIdentifier)
        if (const auto it = wm_.browserGroupPreexistingWindowKeysByBundleIdentifier.find(*browser.bundleIdentifier);
            it != wm_.browserGroupPreexistingWindowKeysByBundleIdentifier.end())
            preexisting = it->second;
    const std::vector<AXElement> windows = bw::newWindows(wm_, appElement, preexisting);
    // The browser lists its newest window first: the last placed action's window comes first.
    for (size_t i = 0; i < windows.size() && i < placed.size(); ++i) {
        const OpenBrowserWebsiteRuleAction& action = placed[placed.size() - 1 - i];
        wm_.placement().leaveFullScreenIfNeeded(action.placement, windows[i]);
        wm_.placement().applyPlacement(action.placement, windows[i], action.displayTarget, i == 0);
    }
    wm_.browsers().groups().recordBrowserRuleGroup(newWindow);
}

} // namespace nimbrel
