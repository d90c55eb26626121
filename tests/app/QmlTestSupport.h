#pragma once

#include <QGuiApplication>
#include <QQuickWindow>
#include <QStringList>

namespace nimbrel::testing {

// Collects every warning Qt reports while it lives (QML errors among them); debug and info
// lines are not warnings.
class QmlWarnings {
  public:
    QmlWarnings() : previous_(qInstallMessageHandler(&QmlWarnings::capture)) { collected().clear(); }
    ~QmlWarnings() { qInstallMessageHandler(previous_); }
    QmlWarnings(const QmlWarnings&) = delete;
    QmlWarnings& operator=(const QmlWarnings&) = delete;

    bool empty() const { return collected().isEmpty(); }
    std::string text() const { return collected().join('\n').toStdString(); }

  private:
    static QStringList& collected() {
        static QStringList warnings;
        return warnings;
    }
    static void capture(QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtDebugMsg && type != QtInfoMsg) collected() << message;
    }
    QtMessageHandler previous_;
};

// Runs what is due now, without waiting on the clock: posted events, deferred deletions,
// timers of no delay, and one frame of every shown Quick window (a grab lays out, syncs and
// renders it at once instead of waiting for the window's frame timer). Animations do not move.
inline void settle() {
    for (int i = 0; i < 4; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            auto* quick = qobject_cast<QQuickWindow*>(window);
            if (quick && quick->isVisible()) quick->grabWindow();
        }
    }
}

} // namespace nimbrel::testing
