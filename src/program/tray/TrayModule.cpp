// The module nimbrel_tray: the widgets' application and Qt's tray icon, loaded by
// program/TrayIcon.cpp only when there is a display.
#include "program/TrayIcon.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace {

class WidgetsTrayIcon final : public nimbrel::TrayIcon {
  public:
    WidgetsTrayIcon(const QString& toolTip, const std::function<void()>& clicked) {
        icon_.setToolTip(toolTip);
        QObject::connect(&icon_, &QSystemTrayIcon::activated, &icon_,
                         [clicked](QSystemTrayIcon::ActivationReason reason) {
                             if (reason == QSystemTrayIcon::Trigger) clicked();
                         });
    }
    void setIcon(const QImage& image) override {
        if (!image.isNull()) icon_.setIcon(QIcon(QPixmap::fromImage(image)));
    }
    void setVisible(bool visible) override { icon_.setVisible(visible); }

  private:
    QSystemTrayIcon icon_;
};

} // namespace

extern "C" Q_DECL_EXPORT QGuiApplication* nimbrelMakeWidgetsApplication(int& argc, char** argv) {
    return new QApplication(argc, argv);
}

extern "C" Q_DECL_EXPORT nimbrel::TrayIcon* nimbrelMakeTrayIcon(const QString& toolTip,
                                                                const std::function<void()>& clicked) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return nullptr;
    return new WidgetsTrayIcon(toolTip, clicked);
}
