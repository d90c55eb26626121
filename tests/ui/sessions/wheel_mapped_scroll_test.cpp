#include "ui/sessions/WheelMappedScrollArea.h"
#include "ui/sessions/WheelMapping.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWheelEvent>

namespace nimbrel {
namespace {

TEST(WheelMapping, VerticalWheelsScrollSidewaysWithinTheDocument) {
    const struct {
        double dx, dy, offset, document, visible;
        bool handled;
        double next;
    } cases[] = {
        {0, -10, 20, 300, 100, true, 30},    {0, 10, 20, 300, 100, true, 10}, {6, 2, 20, 300, 100, true, 26},
        {2, 6, 20, 300, 100, true, 14},      {5, -5, 20, 300, 100, true, 25}, {0, 10, 5, 300, 100, true, 0},
        {0, -50, 180, 300, 100, true, 200},  {0, -10, 0, 80, 100, false, 0},  {0, 0, 20, 300, 100, false, 20},
        {0, -10, 200, 300, 100, false, 200}, {0, 10, 0, 300, 100, false, 0}, // pushed past an end: handed on
    };
    for (const auto& c : cases) {
        const WheelScroll scroll = wheelMappedScroll(c.dx, c.dy, c.offset, c.document, c.visible);
        EXPECT_EQ(scroll.handled, c.handled) << c.dx << "," << c.dy;
        EXPECT_DOUBLE_EQ(scroll.offset, c.next) << c.dx << "," << c.dy;
    }
}

// Only a wheel that moves the strip is taken by it; any other goes on to the list around it.
TEST(WheelMappedScrollArea, TakesOnlyWheelsThatMoveIt) {
    QQuickItem list;
    WheelMappedScrollArea strip(&list);
    QQuickItem document(&strip);
    strip.setSize(QSizeF(100, 46));
    strip.setDocumentWidth(60);
    const auto wheel = [&](QPoint angle) {
        QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), angle, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        event.setAccepted(false);
        QCoreApplication::sendEvent(&strip, &event);
        return event.isAccepted();
    };
    EXPECT_FALSE(wheel(QPoint(0, -120))) << "narrow content: nothing moves, the list gets the wheel";
    EXPECT_EQ(strip.contentX(), 0);
    strip.setDocumentWidth(400);
    EXPECT_FALSE(wheel(QPoint(0, 120))) << "at the start, pushed towards it";
    EXPECT_TRUE(wheel(QPoint(0, -120)));
    EXPECT_EQ(strip.contentX(), 15);
    EXPECT_FALSE(wheel(QPoint(0, 0)));
    strip.setDocumentWidth(105);
    EXPECT_EQ(strip.contentX(), 5) << "a narrower document keeps the offset inside it";
}

} // namespace
} // namespace nimbrel
