#include "EditorScrolling.h"
#include "SessionsScreenFixture.h"
#include "ui/CardSpacing.h"

namespace nimbrel {
namespace {

// The session cards, driven as a person would with the screens' springs running: a card that
// comes first or grows never covers the next, on the way or at rest, where they stand 12 pt apart.
class SessionsListSpacing : public testing::SessionsScreenFixture {
  protected:
    void SetUp() override {
        SessionsScreenFixture::SetUp();
        setSpringAnimationsEnabled(true);
        catalogue();
        for (const char* name : {"Tea", "Zeta"})
            store->addSession(session(QString::fromLatin1(name))); // no apps: a line of text, no strip
        env.scheduler.runUntilIdle();
        screen = makeScreen();
        // Tall enough to show every card.
        driver = std::make_unique<testing::QuickDriver>(
            "SessionsView.qml", QVariantMap{{"model", QVariant::fromValue<QObject*>(screen.get())}, {"height", 900}},
            QSize(420, 960));
        run();
    }
    void TearDown() override {
        driver.reset();
        screen.reset();
        setSpringAnimationsEnabled(false);
    }
    void run() {
        env.scheduler.runUntilIdle();
        clock.finish(*driver);
    }
    void clickInEditor(const QString& name) {
        testing::clickInEditor(*driver, name);
        run();
    }
    // The click that changes the list: what it sets moving is left moving.
    void change(QQuickItem* button) {
        driver->click(button);
        env.scheduler.runUntilIdle();
        driver->settle();
    }
    std::vector<testing::CardFrame> frames() {
        std::vector<testing::CardFrame> out;
        for (testing::CardFrame& frame : testing::cardFrames(driver->require("sessionCards"), "sessionCard_"))
            if (storedNames().contains(frame.name)) out.push_back(frame);
        return out;
    }
    QQuickItem* buttonOf(const QString& card, const char* button) {
        for (const testing::CardFrame& frame : frames())
            if (frame.name == card) return driver->require(button, frame.item);
        ADD_FAILURE() << "no card " << card.toStdString();
        return nullptr;
    }
    void expectCardsApart(const char* after) {
        SCOPED_TRACE(after);
        testing::expectCardsApart(clock, *driver, [this] { return frames(); });
    }

    testing::AnimationClock clock;
    std::unique_ptr<SessionsViewModel> screen;
    std::unique_ptr<testing::QuickDriver> driver;
};

TEST_F(SessionsListSpacing, CardsStandApartAfterASaveAnEditADeleteAndACloudMerge) {
    // "Session 3" sorts first, with its strip of Dock apps.
    driver->click("createSessionButton");
    run();
    clickInEditor("pickerRow_Safari");
    change(driver->require("saveSessionButton"));
    expectCardsApart("a save that adds a taller card first");
    ASSERT_EQ(frames().size(), 3u);
    EXPECT_EQ(frames()[0].name, "Session 3");
    EXPECT_GT(frames()[0].height(), frames()[1].height());

    const double teaHeight = frames()[1].height();
    driver->click(buttonOf("Tea", "editButton"));
    run();
    clickInEditor("pickerRow_Mail");
    change(driver->require("saveSessionButton"));
    expectCardsApart("an edit that makes a card taller");
    EXPECT_GT(frames()[1].height(), teaHeight);

    change(buttonOf("Session 3", "deleteButton"));
    expectCardsApart("a delete");

    // Another Mac's merge, while the list still moves from a delete: Tea gains a missing app's
    // warning and the cards below it make room at once.
    store->addSession(session("Almond"));
    run();
    change(buttonOf("Almond", "deleteButton"));
    clock.step(*driver);
    std::vector<NimbrelSession> merged = store->sessions().get();
    for (NimbrelSession& s : merged)
        if (s.name == "Tea")
            s.allowedApps.push_back(NimbrelSessionApp::normalizing("Gone", QString("com.example.gone"), std::nullopt));
    store->replaceSessionsFromCloud(merged);
    driver->settle();
    expectCardsApart("a cloud merge during a delete");
    EXPECT_EQ(frames().size(), 2u);
}

// Cards made as the list scrolls, after a delete, are drawn where the list puts them.
TEST_F(SessionsListSpacing, CardsScrolledIntoViewAfterADeleteDoNotSlide) {
    for (const char* name : {"A", "B", "C", "D", "E", "F", "G", "H"}) {
        NimbrelSession s = session(QString::fromLatin1(name));
        s.allowedApps = {NimbrelSessionApp::normalizing("Gone", QString("com.example.gone"), std::nullopt)};
        store->addSession(s);
    }
    run();
    change(buttonOf("A", "deleteButton"));
    clock.finish(*driver);
    QMetaObject::invokeMethod(driver->require("sessionCards"), "positionViewAtEnd");
    driver->settle();
    testing::expectSpacing(frames(), 12);
}

} // namespace
} // namespace nimbrel
