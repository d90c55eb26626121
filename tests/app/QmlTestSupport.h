#pragma once

#include <QCoreApplication>
#include <QStringList>
#include <QThread>

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

// Lets posted events, bindings and frames run.
inline void settle() {
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

} // namespace nimbrel::testing
