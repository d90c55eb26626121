#pragma once

#include "WindowManagerFixture.h"

#include <set>

namespace nimbrel::test {

// The window manager over the simulated Mac, with helpers for browser windows.
class BrowserFixture : public WindowManagerFixture {
  protected:
    static OpenBrowserWebsiteRuleAction website(const QString& browser, std::optional<QString> bundleId,
                                                const QString& url,
                                                NimbrelBrowserOpeningMode mode = NimbrelBrowserOpeningMode::newWindow,
                                                NimbrelWindowPlacement placement = NimbrelWindowPlacement::front) {
        OpenBrowserWebsiteRuleAction a;
        a.browser = {browser, std::move(bundleId), std::nullopt};
        a.urlString = url;
        a.openingMode = mode;
        a.placement = placement;
        return a;
    }
    static OpenBrowserWebsiteRuleAction safari(const QString& url,
                                               NimbrelBrowserOpeningMode mode = NimbrelBrowserOpeningMode::newWindow,
                                               NimbrelWindowPlacement placement = NimbrelWindowPlacement::front) {
        return website(QStringLiteral("Safari"), sim::kSafariBundleId, url, mode, placement);
    }
    static OpenBrowserWebsiteRuleAction chrome(const QString& url,
                                               NimbrelBrowserOpeningMode mode = NimbrelBrowserOpeningMode::newWindow,
                                               NimbrelWindowPlacement placement = NimbrelWindowPlacement::front) {
        return website(QStringLiteral("Google Chrome"), QStringLiteral("com.google.Chrome"), url, mode, placement);
    }

    sim::App& safariApp() { return app(sim::kSafariBundleId); }
    sim::App& chromeApp() { return app(QStringLiteral("com.google.Chrome")); }
    sim::Window* windowShowing(sim::App& browser, const QString& url) {
        for (sim::Window& w : browser.windows)
            for (const sim::Tab& t : w.tabs)
                if (t.url == url) return &w;
        return nullptr;
    }
    QStringList urlsOf(const sim::Window& w) const {
        QStringList out;
        for (const sim::Tab& t : w.tabs)
            out << t.url;
        return out;
    }
    // Virtual seconds of the Mac's clock when the last event was recorded.
    double lastEventTime() {
        const auto& events = mac.recorder().events();
        return events.empty() ? 0 : events.back().time;
    }
    // The distinct moments (seconds after `since`, rounded to 10 ms) at which a window's
    // position was written.
    std::vector<double> positionWriteTimes(double since) {
        std::set<long> moments;
        for (const sim::Event& e : mac.recorder().events(sim::EventKind::accessibilityWrite))
            if (e.text.startsWith(QStringLiteral("set AXPosition")) && e.time >= since)
                moments.insert(std::lround((e.time - since) * 100));
        std::vector<double> out;
        for (long m : moments)
            out.push_back(double(m) / 100);
        return out;
    }
    int countWrites(const QString& fragment) { return countEvents(sim::EventKind::accessibilityWrite, fragment); }
};

// Compiles nothing: every text is a syntax error, and nothing is ever run.
class UncompilableScripts final : public AppleScriptRunner {
  public:
    std::optional<QVariantMap> compile(const QString&) override {
        return QVariantMap{{kAppleScriptErrorMessage, QStringLiteral("Expected end of line.")},
                           {kAppleScriptErrorNumber, kAppleScriptSyntaxError}};
    }
    AppleScriptResult execute(const QString&) override {
        ++executed;
        return {};
    }
    int executed = 0;
};

} // namespace nimbrel::test
