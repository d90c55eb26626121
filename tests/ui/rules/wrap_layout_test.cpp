#include "ui/rules/WrapLayout.h"
#include "ui/rules/WrapLayoutItem.h"

#include <gtest/gtest.h>

#include <QQmlComponent>
#include <QQmlEngine>

namespace nimbrel {
namespace {

using namespace wrapLayout;

TEST(WrapLayout, RowsBreakWhereTheNextChildWouldPassTheWidth) {
    const struct {
        std::vector<double> widths;
        double width;
        Rows rows;
    } cases[] = {
        {{}, 100, {{}}},
        {{40, 40, 40}, 100, {{0, 1}, {2}}},
        {{40, 40, 40}, 132, {{0, 1, 2}}},
        {{40, 40, 40}, 131.9, {{0, 1}, {2}}},
        {{150}, 100, {{0}}},
        {{30, 150, 30}, 100, {{0}, {1}, {2}}},
        {{40, 40}, 0, {{0}, {1}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rows(c.widths, c.width, 6), c.rows);
}

TEST(WrapLayout, SizeAndPlacesFollowTheRows) {
    const std::vector<QSizeF> sizes{{40, 20}, {40, 30}, {40, 10}};
    EXPECT_EQ(sizeThatFits({}, 100.0, 6), QSizeF(100, 0));
    EXPECT_EQ(sizeThatFits({}, std::nullopt, 6), QSizeF(0, 0));
    EXPECT_EQ(sizeThatFits(sizes, 100.0, 6), QSizeF(100, 30 + 6 + 10));
    EXPECT_EQ(sizeThatFits(sizes, 132.0, 6), QSizeF(132, 30));
    EXPECT_EQ(sizeThatFits(sizes, std::nullopt, 6), QSizeF(0, 20 + 6 + 30 + 6 + 10));

    const std::vector<QPointF> points = placements(sizes, QRectF(5, 7, 100, 50), 6);
    EXPECT_EQ(points, (std::vector<QPointF>{{5, 7}, {51, 7}, {5, 7 + 30 + 6}}));
    const std::vector<QPointF> wide = placements({{150, 10}}, QRectF(0, 0, 100, 10), 6);
    EXPECT_EQ(wide, (std::vector<QPointF>{{0, 0}}));
}

TEST(WrapLayout, TheQmlItemPlacesItsChildrenAndTakesTheirHeight) {
    QQmlEngine engine;
    qmlRegisterType<WrapLayoutItem>("WrapTest", 1, 0, "WrapLayout");
    QQmlComponent component(&engine);
    component.setData(R"(
        import QtQuick
        import WrapTest
        WrapLayout {
            width: 100
            spacing: 6
            Repeater {
                model: [40, 40, 40]
                Item { required property int modelData; implicitWidth: modelData; implicitHeight: 20 }
            }
        })",
                      QUrl());
    std::unique_ptr<QObject> object(component.create());
    ASSERT_TRUE(object) << component.errorString().toStdString();
    auto* layout = qobject_cast<WrapLayoutItem*>(object.get());
    layout->relayout();
    QList<QPointF> positions;
    for (QQuickItem* child : layout->childItems())
        if (!child->inherits("QQuickRepeater")) positions << child->position();
    EXPECT_EQ(positions, (QList<QPointF>{{0, 0}, {46, 0}, {0, 26}}));
    EXPECT_EQ(layout->implicitHeight(), 46);
}

} // namespace
} // namespace nimbrel
