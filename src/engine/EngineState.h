#pragma once

#include "platform/Accessibility.h"
#include "platform/Date.h"
#include "platform/Input.h"
#include "platform/Scheduler.h"
#include "platform/Uuid.h"
#include "platform/Workspace.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace nimbrel {

// The tapped application's windows as they were when the first press of a tap went down.
struct DockTapContext {
    bool wasFrontmostBeforeClick = false;
    int windowCountBeforeClick = 0;
    int visibleWindowCountBeforeClick = 0;
    int minimizedWindowCountBeforeClick = 0;
    std::optional<QString> dockTitle;
    std::optional<QString> focusedWindowTitleAfterDockClick;

    // Every window was minimized when the press went down.
    bool allWindowsMinimizedBeforeClick() const {
        return windowCountBeforeClick > 0 && minimizedWindowCountBeforeClick > 0 && visibleWindowCountBeforeClick == 0;
    }
    friend bool operator==(const DockTapContext&, const DockTapContext&) = default;
};

// The press in progress on an application tile.
struct ActiveDockPress {
    Uuid token;
    RunningApplication runningApp;
    QString appKey;
    DockTapContext context;
};

// A tap being counted: the latest press's app, the first press's context.
struct PendingDockTap {
    RunningApplication runningApp;
    DockTapContext context;
    int clickCount = 1;
    WorkHandle workItem;
};

enum class SingleWindowNextAction { restore = 0, minimize = 1 };

// Everything the engine remembers between presses and taps. All maps are keyed by
// the app key; the default behaviour keeps the Trash tile apart under "<finder key>#Trash".
struct EngineState {
    static inline const QString blacklistDefaultsKey = QStringLiteral("Nimbrel.blacklistedApplications");
    // The Dock's own hold time, so that a long press is never also a click to the Dock.
    static constexpr double longDockClickDuration = kDockTileHoldSeconds;

    std::map<QString, AXElement> lastRestoredWindowByApp;
    std::map<QString, int> nextWindowIndexByApp;
    std::map<QString, QStringList> stableWindowCycleOrderByAppKey;
    std::map<QString, Date> lastDockClickDateByAppKey;
    std::map<QString, SingleWindowNextAction> singleWindowNextActionByAppKey;
    QSet<QString> appFocusedByNimbrelByAppKey;
    std::map<QString, Date> ruleTriggeredSuppressUntilByAppKey;
    std::map<QString, PendingDockTap> pendingDockTapByAppKey;
    bool isPrimaryMouseButtonDown = false;
    std::optional<ActiveDockPress> activeDockPress;
    Date wakeSuppressionUntil = Date::distantPast();
    std::map<QString, WorkHandle> cyclingSettleWorkItems;
};

} // namespace nimbrel
