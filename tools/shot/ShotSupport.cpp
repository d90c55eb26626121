#include "ShotSupport.h"

#include "app/QmlSetup.h"
#include "app/ScreenPreview.h"
#include "desktop/PreviewMac.h"
#include "platform/VirtualScheduler.h"
#include "ui/screens/ScreenPreviewData.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace nimbrel {

void runFor(int milliseconds, VirtualScheduler* scheduler) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        if (scheduler) scheduler->advance(0.05);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

bool savePicture(const QImage& image, const QString& path, const QRect& crop) {
    const QImage picture = crop.isEmpty() ? image : image.copy(crop);
    if (picture.isNull() || !picture.save(path)) {
        std::fprintf(stderr, "nimbrel-shot: could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

std::shared_ptr<void> previewMac(Platform& platform) {
    return makePreviewMacWithAccountPhoto(platform, previewAccountPhoto());
}

QQuickItem* findItem(QQuickItem* from, const QString& name) {
    if (!from || !from->isVisible()) return nullptr;
    if (from->objectName() == name) return from;
    for (QQuickItem* child : from->childItems())
        if (QQuickItem* found = findItem(child, name)) return found;
    return nullptr;
}

bool clickItem(QQuickItem* item) {
    if (!item || !item->window()) return false;
    const QPointF middle = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(item->window(), Qt::LeftButton, Qt::NoModifier, middle.toPoint());
    return true;
}

bool scrollToItem(QQuickItem* root, const QString& flickable, const QString& section) {
    QQuickItem* scroller = findItem(root, flickable);
    QQuickItem* target = scroller ? findItem(scroller, section) : nullptr;
    auto* content = scroller ? scroller->property("contentItem").value<QQuickItem*>() : nullptr;
    if (!target || !content) return false;
    const double top = target->mapToItem(content, QPointF(0, 0)).y();
    const double bottom = scroller->property("contentHeight").toDouble() - scroller->height();
    scroller->setProperty("contentY", std::clamp(top, 0.0, std::max(bottom, 0.0)));
    return true;
}

namespace {

// How much more height the visible lists and forms under `item` need to show all they hold.
double overflow(QQuickItem* item) {
    if (!item || !item->isVisible()) return 0;
    double most = 0;
    if (item->inherits("QQuickFlickable") && item->property("flickableDirection").toInt() != Qt::Horizontal)
        most = item->property("contentHeight").toDouble() - item->height();
    for (QQuickItem* child : item->childItems())
        most = std::max(most, overflow(child));
    return most;
}

} // namespace

void growUntilNothingScrolls(QQuickWindow& window, QQuickItem* content, VirtualScheduler* scheduler) {
    double previous = std::numeric_limits<double>::max();
    // A few rounds: a taller screen can lay its content out anew.
    for (int round = 0; round < 6; ++round) {
        const double more = std::ceil(overflow(content));
        // Nothing left to show, or growing does not help (a list of its own fixed height).
        if (more < 1 || more >= previous) return;
        previous = more;
        window.resize(window.width(), window.height() + int(more));
        content->setHeight(window.height());
        runFor(400, scheduler);
    }
}

int shootOverBackdrop(ScreenPreview& preview, QSize size, const QString& content, const QVariantMap& properties,
                      const QString& out, const std::function<void(QQuickItem*)>& beforePicture) {
    QQmlEngine engine;
    setUpQmlEngine(engine, preview.models());
    QQuickWindow window;
    window.setColor(QColor(28, 30, 38));
    window.resize(size);
    QQmlComponent component(&engine);
    component.setData(QStringLiteral(R"(
        import QtQuick
        import Nimbrel.App
        Item {
            id: root
            property QtObject model
            anchors.fill: parent
            Rectangle {
                id: wall
                anchors.fill: parent
                gradient: Gradient {
                    GradientStop { position: 0.0; color: "#2B3A67" }
                    GradientStop { position: 0.5; color: "#6A4C93" }
                    GradientStop { position: 1.0; color: "#C06C84" }
                }
            }
            %1
        })")
                          .arg(content)
                          .toUtf8(),
                      QUrl(QStringLiteral("qrc:/nimbrel-shot.qml")));
    std::unique_ptr<QObject> root(component.createWithInitialProperties(properties));
    if (!root) {
        std::fprintf(stderr, "nimbrel-shot: %s\n", qPrintable(component.errorString()));
        return 1;
    }
    auto* item = qobject_cast<QQuickItem*>(root.get());
    item->setParentItem(window.contentItem());
    item->setSize(window.size());
    window.show();
    // Let transitions (the longest takes 0.6 s) and images settle before the picture.
    runFor(1200, &preview.scheduler());
    if (beforePicture) beforePicture(item);
    return savePicture(window.grabWindow(), out) ? 0 : 1;
}

} // namespace nimbrel
