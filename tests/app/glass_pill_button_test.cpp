#include "app/QmlSetup.h"
#include "app/QmlTestSupport.h"
#include "app/ScreenPreview.h"

#include <gtest/gtest.h>

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace nimbrel {
namespace {

// A pill of its label's width: no gap before a title without a symbol; presses in the
// corners outside the capsule do not click it.
TEST(GlassPillButton, IsAsWideAsItsLabelAndClicksOnlyInsideTheCapsule) {
    ScreenPreview preview;
    QQmlEngine engine;
    setUpQmlEngine(engine, preview.models());
    QQmlComponent component(&engine);
    component.setData("import QtQuick\nimport Nimbrel.App\nGlassPillButton { height: 40; horizontalPadding: 14 }",
                      QUrl(QStringLiteral("qrc:/glass-pill-test.qml")));
    std::unique_ptr<QObject> object(component.createWithInitialProperties({{"title", "Check Updates"}}));
    auto* pill = qobject_cast<QQuickItem*>(object.get());
    ASSERT_TRUE(pill) << component.errorString().toStdString();
    QQuickWindow window;
    window.resize(300, 100);
    pill->setParentItem(window.contentItem());
    window.show();
    testing::settle();

    QQuickItem* title = nullptr;
    for (QQuickItem* item : pill->findChildren<QQuickItem*>())
        if (item->property("text").toString() == "Check Updates") title = item;
    ASSERT_TRUE(title);
    EXPECT_DOUBLE_EQ(pill->width(), title->implicitWidth() + 2 * 14);

    QSignalSpy clicks(pill, SIGNAL(clicked()));
    const struct {
        QPoint at;
        int clicks;
    } presses[] = {{{2, 2}, 0}, {{int(pill->width()) - 2, 38}, 0}, {{20, 20}, 1}, {{int(pill->width()) / 2, 2}, 1}};
    for (const auto& p : presses) {
        clicks.clear();
        QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, p.at);
        testing::settle();
        EXPECT_EQ(clicks.size(), p.clicks) << p.at.x() << "," << p.at.y();
    }
}

} // namespace
} // namespace nimbrel
