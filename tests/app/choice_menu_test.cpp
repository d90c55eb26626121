#include "app/PanelRootViewModel.h"
#include "app/QmlTestSupport.h"
#include "app/ScreenPreview.h"
#include "desktop/PreviewMac.h"
#include "model/RulesStore.h"
#include "ui/rules/RulesViewModel.h"

#include <gtest/gtest.h>

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>

namespace nimbrel {
namespace {

QQuickItem* findItem(QQuickItem* item, const QString& name) {
    if (item->objectName() == name) return item;
    for (QQuickItem* child : item->childItems())
        if (QQuickItem* found = findItem(child, name)) return found;
    return nullptr;
}

// The desktop window shows the panel scaled down; an editor's menu opens in the panel's popover
// layer, at the panel's scale, not over the window at full size.
TEST(ChoiceMenu, OpensInThePanelAtItsScale) {
    ScreenPreview preview(makePreviewMac);
    ASSERT_TRUE(preview.show(QStringLiteral("rules")));
    testing::QmlWarnings warnings;
    {
        QQmlEngine engine;
        setUpQmlEngine(engine, preview.models());
        QQmlComponent component(&engine);
        component.setData(
            "import QtQuick\nimport Nimbrel.App\n"
            "Item { width: 600; height: 700; NimbrelPanel { scale: 0.5; transformOrigin: Item.TopLeft } }",
            QUrl());
        std::unique_ptr<QQuickItem> desk(qobject_cast<QQuickItem*>(component.create()));
        ASSERT_TRUE(desk) << component.errorString().toStdString();
        QQuickWindow window;
        window.resize(600, 700);
        desk->setParentItem(window.contentItem());
        window.show();
        auto* root = qobject_cast<PanelRootViewModel*>(preview.shell().panelContent());
        auto* rules = root ? qobject_cast<RulesViewModel*>(root->screenModel()) : nullptr;
        ASSERT_TRUE(rules);
        rules->editRule(NimbrelRulesStore::shared().rules().get().front().id.toString());
        testing::settle();

        QQuickItem* row = findItem(desk.get(), QStringLiteral("placementRow"));
        ASSERT_TRUE(row);
        QQuickItem* menu = findItem(row, QStringLiteral("choiceMenu"));
        QQuickItem* pill = findItem(row, QStringLiteral("menuValue"));
        ASSERT_TRUE(menu && pill);
        QMetaObject::invokeMethod(menu, "open", Q_ARG(QVariant, QVariant::fromValue(pill)));
        testing::settle();

        ASSERT_TRUE(menu->isVisible());
        EXPECT_EQ(menu->parentItem(), findItem(desk.get(), QStringLiteral("popoverLayer")));
        QQuickItem* item = findItem(menu, QStringLiteral("menuItem_0"));
        ASSERT_TRUE(item);
        EXPECT_DOUBLE_EQ(item->mapRectToScene(QRectF(0, 0, item->width(), 10)).width(), item->width() / 2);
    }
    EXPECT_TRUE(warnings.empty()) << warnings.text();
}

} // namespace
} // namespace nimbrel
