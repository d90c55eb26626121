#pragma once

#include "model/RuleActions.h"
#include "platform/Workspace.h"

#include <QString>

#include <optional>

namespace nimbrel {

class WindowManager;

// Opens one website in the browser a rule names, in a new window or a new tab: through
// AppleScript for Safari and the Chromium family, through the workspace for any other
// browser. Scripts run synchronously on the main thread.
class WebsiteOpener {
  public:
    explicit WebsiteOpener(WindowManager& wm) : wm_(wm) {}

    void openBrowserWebsite(const OpenBrowserWebsiteRuleAction& action);
    // False when a scripted browser refused the window: nothing was opened.
    bool openWebsiteInNewWindow(const OpenBrowserWebsiteRuleAction& action, const QString& url);
    void openWebsiteInNewTab(const OpenBrowserWebsiteRuleAction& action, const QString& url);
    // True when the script ran without error information.
    bool runNewWindowScript(const OpenBrowserWebsiteRuleAction& action, const QString& url);
    bool runNewTabScript(const OpenBrowserWebsiteRuleAction& action, const QString& url);
    static bool isScriptableBrowser(const std::optional<QString>& bundleIdentifier);
    // Called when the workspace has handed a URL to a chosen browser.
    void handleWebsiteOpenCompletion(const std::optional<WorkspaceError>& error);

    // The URL text a website action opens, or none when the address is empty or is not a
    // URL (then the browser itself is opened instead).
    static std::optional<QString> urlText(const OpenBrowserWebsiteRuleAction& action);

  private:
    bool runScript(const OpenBrowserWebsiteRuleAction& action, const QString& source, const char* kind,
                   const QString& failureTitle, const QString& failureMessage);

    WindowManager& wm_;
};

} // namespace nimbrel
