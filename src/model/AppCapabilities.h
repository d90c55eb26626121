#pragma once

#include "model/RuleTargets.h"

#include <QSet>
#include <QString>

namespace nimbrel {

// Folds case and diacritics, lower-cases, drops ".app" and keeps only letters and digits:
// "  Visual Studio Code.app " -> "visualstudiocode". Every comparison of app, window and
// folder names goes through it.
QString normalizedAppName(const QString& name);

// What kinds of actions suit an app; the rule editor offers actions by it.
struct NimbrelRuleAppCapabilities {
    NimbrelRuleAppTarget app;
    NimbrelRuleAppCapabilitySet capabilities;

    explicit NimbrelRuleAppCapabilities(NimbrelRuleAppTarget target);
    NimbrelRuleAppCapabilities(NimbrelRuleAppTarget target, NimbrelRuleAppCapabilitySet set)
        : app(std::move(target)), capabilities(std::move(set)) {}

    bool contains(NimbrelRuleAppCapability c) const { return capabilities.count(c) != 0; }

    static bool isFinder(const NimbrelRuleAppTarget& app);
    // Exact, case-sensitive bundle identifiers.
    static const QSet<QString>& browserBundleIdentifiers();
    static const QSet<QString>& terminalBundleIdentifiers();

    friend bool operator==(const NimbrelRuleAppCapabilities&, const NimbrelRuleAppCapabilities&) = default;
};

inline const QString kFinderBundleIdentifier = QStringLiteral("com.apple.finder");
inline const QString kFinderBundlePath = QStringLiteral("/System/Library/CoreServices/Finder.app");
inline const QString kFinderDisplayName = QStringLiteral("Finder");

} // namespace nimbrel
