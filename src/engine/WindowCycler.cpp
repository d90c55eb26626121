#include "engine/WindowCycler.h"

#include "engine/AxReaders.h"
#include "engine/WindowActions.h"
#include "model/AppCapabilities.h"
#include "platform/Files.h"

#include <QStringBuilder>

#include <algorithm>
#include <cmath>
#include <map>

namespace nimbrel {

namespace {

std::optional<size_t> indexOf(const std::vector<AXElement>& list, const AXElement& e) {
    const auto it = std::find(list.begin(), list.end(), e);
    if (it == list.end()) return std::nullopt;
    return size_t(it - list.begin());
}

} // namespace

QString WindowCycler::windowCycleKey(const AXElement& window) const {
    if (const auto document = AxReaders::documentPath(ax_, window)) {
        const QString path = AxReaders::normalizedPath(*document, files_.homeDirectory());
        if (!path.isEmpty()) return QStringLiteral("document-") + path;
    }
    // A position that is not a finite whole-number range (another app's bad value) counts
    // as unreadable rather than being converted.
    const auto wholeNumber = [](double v) { return std::isfinite(v) && std::fabs(v) < 9.0e18; };
    QString suffix;
    if (const auto p = AxReaders::position(ax_, window); p && wholeNumber(p->x) && wholeNumber(p->y))
        suffix = u'-' % QString::number(qint64(std::trunc(p->x))) % u'-' % QString::number(qint64(std::trunc(p->y)));
    else
        suffix = u"-ptr-0x" % QString::number(window.id(), 16);
    const QString title =
        normalizedAppName(AxReaders::stringAttribute(ax_, QStringLiteral("AXTitle"), window).value_or(QString()));
    if (title.isEmpty()) return u"notitle" % suffix;
    return u"title-" % title % suffix;
}

std::vector<AXElement> WindowCycler::stableCycleOrder(const std::vector<AXElement>& windows, const QString& appKey) {
    std::map<QString, AXElement> byKey;
    QStringList currentKeys;
    for (const AXElement& window : windows) {
        const QString key = windowCycleKey(window);
        byKey[key] = window; // a later window with the same key stands for both
        currentKeys.append(key);
    }
    QStringList order;
    order.reserve(currentKeys.size());
    for (const QString& key : state_.stableWindowCycleOrderByAppKey[appKey])
        if (currentKeys.contains(key) && !order.contains(key)) order.append(key);
    for (const QString& key : currentKeys)
        if (!order.contains(key)) order.append(key);
    std::vector<AXElement> ordered;
    ordered.reserve(order.size());
    for (const QString& key : order)
        ordered.push_back(byKey[key]);
    state_.stableWindowCycleOrderByAppKey[appKey] = std::move(order);
    return ordered;
}

std::optional<AXElement> WindowCycler::nextWindowInCycle(const QString& appKey, const std::vector<AXElement>& ordered,
                                                         const std::optional<AXElement>& current) {
    const size_t n = ordered.size();
    if (n == 0) return std::nullopt;
    if (n == 1) {
        state_.nextWindowIndexByApp[appKey] = 0;
        return ordered.front();
    }
    if (current) {
        if (const auto i = indexOf(ordered, *current)) {
            const size_t j = (*i + 1) % n;
            state_.nextWindowIndexByApp[appKey] = int(j);
            return ordered[j];
        }
    }
    const int stored = state_.nextWindowIndexByApp.count(appKey) ? state_.nextWindowIndexByApp[appKey] : 0;
    const size_t i = size_t(((stored % int(n)) + int(n)) % int(n));
    state_.nextWindowIndexByApp[appKey] = int((i + 1) % n);
    return ordered[i];
}

void WindowCycler::recordCycleIndex(const QString& appKey, const AXElement& window,
                                    const std::vector<AXElement>& ordered) {
    if (const auto i = indexOf(ordered, window)) state_.nextWindowIndexByApp[appKey] = int((*i + 1) % ordered.size());
}

bool WindowCycler::isFreshFinderDockActivation(const RunningApplication& app, const QString& appKey,
                                               const AXElement& window) const {
    if (app.bundleIdentifier != kFinderBundleIdentifier) return false;
    if (auto it = state_.lastRestoredWindowByApp.find(appKey);
        it != state_.lastRestoredWindowByApp.end() && it->second == window)
        return false;
    const auto date = state_.lastDockClickDateByAppKey.find(appKey);
    return date != state_.lastDockClickDateByAppKey.end() &&
           clock_.now().secondsSince(date->second) < kFreshFinderActivationWindow;
}

std::optional<AXElement> WindowCycler::lastRestoredIn(const QString& appKey, const std::vector<AXElement>& list) const {
    const auto it = state_.lastRestoredWindowByApp.find(appKey);
    if (it == state_.lastRestoredWindowByApp.end() || !indexOf(list, it->second)) return std::nullopt;
    return it->second;
}

void WindowCycler::cycleWindows(const std::vector<AXElement>& windows, std::optional<AXElement> focused,
                                const RunningApplication& app, const QString& appKey) {
    std::vector<AXElement> minimized;
    for (const AXElement& w : windows)
        if (AxReaders::isMinimized(ax_, w)) minimized.push_back(w);
    cycleWindows(windows, minimized, focused, app, appKey);
}

void WindowCycler::cycleWindows(const std::vector<AXElement>& windows, const std::vector<AXElement>& minimized,
                                std::optional<AXElement> focused, const RunningApplication& app,
                                const QString& appKey) {
    const std::vector<AXElement> ordered = stableCycleOrder(windows, appKey);

    if (services_.behaviorMode() == NimbrelBehaviorMode::cycling) {
        std::optional<AXElement> current = focused ? focused : lastRestoredIn(appKey, ordered);
        if (!current && !ordered.empty()) current = ordered.front();
        const auto next = nextWindowInCycle(appKey, ordered, current);
        if (!next) return;
        bringForward(app, appKey, *next);
        recordCycleIndex(appKey, *next, ordered);
        if (afterCycle_) afterCycle_(app, appKey, *next);
        return;
    }

    std::vector<AXElement> visibleOrdered;
    for (const AXElement& w : ordered)
        if (!indexOf(minimized, w)) visibleOrdered.push_back(w);

    // The engine itself just focused this app: start from the window the user now sees.
    // Otherwise the last restored window stays the anchor, so that a Finder window the
    // user brought to the front counts as a fresh activation below.
    if (state_.appFocusedByNimbrelByAppKey.remove(appKey)) {
        std::optional<AXElement> anchor = focused ? focused : lastRestoredIn(appKey, visibleOrdered);
        if (!anchor && !visibleOrdered.empty()) anchor = visibleOrdered.front();
        if (anchor) {
            state_.lastRestoredWindowByApp[appKey] = *anchor;
            recordCycleIndex(appKey, *anchor, ordered);
        }
    }

    if (visibleOrdered.empty()) {
        const auto last = state_.lastRestoredWindowByApp.find(appKey);
        std::optional<AXElement> current;
        if (last != state_.lastRestoredWindowByApp.end()) current = last->second;
        auto next = nextWindowInCycle(appKey, ordered, current);
        if (!next) {
            if (ordered.empty()) return;
            next = ordered.front();
        }
        bringForward(app, appKey, *next);
        recordCycleIndex(appKey, *next, ordered);
        if (cancelSettle_) cancelSettle_(appKey);
        return;
    }

    std::optional<AXElement> current = focused ? focused : lastRestoredIn(appKey, visibleOrdered);
    if (!current) current = visibleOrdered.front();
    if (isFreshFinderDockActivation(app, appKey, *current)) {
        state_.lastRestoredWindowByApp[appKey] = *current;
        recordCycleIndex(appKey, *current, ordered);
        return;
    }
    const auto next = nextWindowInCycle(appKey, ordered, current);
    if (!next) return;
    bringForward(app, appKey, *next);
    recordCycleIndex(appKey, *next, ordered);
    if (afterCycle_) afterCycle_(app, appKey, *next);
}

void WindowCycler::bringForward(const RunningApplication& app, const QString& appKey, const AXElement& window) {
    WindowActions::bringForward(ax_, workspace_, app, window);
    state_.lastRestoredWindowByApp[appKey] = window;
}

} // namespace nimbrel
