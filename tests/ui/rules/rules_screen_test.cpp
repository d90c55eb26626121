#include "RulesScreenFixture.h"
#include "ui/QuickDriver.h"

namespace nimbrel {
namespace {

// The rules screen driven through its QML items, as a person would use it.
class RulesScreen : public testing::RulesScreenFixture {
  protected:
    void show(const std::vector<NimbrelRule>& rules) {
        start(rules);
        driver = std::make_unique<testing::QuickDriver>(
            QStringLiteral("RulesView.qml"), QVariantMap{{"model", QVariant::fromValue<QObject*>(model.get())}});
        env.scheduler.runUntilIdle();
        driver->settle();
    }
    QQuickItem* card(int row) { return driver->require(QStringLiteral("ruleCard_%1").arg(row)); }
    // Opens the card's pause menu and picks the item with that title.
    void choosePause(int row, int itemIndex) {
        driver->click(QStringLiteral("stateButton"), card(row));
        driver->click(QStringLiteral("menuItem_%1").arg(itemIndex));
    }
    std::unique_ptr<testing::QuickDriver> driver;
};

TEST_F(RulesScreen, PausingResumingAndACustomPauseThroughTheCards) {
    show({rule("Morning")});
    const Date now = env.scheduler.now();
    ASSERT_TRUE(driver->root());
    EXPECT_FALSE(driver->find("emptyState"));

    choosePause(0, 2); // "Pause for 5 minutes", after "Disable" and the divider
    EXPECT_EQ(stored(0).pausedUntil, now.addingSeconds(300));

    driver->click(QStringLiteral("stateButton"), card(0)); // now "Resume rule"
    EXPECT_FALSE(stored(0).pausedUntil);

    choosePause(0, 10); // "Custom…"
    QQuickItem* sheet = driver->find("customPauseSheet");
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->size(), QSizeF(320, 220));
    // Its padded content stands in the middle of the sheet, not at its top.
    QQuickItem* content = driver->require("customPauseContent", sheet);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->x(), 22);
    EXPECT_NEAR(content->y(), (220 - content->height()) / 2, 0.5); // centring keeps whole pixels
    driver->type("abc"); // the minutes field has the keyboard as the sheet opens
    EXPECT_EQ(model->customPauseMinutesText(), "abc");
    driver->click(QStringLiteral("customPausePause"));
    EXPECT_TRUE(driver->find("customPauseSheet")) << "an invalid entry keeps the sheet";
    EXPECT_FALSE(stored(0).pausedUntil);

    driver->click(QStringLiteral("customPauseMinutes"));
    QTest::keyClick(&driver->window(), Qt::Key_A, Qt::ControlModifier);
    driver->type("15");
    EXPECT_EQ(model->customPauseMinutesText(), "15");
    driver->click(QStringLiteral("customPausePause"));
    EXPECT_FALSE(driver->find("customPauseSheet"));
    EXPECT_EQ(stored(0).pausedUntil, now.addingSeconds(900));
    EXPECT_EQ(persisted().at(0).pausedUntil, now.addingSeconds(900));

    // Cancel closes the sheet; the next custom choice starts from an empty field.
    driver->click(QStringLiteral("stateButton"), card(0));
    choosePause(0, 10);
    driver->type("7");
    EXPECT_EQ(model->customPauseMinutesText(), "7");
    driver->click(QStringLiteral("customPauseCancel"));
    EXPECT_FALSE(driver->find("customPauseSheet"));
    EXPECT_FALSE(stored(0).pausedUntil);
    choosePause(0, 10);
    EXPECT_EQ(driver->require("customPauseMinutesInput")->property("text").toString(), "");
}

TEST_F(RulesScreen, DisableEnablePinAndDeleteThroughTheCards) {
    show({rule("Only", "Figma", "com.figma.Desktop")}); // not installed: the card warns
    QQuickItem* warning = driver->require(QStringLiteral("missingAppWarning"), card(0));
    EXPECT_LE(warning->mapRectToItem(card(0), warning->boundingRect()).bottom(), card(0)->height() - 16)
        << "the warning stands inside the card";
    choosePause(0, 0); // "Disable"
    EXPECT_FALSE(stored(0).isEnabled);
    driver->click(QStringLiteral("stateButton"), card(0)); // "Enable rule"
    EXPECT_TRUE(stored(0).isEnabled);
    driver->click(QStringLiteral("pinButton"), card(0));
    EXPECT_TRUE(stored(0).isPinned);
    driver->click(QStringLiteral("deleteButton"), card(0));
    EXPECT_TRUE(store().rules().get().empty());
    EXPECT_TRUE(driver->find("emptyState"));
}

// An open menu keeps the list still, as a menu on a Mac does: a wheel over it or beside it
// never moves the card it was opened for away from under it.
TEST_F(RulesScreen, AWheelWhileAPauseMenuIsOpenLeavesTheListStill) {
    show({rule("A"), rule("B"), rule("C"), rule("D"), rule("E"), rule("F")});
    QQuickItem* list = driver->require("ruleCards");
    driver->wheel(list, 1);
    const double scrolled = list->property("contentY").toDouble();
    ASSERT_GT(scrolled, 0);
    driver->click(QStringLiteral("stateButton"), card(2));
    QQuickItem* menuItem = driver->require("menuItem_2");
    driver->wheel(menuItem, 3);
    driver->wheel(list, -3, QPointF(list->width() - 4, 4));
    EXPECT_EQ(list->property("contentY").toDouble(), scrolled);
    driver->click(menuItem); // "Pause for 5 minutes"
    EXPECT_EQ(stored(2).pausedUntil, env.scheduler.now().addingSeconds(300));
}

} // namespace
} // namespace nimbrel
