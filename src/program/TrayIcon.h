#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <memory>

class QGuiApplication;

namespace nimbrel {

// The status item in this machine's system tray, where there is one. Qt's tray icon needs the
// widgets' application, so both live in a module (nimbrel_tray, tray/TrayModule.cpp) that is
// loaded only with a display: without one, Qt Widgets is never loaded at all.
class TrayIcon {
  public:
    virtual ~TrayIcon() = default;
    virtual void setIcon(const QImage& image) = 0;
    virtual void setVisible(bool visible) = 0;
};

// The module's entry points, found by these C names.
using MakeWidgetsApplication = QGuiApplication* (*)(int& argc, char** argv);
using MakeTrayIcon = TrayIcon* (*)(const QString& toolTip, const std::function<void()>& clicked);
inline constexpr char kMakeWidgetsApplication[] = "nimbrelMakeWidgetsApplication";
inline constexpr char kMakeTrayIcon[] = "nimbrelMakeTrayIcon";

// The widgets' application from the module when there is a display and the module loads,
// else the plain one.
std::unique_ptr<QGuiApplication> makeApplication(int& argc, char** argv, bool withDisplay);
// A tray icon when the module was loaded and this machine has a tray; null otherwise.
std::unique_ptr<TrayIcon> makeTrayIcon(const QString& toolTip, const std::function<void()>& clicked);

} // namespace nimbrel
