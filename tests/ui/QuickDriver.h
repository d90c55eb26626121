#pragma once

#include "app/GlassStyle.h"
#include "app/HoverGeometry.h"
#include "app/QmlSetup.h"
#include "platform/NotificationCenter.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <QWheelEvent>

#include <cstdlib>
#include <functional>
#include <memory>
#include <utility>

namespace nimbrel::testing {

// Turns the mouse wheel at a point of the window by `notches` (positive: towards the end), one
// event a notch, as the window gets them; nothing is let run in between or after.
inline void turnWheel(QQuickWindow& window, QPointF at, int notches) {
    for (int i = 0; i < std::abs(notches); ++i) {
        QWheelEvent event(at, at, QPoint(), QPoint(0, notches > 0 ? -120 : 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&window, &event);
    }
}

// Drives one of the module's QML files offscreen as a person would: finds items by object
// name, clicks them through the window and types into whatever has the focus. Any QML
// warning on the way fails the test.
class QuickDriver {
  public:
    QuickDriver(const QString& file, const QVariantMap& properties, QSize size = {420, 560}) {
        warnings().clear();
        previousHandler_ = qInstallMessageHandler(&QuickDriver::capture);
        setUpQmlEngine(engine_, {nullptr, &glass_, &hover_});
        QQmlComponent component(&engine_, QUrl(QStringLiteral("qrc:/Nimbrel/App/") + file));
        root_.reset(qobject_cast<QQuickItem*>(component.createWithInitialProperties(properties)));
        EXPECT_TRUE(root_) << component.errorString().toStdString();
        window_.resize(size);
        if (root_) root_->setParentItem(window_.contentItem());
        window_.show();
        settle();
    }
    ~QuickDriver() {
        added_.clear();
        root_.reset();
        settle();
        qInstallMessageHandler(previousHandler_);
        EXPECT_TRUE(warnings().isEmpty()) << warnings().join('\n').toStdString();
    }

    QQuickWindow& window() { return window_; }
    // Hands over the warnings so far to a test that expects them: they no longer fail it at the end.
    QStringList takeWarnings() { return std::exchange(warnings(), {}); }
    QQuickItem* root() { return root_.get(); }

    // Adds another QML file (of any module, by URL) to the window, over what is there.
    QQuickItem* add(const QUrl& file, const QVariantMap& properties) {
        QQmlComponent component(&engine_, file);
        auto* item = qobject_cast<QQuickItem*>(component.createWithInitialProperties(properties));
        EXPECT_TRUE(item) << component.errorString().toStdString();
        if (!item) return nullptr;
        added_.emplace_back(item);
        item->setParentItem(window_.contentItem());
        item->setSize(window_.size());
        settle();
        return item;
    }

    // Lets the scene catch up: bindings, layouts, polish and a frame.
    void settle() {
        for (int i = 0; i < 4; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (root_) QCoreApplication::sendPostedEvents();
        }
        window_.grabWindow();
    }

    // The first visible item named `name` under `from` (the whole window when null), depth first.
    QQuickItem* find(const QString& name, QQuickItem* from = nullptr) {
        QQuickItem* start = from ? from : window_.contentItem();
        return findIn(start, name);
    }
    QQuickItem* require(const QString& name, QQuickItem* from = nullptr) {
        QQuickItem* item = find(name, from);
        EXPECT_TRUE(item) << "no visible item " << name.toStdString();
        return item;
    }
    // Clicks the middle of an item (or a point inside it, in its own coordinates).
    void click(QQuickItem* item, std::optional<QPointF> at = std::nullopt) {
        if (!item) return;
        const QPointF local = at.value_or(QPointF(item->width() / 2, item->height() / 2));
        QTest::mouseClick(&window_, Qt::LeftButton, Qt::NoModifier, item->mapToScene(local).toPoint());
        settle();
    }
    void click(const QString& name, QQuickItem* from = nullptr) { click(require(name, from)); }
    void doubleClick(QQuickItem* item) {
        if (!item) return;
        const QPoint at = item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
        QTest::mouseDClick(&window_, Qt::LeftButton, Qt::NoModifier, at);
        settle();
    }
    // Turns the mouse wheel over `item` (at a point of its own, else its middle) by `notches`.
    void wheel(QQuickItem* item, int notches, std::optional<QPointF> point = std::nullopt) {
        if (!item) return;
        turnWheel(window_, item->mapToScene(point.value_or(QPointF(item->width() / 2, item->height() / 2))), notches);
    }
    // Whether `item` lies wholly inside what `view` shows.
    static bool shows(QQuickItem* view, QQuickItem* item) {
        return view && item && item->isVisible() &&
               view->mapRectToScene(view->boundingRect()).contains(item->mapRectToScene(item->boundingRect()));
    }
    void type(const QString& text) {
        for (QChar c : text)
            QTest::keyClick(&window_, c.toLatin1());
        settle();
    }

    // What else the screen needs to catch up after each step of the input below (due work,
    // animations); a redraw when empty.
    std::function<void()> afterInput;
    void typeInto(QQuickItem* field, const QString& text) {
        click(field);
        type(text);
        caughtUp();
    }
    // Picks item number `item` of a menu row's menu (the editors' labelled rows).
    void choose(QQuickItem* row, int item) {
        click(require(QStringLiteral("menuValue"), row));
        caughtUp();
        click(QStringLiteral("menuItem_%1").arg(item));
        caughtUp();
    }

  private:
    void caughtUp() { afterInput ? afterInput() : settle(); }
    static QStringList& warnings() {
        static QStringList list;
        return list;
    }
    static void capture(QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtDebugMsg && type != QtInfoMsg && !message.startsWith(QLatin1String("QStandardPaths")))
            warnings() << message;
    }
    static QQuickItem* findIn(QQuickItem* item, const QString& name) {
        if (!item || !item->isVisible()) return nullptr;
        if (item->objectName() == name) return item;
        for (QQuickItem* child : item->childItems())
            if (QQuickItem* found = findIn(child, name)) return found;
        return nullptr;
    }

    QtMessageHandler previousHandler_ = nullptr;
    NotificationCenter notices_;
    GlassStyle glass_{notices_, [] { return false; }, [] { return 14; }};
    HoverGeometry hover_;
    QQmlEngine engine_;
    QQuickWindow window_;
    std::unique_ptr<QQuickItem> root_;
    std::vector<std::unique_ptr<QQuickItem>> added_;
};

} // namespace nimbrel::testing
