#include "engine/EngineServices.h"
#include "engine/NimbrelEngine.h"
#include "engine/WindowManager.h"
#include "model/RulesStore.h"
#include "ui/QuickDriver.h"
#include "ui/UiTestPlatform.h"
#include "ui/rules/RuleEditorViewModel.h"
#include "ui/rules/RulesPreview.h"
#include "ui/rules/RulesViewModel.h"

namespace nimbrel {
namespace {

// The whole path: the rules screen and its editor driven through their QML items as a person
// would, the shared rules store, and the engine with the window manager on the simulated Mac.
class RuleEditorScreen : public ::testing::Test {
  protected:
    RuleEditorScreen() {
        env.mac().setTrusted(true);
        windows = std::make_unique<WindowManager>(env.platform);
        engine = std::make_unique<NimbrelEngine>(
            env.platform,
            NimbrelEngine::Options{EngineServices::standard(env.platform), windows.get(), kNimbrelBundleIdentifier});
        engine->startMonitoring();
        model = std::make_unique<RulesViewModel>(env.platform, NimbrelRulesStore::sharedPtr(),
                                                 previewEditorServices(env.platform));
        // Tall enough for every section of the editor without scrolling.
        driver = std::make_unique<testing::QuickDriver>(
            QStringLiteral("RulesView.qml"),
            QVariantMap{{"model", QVariant::fromValue<QObject*>(model.get())}, {"height", 1900}}, QSize(420, 1960));
        driver->afterInput = [this] { run(); };
        run();
    }
    ~RuleEditorScreen() override {
        driver.reset();
        model.reset();
        engine.reset();
        windows.reset();
    }
    // Lets the scheduler's due work run (the catalogue's scan, the screen's entrance) and redraws.
    void run() {
        env.scheduler.runUntilIdle();
        driver->settle();
    }
    QQuickItem* in(const QString& name, QQuickItem* from = nullptr) { return driver->require(name, from); }
    void choose(QQuickItem* row, int item) { driver->choose(row, item); }
    void typeInto(QQuickItem* field, const QString& text) { driver->typeInto(field, text); }
    void clickDockTile(const QString& title) {
        for (const sim::DockTile& tile : env.mac().dockTiles())
            if (tile.title == title) {
                env.mac().mouseDown({tile.frame.midX(), tile.frame.midY()});
                env.scheduler.advance(0.03);
                env.mac().mouseUp();
                return;
            }
        ADD_FAILURE() << "no Dock tile " << title.toStdString();
    }
    // The frame of Safari's window that shows `url`.
    std::optional<Rect> safariWindowShowing(const QString& url) {
        if (sim::App* safari = env.mac().appWithBundleId(QStringLiteral("com.apple.Safari")))
            for (const sim::Window& w : safari->windows)
                for (const sim::Tab& tab : w.tabs)
                    if (tab.url == url) return w.frame;
        return std::nullopt;
    }
    QStringList safariUrls() {
        QStringList urls;
        if (sim::App* safari = env.mac().appWithBundleId(QStringLiteral("com.apple.Safari")))
            for (const sim::Window& w : safari->windows)
                for (const sim::Tab& tab : w.tabs)
                    urls << tab.url;
        return urls;
    }

    testing::UiTestPlatform env;
    std::unique_ptr<WindowManager> windows;
    std::unique_ptr<NimbrelEngine> engine;
    std::unique_ptr<RulesViewModel> model;
    std::unique_ptr<testing::QuickDriver> driver;
};

TEST_F(RuleEditorScreen, ASafariRuleMadeInTheEditorOpensItsTwoWebsitesOnADoubleClick) {
    driver->click(QStringLiteral("createRuleButton"));
    run();
    choose(in("clickCountRow"), 1); // "2 times"

    driver->click(QStringLiteral("triggerAppButton"));
    run();
    typeInto(in("appSearchField"), "safari");
    driver->click(QStringLiteral("appRow_com.apple.Safari"));
    run();
    EXPECT_EQ(model->editorModel()->chosenAppName(), "Safari");

    QQuickItem* primary = in("primaryWebsite");
    typeInto(in("websiteField", primary), "news.example.com");
    choose(in("openAsRow", primary), 1);    // "New Window"
    choose(in("placementRow", primary), 3); // "Left Half"

    driver->click(QStringLiteral("addBrowserChildButton"));
    run();
    auto child = [this] { return in("websiteChild_0"); };
    typeInto(in("websiteField", child()), "mail.example.com");
    choose(in("openAsRow", child()), 1);
    choose(in("placementRow", child()), 4); // "Right Half"

    driver->click(QStringLiteral("saveRuleButton"));
    run();
    EXPECT_FALSE(model->isEditorOpen());
    const std::vector<NimbrelRule>& rules = NimbrelRulesStore::shared().rules().get();
    ASSERT_EQ(rules.size(), 1u);
    const NimbrelRule& rule = rules[0];
    EXPECT_EQ(rule.name, "Rule 1");
    EXPECT_EQ(rule.trigger.clickCount, 2);
    EXPECT_EQ(rule.trigger.app.bundleIdentifier, "com.apple.Safari");
    ASSERT_EQ(rule.actions.size(), 2u);
    for (const auto& [i, url, placement] : {std::tuple{0, "news.example.com", NimbrelWindowPlacement::leftHalf},
                                            std::tuple{1, "mail.example.com", NimbrelWindowPlacement::rightHalf}}) {
        const auto* site = rule.actions[size_t(i)].as<OpenBrowserWebsiteRuleAction>();
        ASSERT_TRUE(site);
        EXPECT_EQ(site->urlString, url);
        EXPECT_EQ(site->openingMode, NimbrelBrowserOpeningMode::newWindow);
        EXPECT_EQ(site->placement, placement);
    }

    // A person double-clicks Safari in the Dock.
    EXPECT_FALSE(safariUrls().contains("https://news.example.com"));
    clickDockTile(QStringLiteral("Safari"));
    env.scheduler.advance(0.05);
    clickDockTile(QStringLiteral("Safari"));
    env.scheduler.advance(5);
    const QStringList urls = safariUrls();
    EXPECT_TRUE(urls.contains("https://news.example.com")) << urls.join(", ").toStdString();
    EXPECT_TRUE(urls.contains("https://mail.example.com")) << urls.join(", ").toStdString();
    // Each in its own window: the first on the left half, the second on the right half beside it.
    const std::optional<Rect> left = safariWindowShowing("https://news.example.com");
    const std::optional<Rect> right = safariWindowShowing("https://mail.example.com");
    ASSERT_TRUE(left && right);
    EXPECT_EQ(left->minX(), 0);
    EXPECT_EQ(left->maxX(), right->minX());
    EXPECT_EQ(left->size.width, right->size.width);
}

TEST_F(RuleEditorScreen, TerminalCommandRowsAreTypedAddedAndRemovedThroughTheList) {
    driver->click(QStringLiteral("createRuleButton"));
    run();
    driver->click(QStringLiteral("triggerAppButton"));
    run();
    typeInto(in("appSearchField"), "terminal");
    driver->click(QStringLiteral("appRow_com.apple.Terminal"));
    run();
    EXPECT_EQ(driver->find(QStringLiteral("removeCommandButton")), nullptr); // one row: none
    typeInto(in("commandField", in("commandRow_0")), "cd ~/src");
    driver->click(QStringLiteral("addCommandButton"));
    run();
    typeInto(in("commandField", in("commandRow_1")), "make");
    driver->click(in("removeCommandButton", in("commandRow_0")));
    env.scheduler.advance(1); // the row leaves with its spring
    run();
    driver->click(QStringLiteral("saveRuleButton"));
    run();
    const std::vector<NimbrelRule>& rules = NimbrelRulesStore::shared().rules().get();
    ASSERT_EQ(rules.size(), 1u);
    const auto* script = rules[0].actions.at(0).as<TerminalScriptRuleAction>();
    ASSERT_TRUE(script);
    ASSERT_EQ(script->commands.size(), 1u);
    EXPECT_EQ(script->commands[0].command, "make");
}

} // namespace
} // namespace nimbrel
