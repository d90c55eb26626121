#include "engine/WebsiteOpener.h"

#include "engine/AppleScriptCall.h"
#include "engine/BrowserScripts.h"
#include "engine/WindowManager.h"
#include "platform/Platform.h"

#include <QUrl>

namespace nimbrel {

namespace bs = browserscripts;

std::optional<QString> WebsiteOpener::urlText(const OpenBrowserWebsiteRuleAction& action) {
    const QString normalized = action.normalizedURLString();
    if (normalized.isEmpty() || !QUrl(normalized, QUrl::TolerantMode).isValid()) return std::nullopt;
    return normalized;
}

bool WebsiteOpener::isScriptableBrowser(const std::optional<QString>& bundleIdentifier) {
    return bs::isScriptableBrowser(bundleIdentifier);
}

void WebsiteOpener::openBrowserWebsite(const OpenBrowserWebsiteRuleAction& action) {
    const std::optional<QString> url = urlText(action);
    if (!url) {
        wm_.apps().openApp(action.browser, action.placement, action.displayTarget);
        return;
    }
    const QString& browser = action.browser.displayName;
    wm_.log(QStringLiteral("opening browser website ") + *url + QStringLiteral(" in ") + browser);
    wm_.record(NimbrelActivityType::rule, QStringLiteral("Website Opened"),
               QStringLiteral("Opened ") + *url + QStringLiteral(" in ") + browser + QStringLiteral("."));
    if (action.openingMode == NimbrelBrowserOpeningMode::newTab) {
        // A tab goes into a window the user already placed: no placement here.
        openWebsiteInNewTab(action, *url);
        return;
    }
    // A browser that refused the script opened nothing: its windows are the user's own.
    if (!openWebsiteInNewWindow(action, *url) || action.placement == NimbrelWindowPlacement::front) return;
    for (double delay : {0.45, 0.95, 1.55, 2.2})
        wm_.after(delay, [this, action] {
            wm_.placement().placeLaunchedAppWindow(action.browser, action.placement, action.displayTarget);
        });
}

bool WebsiteOpener::openWebsiteInNewWindow(const OpenBrowserWebsiteRuleAction& action, const QString& url) {
    if (runNewWindowScript(action, url)) return true;
    if (isScriptableBrowser(action.browser.bundleIdentifier)) {
        // The browser refused the script; a tab would be refused the same way.
        wm_.automationAlert().showBrowserAutomationPermissionAlert(action.browser.displayName);
        return false;
    }
    openWebsiteInNewTab(action, url);
    return true;
}

void WebsiteOpener::openWebsiteInNewTab(const OpenBrowserWebsiteRuleAction& action, const QString& url) {
    if (runNewTabScript(action, url)) return;
    const std::optional<QString>& bundleIdentifier = action.browser.bundleIdentifier;
    if (isScriptableBrowser(bundleIdentifier)) {
        wm_.automationAlert().showBrowserAutomationPermissionAlert(action.browser.displayName);
        return;
    }
    if (bundleIdentifier) {
        if (const std::optional<QString> appPath = wm_.workspace().urlForApplication(*bundleIdentifier)) {
            OpenConfiguration configuration;
            configuration.activates = false;
            std::weak_ptr<int> alive = wm_.lifetimeWatch();
            wm_.workspace().openURLs(
                {url}, *appPath, configuration,
                [this, alive](std::optional<RunningApplication>, std::optional<WorkspaceError> error) {
                    if (!alive.expired()) handleWebsiteOpenCompletion(error);
                });
            return;
        }
    }
    wm_.workspace().open(url);
}

bool WebsiteOpener::runNewWindowScript(const OpenBrowserWebsiteRuleAction& action, const QString& url) {
    const std::optional<QString>& bundleIdentifier = action.browser.bundleIdentifier;
    const std::optional<bs::Family> family = bs::familyOf(bundleIdentifier);
    if (!family) return false;
    const QString source =
        *family == bs::Family::safari ? bs::safariNewWindow(url) : bs::chromiumNewWindow(*bundleIdentifier, url);
    return runScript(action, source, "new-window", QStringLiteral("Browser Window Failed"),
                     QStringLiteral("Could not open a new window in %1.").arg(action.browser.displayName));
}

bool WebsiteOpener::runNewTabScript(const OpenBrowserWebsiteRuleAction& action, const QString& url) {
    const std::optional<QString>& bundleIdentifier = action.browser.bundleIdentifier;
    const std::optional<bs::Family> family = bs::familyOf(bundleIdentifier);
    if (!family) return false;
    const QString source =
        *family == bs::Family::safari ? bs::safariNewTab(url) : bs::chromiumNewTab(*bundleIdentifier, url);
    return runScript(action, source, "new-tab", QStringLiteral("Browser Tab Failed"),
                     QStringLiteral("Could not open a new tab in %1.").arg(action.browser.displayName));
}

bool WebsiteOpener::runScript(const OpenBrowserWebsiteRuleAction& action, const QString& source, const char* kind,
                              const QString& failureTitle, const QString& failureMessage) {
    const AppleScriptCall call = runAppleScript(wm_.platform().appleScript, source);
    if (call.succeeded()) return true;
    wm_.log(QStringLiteral("browser %1 AppleScript failed for %2: %3")
                .arg(QString::fromLatin1(kind), action.browser.bundleIdentifier.value_or(QString()),
                     describeAppleScriptError(call.result.error.value_or(QVariantMap{}))));
    wm_.record(NimbrelActivityType::error, failureTitle, failureMessage);
    return false;
}

void WebsiteOpener::handleWebsiteOpenCompletion(const std::optional<WorkspaceError>& error) {
    if (!error) return;
    wm_.log(QStringLiteral("failed to open website in selected browser: ") + error->localizedDescription);
    const QString description = error->localizedDescription;
    wm_.after(0, [this, description] {
        wm_.record(NimbrelActivityType::error, QStringLiteral("Website Open Failed"), description);
    });
}

} // namespace nimbrel
