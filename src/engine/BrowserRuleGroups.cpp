#include "engine/BrowserRuleGroups.h"

#include "engine/BrowserWindows.h"
#include "engine/WindowManager.h"
#include "platform/Platform.h"

#include <QStringList>

#include <algorithm>

namespace nimbrel {

namespace bw = browserwindows;

namespace {

std::vector<OpenBrowserWebsiteRuleAction> newWindowActions(const std::vector<OpenBrowserWebsiteRuleAction>& actions) {
    std::vector<OpenBrowserWebsiteRuleAction> out;
    for (const auto& a : actions)
        if (a.openingMode == NimbrelBrowserOpeningMode::newWindow) out.push_back(a);
    return out;
}

template <typename Map> auto valueOr(const Map& map, const QString& key, typename Map::mapped_type fallback) {
    const auto it = map.find(key);
    return it == map.end() ? fallback : it->second;
}

} // namespace

void BrowserRuleGroups::recordBrowserRuleGroup(const std::vector<OpenBrowserWebsiteRuleAction>& actions) {
    const std::vector<OpenBrowserWebsiteRuleAction> newWindow = newWindowActions(actions);
    if (newWindow.size() < 2) return;
    const NimbrelRuleAppTarget& browser = actions.front().browser;
    if (!browser.bundleIdentifier) return;
    const QString b = *browser.bundleIdentifier;
    const auto running = wm_.apps().runningApplication(b, browser.path);
    if (!running) return;
    const AXElement appElement = wm_.ax().applicationElement(running->pid);
    const QSet<QString> preexisting =
        valueOr(wm_.browserGroupPreexistingWindowKeysByBundleIdentifier, b, QSet<QString>{});
    std::vector<AXElement> windows = bw::newWindows(wm_, appElement, preexisting);
    windows.resize(std::min(windows.size(), newWindow.size()));
    // The browser lists its newest window first, and the capture step placed them that way:
    // the first window with the last action. Kept in action order, a restore puts each
    // window back where its own action placed it.
    std::reverse(windows.begin(), windows.end());
    wm_.browserRuleGroupsByBundleIdentifier[b] = windows;
    wm_.browserRuleGroupActionsByBundleIdentifier[b] = newWindow;
    wm_.browserRuleGroupIsMinimizedByBundleIdentifier[b] = false;
    wm_.browserRuleGroupIsFocusedByBundleIdentifier[b] = true;
}

bool BrowserRuleGroups::handleBrowserRuleGroupDockTap(const RunningApplication& app) {
    if (!app.bundleIdentifier) return false;
    const QString b = *app.bundleIdentifier;
    const auto stored = wm_.browserRuleGroupsByBundleIdentifier.find(b);
    if (stored == wm_.browserRuleGroupsByBundleIdentifier.end() || stored->second.empty()) return false;
    const std::vector<AXElement> liveWindows = bw::live(wm_, stored->second);
    if (liveWindows.size() < stored->second.size()) {
        // A group window was closed: the group is over, and the click is an ordinary one.
        forget(b);
        return false;
    }
    const AXElement appElement = wm_.ax().applicationElement(app.pid);
    const std::vector<AXElement> titled = bw::titledWindows(wm_, appElement);
    const auto actions = valueOr(wm_.browserRuleGroupActionsByBundleIdentifier, b, {});
    if (titled.size() == liveWindows.size()) return toggleBrowserRuleGroup(b, app, liveWindows, actions);
    return cycleBrowserRuleGroup(b, app, liveWindows, titled, actions);
}

bool BrowserRuleGroups::toggleExistingBrowserRuleGroup(const std::vector<OpenBrowserWebsiteRuleAction>& actions) {
    const std::vector<OpenBrowserWebsiteRuleAction> newWindow = newWindowActions(actions);
    if (newWindow.size() < 2) return false;
    const NimbrelRuleAppTarget& browser = actions.front().browser;
    if (!browser.bundleIdentifier) return false;
    const QString b = *browser.bundleIdentifier;
    const auto running = wm_.apps().runningApplication(b, browser.path);
    if (!running) return false;
    const std::vector<AXElement> liveWindows = bw::live(wm_, valueOr(wm_.browserRuleGroupsByBundleIdentifier, b, {}));
    if (liveWindows.size() != newWindow.size()) return false;
    const auto stored = wm_.browserRuleGroupActionsByBundleIdentifier.find(b);
    const auto& groupActions =
        stored == wm_.browserRuleGroupActionsByBundleIdentifier.end() ? newWindow : stored->second;
    return toggleBrowserRuleGroup(b, *running, liveWindows, groupActions);
}

bool BrowserRuleGroups::toggleBrowserRuleGroup(const QString& b, const RunningApplication& app,
                                               const std::vector<AXElement>& windows,
                                               const std::vector<OpenBrowserWebsiteRuleAction>& actions) {
    if (withinCooldown(b)) {
        wm_.log(QStringLiteral("swallowing duplicate browser rule group toggle"));
        return true;
    }
    wm_.lastBrowserRuleGroupToggleDateByBundleIdentifier[b] = wm_.platform().clock->now();

    bool allMinimized = true;
    for (const AXElement& w : windows)
        if (!bw::isMinimized(wm_, w)) {
            allMinimized = false;
            break;
        }
    const bool shouldRestore = allMinimized || valueOr(wm_.browserRuleGroupIsMinimizedByBundleIdentifier, b, false);
    QStringList states;
    for (const AXElement& w : windows)
        states << (bw::isMinimized(wm_, w) ? QStringLiteral("true") : QStringLiteral("false"));
    wm_.log(
        QStringLiteral("toggling stored browser rule group as one workspace shouldRestore=%1 minimized=[%2]")
            .arg(shouldRestore ? QStringLiteral("true") : QStringLiteral("false"), states.join(QStringLiteral(", "))));

    const auto n = static_cast<qulonglong>(windows.size());
    if (shouldRestore) {
        wm_.record(NimbrelActivityType::rule, QStringLiteral("Browser Group Restored"),
                   QStringLiteral("Restored %1 browser windows.").arg(n));
        bringForward(wm_.ax().applicationElement(app.pid), windows, actions);
        wm_.browserRuleGroupIsMinimizedByBundleIdentifier[b] = false;
        wm_.browserRuleGroupIsFocusedByBundleIdentifier[b] = true;
    } else {
        wm_.record(NimbrelActivityType::rule, QStringLiteral("Browser Group Minimized"),
                   QStringLiteral("Minimized %1 browser windows.").arg(n));
        for (const AXElement& w : windows)
            setMinimized(w, true);
        wm_.browserRuleGroupIsMinimizedByBundleIdentifier[b] = true;
        wm_.browserRuleGroupIsFocusedByBundleIdentifier[b] = false;
    }
    // The Dock click itself brings the browser to the front.
    return true;
}

bool BrowserRuleGroups::cycleBrowserRuleGroup(const QString& b, const RunningApplication& app,
                                              const std::vector<AXElement>& group, const std::vector<AXElement>& titled,
                                              const std::vector<OpenBrowserWebsiteRuleAction>& actions) {
    const QSet<QString> groupKeys = bw::windowKeys(wm_, group);
    std::vector<AXElement> others;
    for (const AXElement& w : titled)
        if (!groupKeys.contains(bw::windowKey(wm_, w))) others.push_back(w);
    if (others.empty()) return false;
    if (withinCooldown(b)) {
        wm_.log(QStringLiteral("swallowing duplicate browser mixed-cycle toggle"));
        return true;
    }
    wm_.lastBrowserRuleGroupToggleDateByBundleIdentifier[b] = wm_.platform().clock->now();
    const AXElement appElement = wm_.ax().applicationElement(app.pid);

    bool groupIsFocused = false;
    if (const auto stored = wm_.browserRuleGroupIsFocusedByBundleIdentifier.find(b);
        stored != wm_.browserRuleGroupIsFocusedByBundleIdentifier.end()) {
        groupIsFocused = stored->second;
    } else {
        for (const AXElement& w : group)
            if (!bw::isMinimized(wm_, w)) groupIsFocused = true;
    }
    const auto g = static_cast<qulonglong>(group.size());
    const auto o = static_cast<qulonglong>(others.size());
    wm_.log(QStringLiteral("cycling browser rule group with individual windows groupIsFocused=%1 otherWindows=%2")
                .arg(groupIsFocused ? QStringLiteral("true") : QStringLiteral("false"))
                .arg(o));

    if (!groupIsFocused) {
        wm_.record(
            NimbrelActivityType::rule, QStringLiteral("Browser Group Restored"),
            QStringLiteral("Restored %1 browser rule windows and minimized %2 other browser windows.").arg(g).arg(o));
        for (const AXElement& w : others)
            setMinimized(w, true);
        bringForward(appElement, group, actions);
        wm_.browserRuleGroupIsMinimizedByBundleIdentifier[b] = false;
        wm_.browserRuleGroupIsFocusedByBundleIdentifier[b] = true;
    } else {
        wm_.record(NimbrelActivityType::rule, QStringLiteral("Browser Group Minimized"),
                   QStringLiteral("Minimized %1 browser rule windows and focused another browser window.").arg(g));
        for (const AXElement& w : group)
            setMinimized(w, true);
        const AXElement other = others.front();
        setMinimized(other, false);
        wm_.ax().performAction(other, QStringLiteral("AXRaise"));
        wm_.ax().setAttributeValue(appElement, QStringLiteral("AXFocusedWindow"), AXValue(other));
        wm_.browserRuleGroupIsMinimizedByBundleIdentifier[b] = true;
        wm_.browserRuleGroupIsFocusedByBundleIdentifier[b] = false;
    }
    return true;
}

void BrowserRuleGroups::forget(const QString& b) {
    wm_.browserRuleGroupsByBundleIdentifier.erase(b);
    wm_.browserRuleGroupActionsByBundleIdentifier.erase(b);
    wm_.browserRuleGroupIsMinimizedByBundleIdentifier.erase(b);
    wm_.browserRuleGroupIsFocusedByBundleIdentifier.erase(b);
}

bool BrowserRuleGroups::withinCooldown(const QString& b) const {
    const auto last = wm_.lastBrowserRuleGroupToggleDateByBundleIdentifier.find(b);
    if (last == wm_.lastBrowserRuleGroupToggleDateByBundleIdentifier.end()) return false;
    return wm_.platform().clock->now().secondsSince(last->second) < wm_.browserRuleGroupToggleCooldown;
}

void BrowserRuleGroups::bringForward(const AXElement& appElement, const std::vector<AXElement>& windows,
                                     const std::vector<OpenBrowserWebsiteRuleAction>& actions) {
    for (size_t i = 0; i < windows.size(); ++i) {
        setMinimized(windows[i], false);
        if (i < actions.size()) {
            const AXElement window = windows[i];
            const OpenBrowserWebsiteRuleAction action = actions[i];
            wm_.after(0.18, [this, window, action] { wm_.placement().reapplyWebsitePlacement(action, window); });
        }
    }
    // The front step needs only the windows and the application element.
    Accessibility* ax = &wm_.ax();
    wm_.scheduler().after(0.28, [ax, windows, appElement] {
        if (windows.empty()) return;
        ax->performAction(windows.back(), QStringLiteral("AXRaise"));
        ax->setAttributeValue(appElement, QStringLiteral("AXFocusedWindow"), AXValue(windows.back()));
    });
}

void BrowserRuleGroups::setMinimized(const AXElement& window, bool minimized) {
    wm_.ax().setAttributeValue(window, QStringLiteral("AXMinimized"), AXValue(minimized));
}

} // namespace nimbrel
