#pragma once

#include "sessions/Session.h"
#include "ui/sessions/SessionScheduleText.h"

#include <QString>

#include <vector>

namespace nimbrel {

class FileSystem;
class Workspace;

enum class SessionCardStatus { active, scheduled, disabled };

// What one session card shows, derived afresh from the session at every redraw.
struct SessionCardContent {
    static constexpr std::size_t kMaxStripApps = 12;

    SessionCardStatus status = SessionCardStatus::scheduled;
    QString statusText;                       // "Active", "Scheduled", "Disabled"
    QString scheduleSummary;                  // "Every day · 9:00 AM – 5:00 PM"
    std::vector<NimbrelSessionApp> stripApps; // the first installed Dock apps, at most 12
    QString overflowText;                     // "+3" past 12 installed apps, else empty
    QString placeholderText;                  // instead of the strip when no Dock app is installed, else empty
    std::vector<NimbrelSessionApp> missingApps;
    QString missingWarning; // empty when every Dock app is installed
};

struct SessionAppsOnThisMac {
    const Workspace& workspace;
    const FileSystem& files;
};

SessionCardContent sessionCardContent(const NimbrelSession& session, bool isActive, const SessionAppsOnThisMac& mac,
                                      const SessionClockTimeText& timeText);

// The symbol of the enable button: "power" while enabled, "power.circle.fill" while disabled.
QString sessionPowerSymbol(bool isEnabled);
QString sessionPinSymbol(bool isPinned);

} // namespace nimbrel
