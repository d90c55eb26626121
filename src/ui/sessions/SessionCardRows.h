#pragma once

#include "ui/sessions/SessionCardContent.h"

#include <QVariantMap>

namespace nimbrel {

// A session card as QML reads it: {"key" (the id), "name", "statusText", "statusDot",
// "statusFill", "statusStroke", "scheduleSummary", "stripApps" ({"key", "name", "icon"}),
// "overflowText", "placeholderText", "missingWarning", "hasMissingApps", "powerSymbol",
// "powerTint", "pinSymbol", "pinTint"}.
QVariantMap sessionCardRow(const NimbrelSession& session, bool isActive, const SessionAppsOnThisMac& mac,
                           const SessionClockTimeText& timeText);

} // namespace nimbrel
