#pragma once

#include "model/RuleActions.h"

#include <vector>

namespace nimbrel {

class WindowManager;

// Opens the websites of a rule made only of websites together: one script for Safari or a
// Chromium-family browser when every action uses the same opening mode, else one by one.
// After the script the new windows are placed and recorded as the browser's rule group.
class BrowserGroupOpener {
  public:
    explicit BrowserGroupOpener(WindowManager& wm) : wm_(wm) {}

    void executeBrowserGroup(const std::vector<OpenBrowserWebsiteRuleAction>& actions);
    void closeBlankSafariStarterWindowsIfNeeded(const std::vector<OpenBrowserWebsiteRuleAction>& actions);
    void closeBlankSafariStarterWindows();
    // Notes the browser's titled windows, so that they never join the group.
    void snapshotPreexistingBrowserWindows(const std::vector<OpenBrowserWebsiteRuleAction>& actions);
    // True when the script was sent and ran without error.
    bool runBrowserGroupAppleScript(const std::vector<OpenBrowserWebsiteRuleAction>& actions);
    void captureBrowserGroupWindows(const std::vector<OpenBrowserWebsiteRuleAction>& actions);
    void placeAndRecordBrowserGroupWindows(const OpenBrowserWebsiteRuleAction& first,
                                           const std::vector<OpenBrowserWebsiteRuleAction>& placed,
                                           const std::vector<OpenBrowserWebsiteRuleAction>& newWindow);

  private:
    void openOneByOne(const std::vector<OpenBrowserWebsiteRuleAction>& actions);

    WindowManager& wm_;
};

} // namespace nimbrel
