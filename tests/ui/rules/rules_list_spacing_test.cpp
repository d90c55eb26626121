#include "RulesScreenFixture.h"
#include "model/RuleActions.h"
#include "sync/CloudPayloads.h"
#include "ui/CardSpacing.h"

namespace nimbrel {
namespace {

// The rule cards of the list, driven as a person would with the screens' springs running, and
// looked at frame by frame: whatever changes the list, no two cards overlap on the way, and
// once it has settled they stand 12 pt apart.
class RulesListSpacing : public testing::RulesScreenFixture {
  protected:
    // The screen, by default tall enough for the editor's sections without scrolling.
    void show(const std::vector<NimbrelRule>& rules, int height = 1500) {
        setSpringAnimationsEnabled(true);
        start(rules);
        driver = std::make_unique<testing::QuickDriver>(
            QStringLiteral("RulesView.qml"),
            QVariantMap{{"model", QVariant::fromValue<QObject*>(model.get())}, {"height", height}},
            QSize(420, height + 60));
        driver->afterInput = [this] { run(); };
        run();
    }
    // The rule as another Mac's pull brings it.
    static NimbrelCloudPayloadRecord payload(const NimbrelRule& pulled) {
        NimbrelCloudPayloadRecord record;
        record.objectID = pulled.id.toString();
        record.payload = encodeCloudJSON(toJson(pulled, json::DateForm::ISO8601));
        record.createdAt = pulled.createdAt;
        record.updatedAt = pulled.updatedAt;
        return record;
    }
    // A rule whose two websites wrap its sentence onto several rows.
    NimbrelRule wrapping(const QString& name) {
        NimbrelRule r = rule(name);
        for (const char* site : {"news.example.com", "mail.example.com"})
            r.actions.push_back(NimbrelRuleAction::openBrowserWebsite({.browser = r.trigger.app,
                                                                      .urlString = QString::fromLatin1(site),
                                                                      .openingMode = NimbrelBrowserOpeningMode::newWindow,
                                                                      .placement = NimbrelWindowPlacement::leftHalf,
                                                                      .displayTarget = std::nullopt}));
        return r;
    }
    void TearDown() override {
        driver.reset();
        setSpringAnimationsEnabled(false);
    }
    // Lets due work run and every animation come to rest.
    void run() {
        env.scheduler.runUntilIdle();
        clock.finish(*driver);
    }
    // The click that changes the list: what it sets moving is left moving.
    void change(QQuickItem* button) {
        driver->click(button);
        env.scheduler.runUntilIdle();
        driver->settle();
    }
    QQuickItem* in(const QString& name, QQuickItem* from = nullptr) { return driver->require(name, from); }
    QQuickItem* cardOf(const QString& name) {
        for (const testing::CardFrame& frame : frames())
            if (frame.name == name) return frame.item;
        ADD_FAILURE() << "no card " << name.toStdString();
        return nullptr;
    }
    QQuickItem* buttonOf(const QString& card, const QString& button) {
        QQuickItem* item = cardOf(card);
        return item ? in(button, item) : nullptr;
    }
    void addWebsite(QQuickItem* action, const QString& address) {
        driver->typeInto(in("websiteField", action), address);
        driver->choose(in("openAsRow", action), 1);    // "New Window"
        driver->choose(in("placementRow", action), 3); // "Left Half"
    }
    // The cards of rules in the store, top to bottom (a card fading out after its rule was
    // deleted is on its way out and not counted).
    std::vector<testing::CardFrame> frames() {
        std::vector<testing::CardFrame> out;
        for (testing::CardFrame& frame : testing::cardFrames(in("ruleCards"), QStringLiteral("ruleCard_")))
            if (storedNamed(frame.name)) out.push_back(frame);
        return out;
    }
    const NimbrelRule* storedNamed(const QString& name) {
        for (const NimbrelRule& r : store().rules().get())
            if (r.name == name) return &r;
        return nullptr;
    }
    void expectCardsApart(const char* after) {
        SCOPED_TRACE(after);
        testing::expectCardsApart(clock, *driver, [this] { return frames(); });
    }

    testing::AnimationClock clock;
    std::unique_ptr<testing::QuickDriver> driver;
};

TEST_F(RulesListSpacing, CardsStandApartAfterASaveAnEditADeleteAPinAndACloudMerge) {
    show({rule("Tea"), rule("Zeta")});

    // A new rule, "Rule 3", sorts first; its website and placement wrap its sentence.
    driver->click(QStringLiteral("createRuleButton"));
    run();
    driver->click(QStringLiteral("triggerAppButton"));
    run();
    driver->typeInto(in("appSearchField"), "safari");
    driver->click(QStringLiteral("appRow_com.apple.Safari"));
    run();
    addWebsite(in("primaryWebsite"), "news.example.com");
    change(in("saveRuleButton"));
    expectCardsApart("a save that adds a wrapping card first");
    ASSERT_EQ(frames().size(), 3u) << store().rules().get().size();
    EXPECT_EQ(frames()[0].name, "Rule 3");
    EXPECT_GT(frames()[0].height(), frames()[1].height()) << "the new card's pills wrap onto more rows";

    // Tea gains two websites: its card grows under the first.
    const double teaHeight = frames()[1].height();
    driver->click(buttonOf("Tea", "editButton"));
    run();
    addWebsite(in("primaryWebsite"), "mail.example.com");
    driver->click(QStringLiteral("addBrowserChildButton"));
    run();
    addWebsite(in("websiteChild_0"), "calendar.example.com");
    change(in("saveRuleButton"));
    expectCardsApart("an edit that makes a card taller");
    EXPECT_GT(frames()[1].height(), teaHeight);

    change(buttonOf("Rule 3", "deleteButton"));
    expectCardsApart("a delete");
    ASSERT_EQ(frames().size(), 2u);

    change(buttonOf("Zeta", "pinButton"));
    expectCardsApart("a pin");
    EXPECT_EQ(frames()[0].name, "Zeta");

    // Another Mac added a rule that sorts first and made Tea taller still.
    NimbrelRule added = rule("Almond");
    added.actions = stored(0).actions;
    added.isPinned = true;
    NimbrelRule taller = *storedNamed("Tea");
    taller.actions.push_back(taller.actions.front());
    taller.updatedAt = taller.updatedAt.addingSeconds(60);
    store().applyCloudRules({payload(added), payload(taller)}, {});
    driver->settle();
    expectCardsApart("a cloud merge");
    EXPECT_EQ(frames().size(), 3u);
}

TEST_F(RulesListSpacing, ACardGrowingWhileTheCardsMoveUp) {
    show({wrapping("A"), rule("B"), rule("C"), rule("D")});
    change(buttonOf("A", "deleteButton"));
    clock.step(*driver);
    clock.step(*driver);
    NimbrelRule taller = *storedNamed("B");
    taller.actions = wrapping("B").actions;
    taller.updatedAt = taller.updatedAt.addingSeconds(60);
    store().applyCloudRules({payload(taller)}, {});
    driver->settle();
    expectCardsApart("a cloud merge while a delete moves the cards");
}

// Cards made as the list scrolls, after a delete, are drawn where the list puts them.
TEST_F(RulesListSpacing, CardsScrolledIntoViewAfterADeleteDoNotSlide) {
    show({wrapping("A"), rule("B"), wrapping("C"), wrapping("D"), wrapping("E"), wrapping("F"), wrapping("G")}, 500);
    change(buttonOf("A", "deleteButton"));
    clock.finish(*driver);
    QMetaObject::invokeMethod(in("ruleCards"), "positionViewAtEnd");
    driver->settle();
    testing::expectSpacing(frames(), 12);
}

} // namespace
} // namespace nimbrel
