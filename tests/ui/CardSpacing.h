#pragma once

#include "ui/AnimationClock.h"

#include <gtest/gtest.h>

#include <QQuickItem>
#include <QVariantMap>

#include <algorithm>
#include <functional>
#include <vector>

namespace nimbrel::testing {

// Where one card of a list is drawn (its place and its slide), in the list's content;
// `shownTop` and `shownBottom` bound what the list shows of its content (it draws nothing
// outside).
struct CardFrame {
    QQuickItem* item = nullptr;
    QString name;
    double top = 0;
    double bottom = 0;
    double shownTop = 0;
    double shownBottom = 0;
    double height() const { return bottom - top; }
};

// The cards a ListView shows, whole or in part (delegates named `prefix`), top to bottom.
inline std::vector<CardFrame> cardFrames(QQuickItem* list, const QString& prefix) {
    std::vector<CardFrame> frames;
    auto* content = list ? list->property("contentItem").value<QQuickItem*>() : nullptr;
    if (!content) return frames;
    const double shownTop = list->property("contentY").toDouble();
    const double shownBottom = shownTop + list->height();
    for (QQuickItem* item : content->childItems()) {
        const QObject* slide = item->findChild<QObject*>(QStringLiteral("cardSlide"));
        const double top = item->y() + (slide ? slide->property("y").toDouble() : 0);
        if (item->isVisible() && item->objectName().startsWith(prefix) && top < shownBottom &&
            top + item->height() > shownTop)
            frames.push_back({item, item->property("card").toMap().value(QStringLiteral("name")).toString(), top,
                              top + item->height(), shownTop, shownBottom});
    }
    std::sort(frames.begin(), frames.end(), [](const CardFrame& a, const CardFrame& b) { return a.top < b.top; });
    return frames;
}

// No card covers a part of another that the list shows.
inline void expectNoOverlap(const std::vector<CardFrame>& frames, int frame) {
    for (size_t i = 1; i < frames.size(); ++i)
        EXPECT_GE(std::max(frames[i].top, frames[i].shownTop), std::min(frames[i - 1].bottom, frames[i].shownBottom))
            << "frame " << frame << ": " << frames[i].name.toStdString() << " overlaps "
            << frames[i - 1].name.toStdString();
}

inline void expectSpacing(const std::vector<CardFrame>& frames, double spacing) {
    for (size_t i = 1; i < frames.size(); ++i)
        EXPECT_NEAR(frames[i].top - frames[i - 1].bottom, spacing, 0.5)
            << frames[i - 1].name.toStdString() << " and " << frames[i].name.toStdString();
}

// Looks at every frame of what the last change set moving, then at the list at rest: no card
// ever covers another, and at rest they stand `spacing` apart.
inline void expectCardsApart(AnimationClock& clock, QuickDriver& driver,
                             const std::function<std::vector<CardFrame>()>& frames, double spacing = 12) {
    for (int frame = 0; frame < 60; ++frame) {
        clock.step(driver);
        expectNoOverlap(frames(), frame);
    }
    clock.finish(driver);
    expectSpacing(frames(), spacing);
}

// A card moved by a save or a pin, from the far end of its list (delegates named `prefix` and
// their row) to the other: scrolled to the card's end of the list, `move` acts on the card, and
// the card, named `name`, must then lie wholly in view at its new end.
struct CardMove {
    const char* how;
    bool toTheTop;
    std::function<void(QQuickItem* card)> move;
    const char* name;
};
inline void expectMovedCardShown(QuickDriver& driver, QQuickItem* list, const QString& prefix, const CardMove& c) {
    SCOPED_TRACE(c.how);
    const int last = list->property("count").toInt() - 1;
    const auto card = [&](int row) { return driver.find(prefix + QString::number(row)); };
    QMetaObject::invokeMethod(list, c.toTheTop ? "positionViewAtEnd" : "positionViewAtBeginning");
    driver.settle();
    ASSERT_FALSE(QuickDriver::shows(list, card(c.toTheTop ? 0 : last))) << "its new place is out of view";
    c.move(card(c.toTheTop ? last : 0));
    driver.settle();
    QQuickItem* moved = card(c.toTheTop ? 0 : last);
    EXPECT_TRUE(QuickDriver::shows(list, moved));
    EXPECT_EQ(moved ? moved->property("card").toMap().value(QStringLiteral("name")).toString() : QString(),
              QString::fromUtf8(c.name));
}

} // namespace nimbrel::testing
