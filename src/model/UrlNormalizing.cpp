#include "model/RuleActions.h"

namespace nimbrel {

QString OpenBrowserWebsiteRuleAction::normalizedURLString() const {
    const QString trimmed = urlString.trimmed();
    if (trimmed.isEmpty()) return trimmed;
    const QString lower = trimmed.toLower();
    if (lower.startsWith(QLatin1String("http://")) || lower.startsWith(QLatin1String("https://"))) return trimmed;
    // Any other text, other schemes included, is taken as a web address.
    return QStringLiteral("https://") + trimmed;
}

} // namespace nimbrel
