#include "ui/sessions/SessionCardRows.h"

#include "ui/sessions/SessionAppIcon.h"
#include "ui/sessions/SessionTones.h"

#include <QVariantList>

namespace nimbrel {

namespace {

struct BadgeColours {
    QColor dot, fill, stroke;
};

BadgeColours badgeColours(SessionCardStatus status) {
    switch (status) {
    case SessionCardStatus::active:
        return {sessionToneColor(SessionTone::green, 0.9), sessionToneColor(SessionTone::green, 0.22),
                sessionToneColor(SessionTone::green, 0.46)};
    case SessionCardStatus::scheduled:
        return {sessionToneColor(SessionTone::yellow, 0.95), sessionToneColor(SessionTone::yellow, 0.24),
                sessionToneColor(SessionTone::yellow, 0.5)};
    case SessionCardStatus::disabled:
        break;
    }
    return {sessionToneColor(SessionTone::red, 0.9), sessionToneColor(SessionTone::red, 0.26),
            sessionToneColor(SessionTone::red, 0.48)};
}

} // namespace

QVariantMap sessionCardRow(const NimbrelSession& session, bool isActive, const SessionAppsOnThisMac& mac,
                           const SessionClockTimeText& timeText) {
    const SessionCardContent card = sessionCardContent(session, isActive, mac, timeText);
    QVariantList strip;
    for (const NimbrelSessionApp& app : card.stripApps)
        strip.append(QVariantMap{{QStringLiteral("key"), app.id.toString()},
                                 {QStringLiteral("name"), app.displayName},
                                 {QStringLiteral("icon"), sessionAppIcon(app, mac.workspace, mac.files)}});
    const BadgeColours badge = badgeColours(card.status);
    return {
        {QStringLiteral("key"), session.id.toString()},
        {QStringLiteral("name"), session.name},
        {QStringLiteral("statusText"), card.statusText},
        {QStringLiteral("statusDot"), badge.dot},
        {QStringLiteral("statusFill"), badge.fill},
        {QStringLiteral("statusStroke"), badge.stroke},
        {QStringLiteral("scheduleSummary"), card.scheduleSummary},
        {QStringLiteral("stripApps"), strip},
        {QStringLiteral("overflowText"), card.overflowText},
        {QStringLiteral("placeholderText"), card.placeholderText},
        {QStringLiteral("missingWarning"), card.missingWarning},
        {QStringLiteral("hasMissingApps"), !card.missingApps.empty()},
        {QStringLiteral("powerSymbol"), sessionPowerSymbol(session.isEnabled)},
        {QStringLiteral("powerTint"), sessionToneColor(session.isEnabled ? SessionTone::white : SessionTone::gray, 1)},
        {QStringLiteral("pinSymbol"), sessionPinSymbol(session.isPinned)},
        {QStringLiteral("pinTint"), sessionToneColor(session.isPinned ? SessionTone::yellow : SessionTone::white, 1)}};
}

} // namespace nimbrel
