#include "platform/simulated/SimDesktopDump.h"

namespace nimbrel::sim {

namespace {

QString policyText(ActivationPolicy p) {
    switch (p) {
    case ActivationPolicy::accessory:
        return QStringLiteral("accessory");
    case ActivationPolicy::prohibited:
        return QStringLiteral("background");
    case ActivationPolicy::regular:
        break;
    }
    return QStringLiteral("regular");
}

QString windowLine(const Window& w, bool focused) {
    QStringList parts{QStringLiteral("window \"%1\"").arg(w.title)};
    if (w.subrole != QLatin1String("AXStandardWindow")) parts << w.subrole;
    parts << toText(w.frame);
    if (w.minimized) parts << QStringLiteral("minimized");
    if (w.fullScreen) parts << QStringLiteral("full-screen");
    if (focused) parts << QStringLiteral("focused");
    if (w.document) parts << QStringLiteral("document=") + *w.document;
    if (w.refusedWriteError) parts << QStringLiteral("refuses-writes=%1").arg(*w.refusedWriteError);
    if (!w.unreadableAttributes.isEmpty())
        parts << QStringLiteral("unreadable=") + w.unreadableAttributes.join(QLatin1Char(','));
    return parts.join(QLatin1Char(' '));
}

} // namespace

QStringList describeDesktop(const SimulatedMac& mac) {
    QStringList lines;
    lines << QStringLiteral("screens:");
    for (const Screen& s : mac.screens()) {
        lines << QStringLiteral("  %1 \"%2\" frame=%3 visible=%4%5")
                     .arg(s.id)
                     .arg(s.name, toText(s.frame), toText(s.visibleFrame),
                          s.id == mac.mainScreenId() ? QStringLiteral(" main") : QString());
        lines << QStringLiteral("    picture %1")
                     .arg(s.desktopImageURL.isEmpty() ? QStringLiteral("(none)") : s.desktopImageURL);
    }
    lines << QStringLiteral("dock: %1%2")
                 .arg(orientationName(mac.dockOrientation()),
                      mac.dockPid() == 0 ? QStringLiteral(" (not running)") : QString());
    for (const DockTile& t : mac.dockTiles()) {
        if (t.kind == DockTileKind::separator) {
            lines << QStringLiteral("  --");
            continue;
        }
        lines << QStringLiteral("  %1 [%2%3]")
                     .arg(t.title, dockTileKindName(t.kind), t.persistent ? QString() : QStringLiteral(", running"));
    }
    lines << QStringLiteral("apps:");
    for (const App& a : mac.apps()) {
        if (a.pid == mac.dockPid()) continue;
        QStringList flags{policyText(a.policy)};
        if (mac.frontmostPid() == a.pid) flags << QStringLiteral("frontmost");
        if (a.hidden) flags << QStringLiteral("hidden");
        if (a.noFocusedWindow) flags << QStringLiteral("no-focused-window");
        lines << QStringLiteral("  %1 (%2) %3").arg(a.name, a.bundleIdentifier, flags.join(QLatin1Char(' ')));
        const auto focused = mac.focusedWindowId(a);
        for (const Window& w : a.windows) {
            lines << QStringLiteral("    ") + windowLine(w, focused == w.id);
            for (size_t i = 0; i < w.tabs.size(); ++i)
                lines << QStringLiteral("      tab%1 %2")
                             .arg(static_cast<int>(i) == w.currentTab ? QStringLiteral("*") : QString(),
                                  w.tabs[i].url.isEmpty() ? QStringLiteral("(start page)") : w.tabs[i].url);
            for (const QString& c : w.commands)
                lines << QStringLiteral("      ran: ") + c;
        }
    }
    return lines;
}

} // namespace nimbrel::sim
