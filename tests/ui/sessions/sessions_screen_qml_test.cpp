#include "SessionsScreenFixture.h"

#include "EditorScrolling.h"
#include "SessionAppSamples.h"
#include "support/QtPrinters.h"
#include "ui/AnimationClock.h"
#include "ui/CardSpacing.h"
#include "ui/sessions/WheelMappedScrollArea.h"

#include <QWheelEvent>

namespace nimbrel {
namespace {

class SessionsScreenQml : public testing::SessionsScreenFixture {
  protected:
    void SetUp() override {
        SessionsScreenFixture::SetUp();
        catalogue(); // the installed apps are known before the screen opens
        env.scheduler.runUntilIdle();
        screen = makeScreen();
        driver = std::make_unique<testing::QuickDriver>(
            "SessionsView.qml", QVariantMap{{"model", QVariant::fromValue<QObject*>(screen.get())}});
        env.scheduler.runUntilIdle();
        driver->settle();
    }
    void TearDown() override {
        driver.reset();
        screen.reset();
    }

    void clickInEditor(const QString& name) { testing::clickInEditor(*driver, name); }
    void addSessions(int count) {
        for (int i = 1; i <= count; ++i)
            store->addSession(session(QStringLiteral("Session %1").arg(i)));
        env.scheduler.runUntilIdle();
        driver->settle();
    }
    // Turns the wheel over `list` a notch at a time, letting nothing run in between, until the
    // item that `find` gives lies wholly in view (at most 40 notches); returns it then.
    QQuickItem* wheelUntilShown(QQuickItem* list, const std::function<QQuickItem*()>& find) {
        for (int notch = 0; notch < 40; ++notch) {
            QQuickItem* item = find();
            if (testing::QuickDriver::shows(list, item)) return item;
            const bool above = item && item->mapToItem(list, QPointF(0, 0)).y() < 0;
            driver->wheel(list, above ? -1 : 1, QPointF(4, list->height() / 2)); // beside any sideways strip
        }
        ADD_FAILURE() << "the wheel did not bring the item into view";
        return nullptr;
    }
    QQuickItem* card(int row) { return driver->find(QStringLiteral("sessionCard_%1").arg(row)); }

    std::unique_ptr<SessionsViewModel> screen;
    std::unique_ptr<testing::QuickDriver> driver;
};

TEST_F(SessionsScreenQml, CreateEditAndDeleteASessionThroughTheScreen) {
    EXPECT_TRUE(driver->find("emptyState"));
    driver->click("createSessionButton");
    ASSERT_TRUE(screen->isEditorOpen());
    EXPECT_EQ(driver->require("sessionsList")->opacity(), 0) << "the list fades out under the editor";

    driver->click("sessionNameFieldInput");
    driver->type("Focus");
    for (const char* app : {"pickerRow_Safari", "pickerRow_Mail", "pickerRow_Notes"})
        clickInEditor(app);
    clickInEditor("quickSymbol_moon.fill");
    env.simulated.alerts().answerNextOpenPanel(QStringList{"/Users/Shared/Sea.png"});
    clickInEditor("wallpaperButton");
    clickInEditor("whitelistAllRowSwitch");
    EXPECT_TRUE(driver->find("manageWhitelistButton"));
    clickInEditor("weekday_0");
    driver->click("saveSessionButton");

    ASSERT_FALSE(screen->isEditorOpen());
    ASSERT_EQ(store->sessions().get().size(), 1u);
    const NimbrelSession saved = store->sessions().get().front();
    EXPECT_EQ(saved.name, "Focus");
    QStringList dock;
    for (const NimbrelSessionApp& app : saved.allowedApps)
        dock << app.displayName;
    EXPECT_EQ(dock, QStringList({"Finder", "Launchpad", "Safari", "Mail", "Notes"}));
    EXPECT_EQ(saved.menuBarSymbolName, "moon.fill");
    ASSERT_EQ(saved.wallpaperSelections.size(), 1u);
    EXPECT_EQ(saved.wallpaperSelections.front().path, "/Users/Shared/Sea.png");
    EXPECT_FALSE(saved.whitelistAllApps);
    EXPECT_FALSE(saved.scheduleWeekdays.contains(NimbrelSessionWeekday::sunday));
    EXPECT_EQ(driver->require("statusText")->property("text").toString(), "Active") << "a Tuesday noon session";

    // The card's strip shows the installed Dock apps at their own width.
    auto* strip = qobject_cast<WheelMappedScrollArea*>(driver->require("appStrip"));
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->documentWidth(), strip->width()) << "five icons fit";
    const std::function<int(QQuickItem*)> icons = [&](QQuickItem* item) {
        int n = item->objectName() == "stripApp" ? 1 : 0;
        for (QQuickItem* child : item->childItems())
            n += icons(child);
        return n;
    };
    EXPECT_EQ(icons(strip), 5);

    driver->click("editButton");
    ASSERT_TRUE(screen->isEditorOpen());
    EXPECT_EQ(screen->editorModel()->saveTitle(), "Save Session");
    driver->click("editorBackButton");
    EXPECT_FALSE(screen->isEditorOpen());

    driver->click("deleteButton");
    EXPECT_TRUE(store->sessions().get().empty());
    EXPECT_TRUE(driver->find("emptyState"));
}

// Names from the sessions file, the cloud or an app bundle are shown as written, never as markup.
TEST_F(SessionsScreenQml, NamesShowAsWritten) {
    NimbrelSession hostile = session("<b>Bold</b> & <img src=x>");
    hostile.allowedApps = {NimbrelSessionApp::normalizing("<i>Gone</i>", QString("com.example.gone"), std::nullopt)};
    store->addSession(hostile);
    driver->settle();
    const std::function<QStringList(QQuickItem*)> texts = [&](QQuickItem* item) {
        QStringList out;
        if (item->inherits("QQuickText") && item->isVisible())
            out << item->property("text").toString() + "|" + QString::number(item->property("textFormat").toInt());
        for (QQuickItem* child : item->childItems())
            out << texts(child);
        return out;
    };
    const QStringList shown = texts(driver->require("sessionCard_0"));
    EXPECT_TRUE(shown.contains("<b>Bold</b> & <img src=x>|" + QString::number(Qt::PlainText)))
        << shown.join("\n").toStdString();
    EXPECT_TRUE(
        shown.contains("Not installed on this Mac: <i>Gone</i>. Session runs normally for all installed apps.|" +
                       QString::number(Qt::PlainText)))
        << shown.join("\n").toStdString();
}

TEST_F(SessionsScreenQml, LibrariesSlideOverTheFormAndBack) {
    driver->click("createSessionButton");
    clickInEditor("viewAllSymbolsButton");
    EXPECT_EQ(driver->require("editorForm")->opacity(), 0) << "the form fades out under the library";
    driver->click("librarySymbol_flame.fill");
    driver->click("useSelectedSymbolButton");
    EXPECT_EQ(driver->require("editorForm")->opacity(), 1);
    EXPECT_EQ(screen->editorModel()->state().menuBarSymbolName, "flame.fill");

    clickInEditor("whitelistAllRowSwitch");
    clickInEditor("manageWhitelistButton");
    driver->click("whitelistSearchText");
    driver->type("safari");
    driver->click("whitelistRow_Safari");
    driver->click("whitelistLibraryBackButton");
    EXPECT_EQ(screen->editorModel()->blocking()->countText(), "1 allowed");
    EXPECT_TRUE(driver->find("whitelistStrip"));
}

TEST_F(SessionsScreenQml, DockOrderArrowsMoveAppsAndFinderStaysFirst) {
    driver->click("createSessionButton");
    clickInEditor("pickerRow_Safari");
    QQuickItem* launchpad = driver->require("dockOrderRow_Launchpad");
    ASSERT_TRUE(launchpad);
    clickInEditor("dockOrderRow_Finder");
    EXPECT_EQ(env.mac().recorder().texts(sim::EventKind::alert).back(), "beep");
    QQuickItem* down = driver->require("moveDown", launchpad);
    driver->click(down);
    QStringList order;
    for (const NimbrelSessionApp& app : screen->editorModel()->state().selectedApps)
        order << app.displayName;
    EXPECT_EQ(order, QStringList({"Finder", "Safari", "Launchpad"}));
    driver->click(driver->require("moveDown", driver->require("dockOrderRow_Launchpad")));
    EXPECT_EQ(screen->editorModel()->state().selectedApps.back().displayName, "Launchpad") << "the last app stays last";
}

// The strip's document holds its tiles and their inset on both sides, so the last tile can be
// scrolled fully into view.
TEST_F(SessionsScreenQml, DockStripReachesPastItsLastTile) {
    driver->click("createSessionButton");
    for (const char* app : {"pickerRow_Safari", "pickerRow_Mail", "pickerRow_Notes", "pickerRow_Calendar"})
        clickInEditor(app);
    auto* strip = qobject_cast<WheelMappedScrollArea*>(driver->require("dockAppsStrip"));
    ASSERT_TRUE(strip);
    QQuickItem* last = nullptr;
    const std::function<void(QQuickItem*)> findLast = [&](QQuickItem* item) {
        if (item->objectName() == "dockStripTile") last = item;
        for (QQuickItem* child : item->childItems())
            findLast(child);
    };
    findLast(strip);
    ASSERT_TRUE(last);
    const double lastEdge = last->mapToItem(strip, QPointF(last->width(), 0)).x() + strip->contentX();
    EXPECT_GT(lastEdge, strip->width()) << "six tiles overflow the strip";
    EXPECT_EQ(strip->documentWidth(), lastEdge + 10);
}

// The wheel moves a list at once: a click right after it brought an item into view reaches
// that item, with no flick still moving the list under the pointer.
TEST_F(SessionsScreenQml, AClickRightAfterTheWheelReachesWhatItBroughtIntoView) {
    addSessions(8);
    testing::AnimationClock clock; // no animation moves unless the test steps it
    const auto state = [&] { return screen->editorModel()->state(); };
    const struct {
        const char* list;
        std::function<QQuickItem*()> item;
        std::function<bool()> tookEffect;
    } cases[] = {
        {"sessionCards", [&] { return card(7) ? driver->find("toggleButton", card(7)) : nullptr; },
         [&] { return !store->sessions().get().back().isEnabled; }},
        {"editorScroll", [&] { return driver->find("whitelistAllRowSwitch"); },
         [&] { return !state().whitelistAllApps; }},
        {"editorScroll", [&] { return driver->find("pickerRow_Safari"); },
         [&] { return state().selectedApps.back().displayName == "Safari"; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        if (c.list == QString("editorScroll") && !screen->isEditorOpen()) driver->click("createSessionButton");
        QQuickItem* item = wheelUntilShown(driver->require(c.list), c.item);
        ASSERT_TRUE(item);
        driver->click(item);
        EXPECT_TRUE(c.tookEffect());
    }
}

// A wheel over a strip of apps moves the strip while it can move that way; over a strip whose
// apps fit, or one at the end the wheel pushes it to, the list around it moves instead. The
// editor's whitelist strip moves only sideways, so an upright wheel over it moves the editor.
TEST_F(SessionsScreenQml, AWheelOverAStripMovesTheListWhereTheStripCannotMove) {
    NimbrelSession every = session("Every App", true);
    for (const auto& app : catalogue()->apps().get())
        every.allowedApps.push_back(NimbrelSessionApp::normalizing(app.displayName, app.bundleIdentifier, app.path));
    store->addSession(every);
    for (int i = 1; i <= 6; ++i) {
        NimbrelSession few = session(QStringLiteral("Session %1").arg(i));
        few.allowedApps = {testing::safari(), testing::mail()};
        few.whitelistAllApps = false;
        few.whitelistedApps = {testing::safari()};
        store->addSession(few);
    }
    env.scheduler.runUntilIdle();
    driver->settle();
    const struct {
        const char* scene;
        std::function<QQuickItem*()> strip; // brings it into view
        const char* list;
        bool stripMoves;
    } cases[] = {
        {"a card's strip of two apps", [&] { return driver->find("appStrip", card(1)); }, "sessionCards", false},
        {"a card's strip of every app", [&] { return driver->find("appStrip", card(0)); }, "sessionCards", true},
        {"the editor's whitelist strip",
         [&] {
             driver->click(driver->require("editButton", card(1)));
             return testing::scrollInEditor(*driver, "whitelistStrip");
         },
         "editorScroll", false},
    };
    const auto offset = [](QQuickItem* item, const char* axis) { return item->property(axis).toDouble(); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scene);
        driver->require("sessionCards")->setProperty("contentY", -2.0); // the top of the list
        QQuickItem* strip = c.strip();
        QQuickItem* list = driver->require(c.list);
        ASSERT_TRUE(strip && list);
        const double top = offset(list, "contentY");
        int steps = 0;
        for (double before = -1; steps < 40 && offset(strip, "contentX") != before; ++steps) {
            before = offset(strip, "contentX");
            driver->wheel(strip, 1);
            if (offset(strip, "contentX") != before) {
                EXPECT_EQ(offset(list, "contentY"), top) << "the strip took it";
            }
        }
        EXPECT_EQ(steps > 1, c.stripMoves) << steps;
        EXPECT_GT(offset(list, "contentY"), top) << "the step the strip could not take moved the list";
        if (!c.stripMoves) continue;
        EXPECT_EQ(offset(strip, "contentX"), offset(strip, "documentWidth") - strip->width()) << "at its end";
        const double listAfter = offset(list, "contentY");
        driver->wheel(strip, -1);
        EXPECT_LT(offset(strip, "contentX"), offset(strip, "documentWidth") - strip->width()) << "back the other way";
        EXPECT_EQ(offset(list, "contentY"), listAfter);
    }
}

// A help tip shows beside its item, inside the screen, once the pointer has rested on the item.
// It goes when a wheel moves the item from under the resting pointer, or the pointer leaves the
// screen or the window, and does not come back while the pointer rests.
TEST_F(SessionsScreenQml, AHelpTipGoesWhenItsItemMovesOrThePointerLeaves) {
    for (int i = 1; i <= 6; ++i) {
        NimbrelSession few = session(QStringLiteral("Session %1").arg(i));
        few.allowedApps = {testing::safari(), testing::mail()};
        store->addSession(few);
    }
    env.scheduler.runUntilIdle();
    driver->settle();
    testing::AnimationClock clock;
    const auto rest = [&] { // longer than a tip waits, on the scheduler's clock and the animations'
        env.scheduler.advance(1.5);
        clock.step(*driver, 1500);
    };
    QQuickWindow& window = driver->window();
    const auto wheel = [&](QPointF at) { testing::turnWheel(window, at, 3); };
    // A trackpad swipe of a few points: the item moves but stays under the pointer.
    const auto nudge = [&](QPointF at) {
        QWheelEvent swipe(at, at, QPoint(0, -4), QPoint(0, -4), Qt::NoButton, Qt::NoModifier, Qt::ScrollUpdate, false);
        QCoreApplication::sendEvent(&window, &swipe);
    };
    // Qt looks again at what lies under the resting pointer, as it does on some frames.
    const auto wheelAndLookAgain = [&](QPointF at) {
        wheel(at);
        QMouseEvent still(QEvent::MouseMove, at, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &still);
    };
    const auto stripOfCard = [&] { return driver->find("appStrip", card(0)); };
    const QString stripHelp = "Scroll up or down to move through session apps";
    const struct {
        const char* scene;
        std::function<QQuickItem*()> item;
        QString text;
        std::function<void(QPointF)> away; // given where the pointer rests
    } cases[] = {
        {"the list wheeled under a card's strip", stripOfCard, stripHelp, wheel},
        {"the list wheeled, Qt looking again", stripOfCard, stripHelp, wheelAndLookAgain},
        {"the list nudged under a card's strip", stripOfCard, stripHelp, nudge},
        {"the pointer off the screen", stripOfCard, stripHelp, // the screen is 360 x 500
         [&](QPointF) { QTest::mouseMove(&window, QPoint(400, 540)); }},
        {"the pointer out of the window", stripOfCard, stripHelp,
         [&](QPointF) {
             QEvent leave(QEvent::Leave);
             QCoreApplication::sendEvent(&window, &leave);
         }},
        {"the editor wheeled under a symbol",
         [&] {
             if (!screen->isEditorOpen()) driver->click("createSessionButton");
             return testing::scrollInEditor(*driver, "quickSymbol_moon.fill");
         },
         "moon.fill", wheel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scene);
        driver->require("sessionCards")->setProperty("contentY", -2.0);
        QQuickItem* item = c.item();
        ASSERT_TRUE(item);
        const QPointF at = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
        QTest::mouseMove(&window, at.toPoint());
        driver->settle();
        EXPECT_FALSE(driver->find("helpTip")) << "not at once";
        rest();
        QQuickItem* tip = driver->find("helpTip");
        ASSERT_TRUE(tip);
        EXPECT_EQ(tip->childItems().value(0)->property("text").toString(), c.text);
        const QRectF shown = tip->mapRectToScene(tip->boundingRect());
        const QRectF beside = item->mapRectToScene(item->boundingRect());
        EXPECT_TRUE(driver->root()->mapRectToScene(driver->root()->boundingRect()).contains(shown));
        EXPECT_TRUE(shown.left() < beside.right() && beside.left() < shown.right());
        EXPECT_TRUE(std::abs(shown.top() - beside.bottom() - 6) < 1 || std::abs(beside.top() - shown.bottom() - 6) < 1)
            << "drawn at " << shown.y() << ", the item at " << beside.y();

        c.away(at);
        driver->settle();
        EXPECT_FALSE(driver->find("helpTip"));
        rest();
        EXPECT_FALSE(driver->find("helpTip")) << "back under a resting pointer";
        QTest::mouseMove(&window, QPoint(1, 1));
    }
}

// A field the person can no longer see gives up the keyboard: what is typed next reaches
// neither the field nor what it edits.
TEST_F(SessionsScreenQml, AFieldOutOfSightLosesTheKeyboard) {
    testing::AnimationClock clock;
    driver->click("createSessionButton");
    const struct {
        const char* field;
        std::function<void()> show, hide;
    } cases[] = {
        {"endTimePickerFieldInput", [] {}, [&] { driver->wheel(driver->require("editorScroll"), 6); }},
        {"whitelistSearchTextInput",
         [&] {
             clickInEditor("whitelistAllRowSwitch");
             clickInEditor("manageWhitelistButton");
         },
         [&] { driver->click("whitelistLibraryBackButton"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        c.show();
        QQuickItem* field = driver->require(c.field);
        driver->click(field);
        ASSERT_TRUE(field && field->hasActiveFocus());
        const QString text = field->property("text").toString();
        c.hide();
        clock.finish(*driver); // whatever the hiding set moving comes to rest
        driver->type("50");
        EXPECT_FALSE(field->hasActiveFocus());
        EXPECT_EQ(field->property("text").toString(), text);
    }
    EXPECT_EQ(screen->editorModel()->state().endMinute, 0) << "the session still ends on the hour";
}

// A card saved or pinned to the far end of a list scrolled to the other is shown there, whole.
TEST_F(SessionsScreenQml, ACardMovedOutOfViewIsShown) {
    addSessions(8);
    const auto rename = [&](const QString& name) {
        return [this, name](QQuickItem* card) {
            driver->click(driver->require("editButton", card));
            driver->click("sessionNameFieldInput");
            QTest::keyClick(&driver->window(), Qt::Key_A, Qt::ControlModifier);
            driver->type(name);
            driver->click("saveSessionButton");
            env.scheduler.runUntilIdle();
        };
    };
    const testing::CardMove cases[] = {
        {"renamed to sort first", true, rename("Alpha"), "Alpha"},
        {"renamed to sort last", false, rename("Zulu"), "Zulu"},
        {"pinned", true, [&](QQuickItem* card) { driver->click(driver->require("pinButton", card)); }, "Zulu"},
    };
    for (const testing::CardMove& c : cases)
        testing::expectMovedCardShown(*driver, driver->require("sessionCards"), "sessionCard_", c);
}

} // namespace
} // namespace nimbrel
