#include "desktop/DesktopAlert.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

namespace nimbrel {
namespace {

AlertRequest alertWith(const QString& message, QStringList buttons) {
    return {message, QStringLiteral("Why it is shown."), AlertStyle::warning, std::move(buttons)};
}

TEST(DesktopAlert, RunBlocksUntilAnsweredAndAnAlertOverAnotherIsAnsweredFirst) {
    DesktopAlert alert;
    const AlertRequest outer = alertWith(QStringLiteral("Outer"), {QStringLiteral("OK"), QStringLiteral("Cancel")});
    AlertRequest inner = alertWith(QStringLiteral("Inner"), {});
    inner.style = AlertStyle::critical;
    int innerAnswer = -2;
    QStringList shownInside;
    // Runs inside the outer alert's loop, as a person's clicks would.
    QTimer::singleShot(0, &alert, [&] {
        QTimer::singleShot(0, &alert, [&] {
            shownInside << alert.messageText() << alert.style() << alert.buttons();
            alert.answer(1); // the inner alert has one button: ignored
            alert.answer(0);
            shownInside << alert.messageText();
            alert.answer(1);
        });
        innerAnswer = alert.run(inner);
    });
    EXPECT_EQ(alert.run(outer), 1);
    EXPECT_EQ(innerAnswer, 0);
    EXPECT_EQ(shownInside, (QStringList{"Inner", "critical", "OK", "Outer"}));
    EXPECT_FALSE(alert.active());
}

// When the program quits while an alert is up, the alert ends with the answer that starts
// nothing.
TEST(DesktopAlert, QuittingTheProgramAnswersTheButtonThatDismisses) {
    const struct {
        QStringList buttons;
        int answer;
    } cases[] = {
        {{"I Understand", "Cancel"}, 1},
        {{"Open Automation Settings", "Not Now"}, 1},
        {{"Save", "Cancel", "Don't Save"}, 1},
        {{}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.buttons.join(", ").toStdString());
        DesktopAlert alert;
        int answer = -2;
        QTimer::singleShot(0, &alert, [&] {
            QTimer::singleShot(0, &alert, [] { QCoreApplication::exit(0); });
            answer = alert.run(alertWith(QStringLiteral("Quitting"), c.buttons));
        });
        QCoreApplication::exec();
        EXPECT_EQ(answer, c.answer);
        EXPECT_FALSE(alert.active());
    }
}

} // namespace
} // namespace nimbrel
