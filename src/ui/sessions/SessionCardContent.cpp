#include "ui/sessions/SessionCardContent.h"

#include <QStringList>

#include <algorithm>

namespace nimbrel {

SessionCardContent sessionCardContent(const NimbrelSession& session, bool isActive, const SessionAppsOnThisMac& mac,
                                      const SessionClockTimeText& timeText) {
    SessionCardContent card;
    card.status = isActive            ? SessionCardStatus::active
                  : session.isEnabled ? SessionCardStatus::scheduled
                                      : SessionCardStatus::disabled;
    card.statusText = isActive            ? QStringLiteral("Active")
                      : session.isEnabled ? QStringLiteral("Scheduled")
                                          : QStringLiteral("Disabled");
    card.scheduleSummary = sessionScheduleSummary(session, timeText);

    card.missingApps = session.missingAllowedApps(mac.workspace, mac.files);
    const std::vector<NimbrelSessionApp> installed = session.installedAllowedApps(card.missingApps);
    if (installed.empty()) {
        card.placeholderText = session.allowedApps.empty() ? QStringLiteral("No apps selected yet")
                                                           : QStringLiteral("No apps installed on this Mac");
    } else {
        const std::size_t shown = std::min(installed.size(), SessionCardContent::kMaxStripApps);
        card.stripApps.assign(installed.begin(), installed.begin() + static_cast<std::ptrdiff_t>(shown));
        if (installed.size() > SessionCardContent::kMaxStripApps)
            card.overflowText =
                QStringLiteral("+") + QString::number(installed.size() - SessionCardContent::kMaxStripApps);
    }
    if (!card.missingApps.empty()) {
        QStringList names;
        for (const NimbrelSessionApp& app : card.missingApps)
            names << app.displayName;
        card.missingWarning = QStringLiteral("Not installed on this Mac: ") + names.join(QStringLiteral(", ")) +
                              QStringLiteral(". Session runs normally for all installed apps.");
    }
    return card;
}

QString sessionPowerSymbol(bool isEnabled) {
    return isEnabled ? QStringLiteral("power") : QStringLiteral("power.circle.fill");
}

QString sessionPinSymbol(bool isPinned) {
    return isPinned ? QStringLiteral("pin.fill") : QStringLiteral("pin");
}

} // namespace nimbrel
