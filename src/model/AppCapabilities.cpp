#include "model/AppCapabilities.h"

namespace nimbrel {

const QSet<QString>& NimbrelRuleAppCapabilities::browserBundleIdentifiers() {
    static const QSet<QString> ids{
        QStringLiteral("com.apple.Safari"),
        QStringLiteral("com.google.Chrome"),
        QStringLiteral("com.google.Chrome.canary"),
        QStringLiteral("com.brave.Browser"),
        QStringLiteral("com.microsoft.edgemac"),
        QStringLiteral("org.mozilla.firefox"),
        QStringLiteral("org.mozilla.firefoxdeveloperedition"),
        QStringLiteral("com.operasoftware.Opera"),
        QStringLiteral("com.operasoftware.OperaGX"),
        QStringLiteral("com.vivaldi.Vivaldi"),
        QStringLiteral("company.thebrowser.Browser"),
        QStringLiteral("com.duckduckgo.macos.browser"),
        QStringLiteral("com.torproject.torbrowser"),
    };
    return ids;
}

const QSet<QString>& NimbrelRuleAppCapabilities::terminalBundleIdentifiers() {
    static const QSet<QString> ids{
        QStringLiteral("com.apple.Terminal"),   QStringLiteral("com.googlecode.iterm2"),
        QStringLiteral("net.kovidgoyal.kitty"), QStringLiteral("com.github.wez.wezterm"),
        QStringLiteral("co.zeit.hyper"),
    };
    return ids;
}

bool NimbrelRuleAppCapabilities::isFinder(const NimbrelRuleAppTarget& app) {
    if (app.bundleIdentifier == kFinderBundleIdentifier) return true;
    if (app.path == kFinderBundlePath) return true;
    return normalizedAppName(app.displayName) == normalizedAppName(kFinderDisplayName);
}

NimbrelRuleAppCapabilities::NimbrelRuleAppCapabilities(NimbrelRuleAppTarget target)
    : app(std::move(target)), capabilities{NimbrelRuleAppCapability::universalWindowPlacement} {
    if (isFinder(app)) capabilities.insert(NimbrelRuleAppCapability::finder);
    // Only an exact bundle identifier earns the browser or terminal actions, never a name.
    if (app.bundleIdentifier) {
        if (browserBundleIdentifiers().contains(*app.bundleIdentifier))
            capabilities.insert(NimbrelRuleAppCapability::browser);
        if (terminalBundleIdentifiers().contains(*app.bundleIdentifier))
            capabilities.insert(NimbrelRuleAppCapability::terminalScript);
    }
}

} // namespace nimbrel
