#include "app/QmlSetup.h"
#include "app/QmlTestSupport.h"
#include "app/ScreenPreview.h"

#include <gtest/gtest.h>

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>

#include <memory>

namespace nimbrel {
namespace {

QRectF sceneRect(const QQuickItem* item) {
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
}

struct Opening {
    const char* screen;
    bool paused;
    bool below; // else above the button
    bool cut;   // shorter than its rows
};

// The pause menu as a person opens it in the panel: above the pause button while it fits,
// below it (past the panel) when the taller paused menu does not, cut short when neither
// side has room; never over the button. Its glass blurs the panel's card, which lies behind it.
TEST(PauseMenuView, OpensWhereItFitsAndNeverCoversTheButton) {
    const Opening openings[] = {
        {"pause-menu", false, false, false},
        {"paused-menu", true, true, false}, // room below the panel
        {"main", true, false, true},        // the panel alone: nowhere whole
    };
    for (const Opening& o : openings) {
        SCOPED_TRACE(o.screen);
        ScreenPreview preview;
        ASSERT_TRUE(preview.show(QString::fromLatin1(o.screen)));
        testing::QmlWarnings warnings;
        QQmlEngine engine;
        setUpQmlEngine(engine, preview.models());
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nimport Nimbrel.App\nItem { Rectangle { id: wall; anchors.fill: parent; "
                          "color: \"#6A4C93\" }\nNimbrelPanel { backdrop: wall } }",
                          QUrl(QStringLiteral("qrc:/pause-menu-test.qml")));
        std::unique_ptr<QObject> root(component.create());
        ASSERT_TRUE(root) << component.errorString().toStdString();
        QQuickWindow window;
        window.resize(preview.pictureSize().toSize());
        auto* item = qobject_cast<QQuickItem*>(root.get());
        item->setParentItem(window.contentItem());
        item->setSize(window.size());
        window.show();
        testing::settle();
        ASSERT_TRUE(openPauseMenu(preview.shell(), o.paused));
        testing::settle();

        auto* menu = root->findChild<QQuickItem*>(QStringLiteral("pauseMenu"));
        auto* button = root->findChild<QQuickItem*>(QStringLiteral("pauseButton"));
        ASSERT_TRUE(menu && button);
        ASSERT_TRUE(menu->isVisible());
        const QRectF m = sceneRect(menu);
        const QRectF b = sceneRect(button);
        EXPECT_FALSE(m.intersects(b));
        EXPECT_EQ(m.top() >= b.bottom(), o.below);
        EXPECT_EQ(menu->height() < menu->property("naturalHeight").toDouble(), o.cut);
        EXPECT_EQ(menu->property("arrowOnTop").toBool(), o.below);

        auto* surface = qvariant_cast<QQuickItem*>(menu->property("surface"));
        ASSERT_TRUE(surface);
        EXPECT_EQ(surface->objectName(), QStringLiteral("panelCard"));
        EXPECT_FALSE(surface->isAncestorOf(menu)) << "a popover cannot blur what holds it";
        EXPECT_TRUE(warnings.empty()) << warnings.text();
    }
}

} // namespace
} // namespace nimbrel
