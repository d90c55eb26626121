#include "app/QmlTestSupport.h"
#include "engine/WindowManager.h"
#include "platform/Platform.h"
#include "platform/SharedInstance.h"
#include "platform/Workspace.h"
#include "program/NimbrelProgram.h"
#include "program/ProgramTestSupport.h"
#include "sessions/SessionsStore.h"
#include "support/QtPrinters.h"
#include "ui/TemporaryHome.h"
#include "ui/screens/ScreensHarness.h"

#include <gtest/gtest.h>

#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>

namespace nimbrel {
namespace {

// Instead of a button's index: the Return key answers the alert; or a click on Mail's Dock tile,
// beneath the alert, answers nothing.
constexpr int kReturnKey = -1;
constexpr int kMailTileBeneath = -2;

// A person at the program's desktop window who answers each alert drawn there with the next of
// `presses` (a button's index), pressing and releasing the mouse on that button. They look on
// every turn of the event loop, the alerts' own loops included. After ten seconds they give up
// and close what is open, so that a press that does nothing fails the test instead of hanging it.
class AlertAnswerer {
  public:
    AlertAnswerer(NimbrelProgram& program, std::deque<int> presses)
        : program_(program), presses_(std::move(presses)),
          deadline_(std::chrono::steady_clock::now() + std::chrono::seconds(10)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
        timer_.start(10);
    }
    // Every alert answered as the person meant to.
    bool done() const { return presses_.empty() && !gaveUp_; }
    // Each alert answered: its message and informative text.
    QStringList seen;

  private:
    void look() {
        if (std::chrono::steady_clock::now() > deadline_) {
            if (!program_.desktop().alert().active()) return;
            gaveUp_ = true;
            program_.desktop().alert().answer(0);
            return;
        }
        QQuickWindow& window = *program_.desktopWindow();
        QQuickItem* alert = testing::ScreensHarness::find(window.contentItem(), QStringLiteral("alert"));
        if (presses_.empty() || !alert || !alert->isVisible()) return;
        const int press = presses_.front();
        if (press == kMailTileBeneath) {
            presses_.pop_front();
            for (const QVariant& tile : program_.desktop().dockTiles()) {
                const QVariantMap t = tile.toMap();
                if (t["title"] != "Mail") continue;
                const Point centre = program_.desktop().viewport().toView(
                    {t["x"].toDouble() + t["width"].toDouble() / 2, t["y"].toDouble() + t["height"].toDouble() / 2});
                QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, QPoint(qRound(centre.x), qRound(centre.y)));
            }
            return;
        }
        QQuickItem* target =
            testing::ScreensHarness::find(alert, QStringLiteral("alertButton_%1").arg(press == kReturnKey ? 0 : press));
        if (!target) return;
        presses_.pop_front();
        for (const char* text : {"alertMessage", "alertInformative"})
            seen << testing::ScreensHarness::find(alert, QLatin1String(text))->property("text").toString();
        if (press == kReturnKey) return QTest::keyClick(&window, Qt::Key_Return);
        const QPoint at = target->mapToScene(QPointF(target->width() / 2, target->height() / 2)).toPoint();
        QTest::mousePress(&window, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(&window, Qt::LeftButton, Qt::NoModifier, at);
    }

    NimbrelProgram& program_;
    std::deque<int> presses_;
    std::chrono::steady_clock::time_point deadline_;
    bool gaveUp_ = false;
    QTimer timer_;
};

// Whether a window on the desktop has `value` under `key` ("title", "appName").
bool hasWindow(NimbrelProgram& program, const char* key, const QString& value) {
    for (const QVariant& window : program.desktop().windows())
        if (window.toMap().value(key) == value) return true;
    return false;
}

// The running program's alerts drawn on the desktop, waiting for a person, whose press goes
// back to the program: "Cancel" on a blocked app's alert closes it, so that the next app the
// session closes brings up another (answered with Return, the default button's key); "Open
// Automation Settings" opens that pane in System Settings. While an alert is up, the desktop
// beneath it takes no click.
TEST(ProgramAlerts, APressOnTheDrawnAlertsButtonGoesBackToTheProgram) {
    const QString blockedText = QStringLiteral("%1 is not allowed while the Focus session is active. Only apps added "
                                               "to this session can open until the session ends or is disabled.");
    const struct {
        const char* name;
        std::function<void()> raise;
        std::deque<int> presses;
        // Done once the first alert is answered.
        std::function<void()> then;
        QStringList seen;
        std::function<bool(NimbrelProgram&)> done;
    } cases[] = {
        {"a session closes the apps it does not allow",
         [] {
             NimbrelSession focus;
             focus.name = QStringLiteral("Focus");
             focus.scheduleStartTime = focus.scheduleEndTime = {0, 0}; // all day
             focus.whitelistAllApps = false;
             focus.remindBeforeSession = false;
             NimbrelSessionsStore::shared().addSession(focus);
         },
         {1, kReturnKey},
         [] { Platform::current().workspace->open(QStringLiteral("/System/Applications/TextEdit.app")); },
         {"App Blocked by Session", blockedText.arg(QStringLiteral("Finder")), "App Blocked by Session",
          blockedText.arg(QStringLiteral("TextEdit"))},
         {}},
        {"a browser refuses to be scripted",
         [] {
             WindowManager::shared().automationAlert().showBrowserAutomationPermissionAlert(QStringLiteral("Safari"));
         },
         {kMailTileBeneath, 0},
         {},
         {"Browser Automation Permission Needed",
          "Nimbrel needs macOS Automation permission to control Safari tabs and windows.\n\nOpen System Settings "
          "\u2192 Privacy & Security \u2192 Automation, then enable Safari under Nimbrel."},
         // Mail's minimized window stays in the Dock: the click beneath the alert did not reach it.
         [](NimbrelProgram& program) {
             return hasWindow(program, "title", QStringLiteral("Automation")) &&
                    !hasWindow(program, "appName", QStringLiteral("Mail"));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TemporaryHome home;
        testing::QmlWarnings warnings;
        NimbrelProgram program;
        ASSERT_TRUE(program.start());
        // The sessions store is made a second after the start.
        ASSERT_TRUE(spinUntil([] { return hasSharedInstance<NimbrelSessionsStore>(); }));
        AlertAnswerer person(program, c.presses);
        c.raise();
        ASSERT_TRUE(spinUntil([&] { return person.seen.size() >= 2; })) << "no alert was drawn to press";
        if (c.then) c.then();
        EXPECT_TRUE(spinUntil([&] { return person.done() && (!c.done || c.done(program)); }));
        EXPECT_EQ(person.seen, c.seen);
        QQuickItem* alert = testing::ScreensHarness::find(program.desktopWindow()->contentItem(), "alert");
        EXPECT_FALSE(alert && alert->isVisible());
        program.willTerminate();
        EXPECT_TRUE(warnings.empty()) << warnings.text();
    }
}

} // namespace
} // namespace nimbrel
