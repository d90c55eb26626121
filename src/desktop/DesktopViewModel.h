#pragma once

#include "desktop/DesktopAlert.h"
#include "desktop/DesktopOpenPanel.h"
#include "desktop/DesktopViewport.h"
#include "platform/Geometry.h"
#include "platform/NotificationCenter.h"
#include "platform/Scheduler.h"

#include <QObject>
#include <QVariantList>

#include <memory>

namespace nimbrel::sim {
class SimulatedMac;
}

namespace nimbrel {

// The simulated Mac's desktop as the desktop window draws it: each screen with its wallpaper,
// the menu bar, the Dock's tiles and the running applications' windows, all in points from
// the top-left of the primary screen, and how all screens fit the view (`DesktopViewport`).
// A person's presses go to the Mac's mouse, where the global monitors (and so the engine) see
// them; the permission switch is System Settings'. The Mac's open panel and alerts are drawn
// over it.
class DesktopViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVariantList screens READ screens NOTIFY changed)
    Q_PROPERTY(QVariantList dockTiles READ dockTiles NOTIFY changed)
    Q_PROPERTY(QVariantList windows READ windows NOTIFY changed)
    Q_PROPERTY(QVariantMap dockArea READ dockArea NOTIFY changed)
    Q_PROPERTY(double menuBarHeight READ menuBarHeight NOTIFY changed)
    Q_PROPERTY(double left READ left NOTIFY changed)
    Q_PROPERTY(double top READ top NOTIFY changed)
    Q_PROPERTY(double width READ width NOTIFY changed)
    Q_PROPERTY(double height READ height NOTIFY changed)
    Q_PROPERTY(QString frontmostAppName READ frontmostAppName NOTIFY changed)
    Q_PROPERTY(bool accessibilityTrusted READ accessibilityTrusted NOTIFY changed)
    Q_PROPERTY(double viewScale READ viewScale NOTIFY viewChanged)
    Q_PROPERTY(double viewX READ viewX NOTIFY viewChanged)
    Q_PROPERTY(double viewY READ viewY NOTIFY viewChanged)
    Q_PROPERTY(QObject* openPanel READ openPanelObject CONSTANT)
    Q_PROPERTY(QObject* alert READ alertObject CONSTANT)
  public:
    DesktopViewModel(sim::SimulatedMac& mac, Scheduler& scheduler, QObject* parent = nullptr);
    ~DesktopViewModel() override;

    QVariantList screens() const { return screens_; }
    QVariantList dockTiles() const { return dockTiles_; }
    QVariantList windows() const { return windows_; }
    QVariantMap dockArea() const { return dockArea_; }
    double menuBarHeight() const { return menuBarHeight_; }
    double left() const { return bounds_.minX(); }
    double top() const { return bounds_.minY(); }
    double width() const { return bounds_.width(); }
    double height() const { return bounds_.height(); }
    QString frontmostAppName() const { return frontmostAppName_; }
    bool accessibilityTrusted() const;
    // The desktop in the view: its scale, and where its top-left corner lies.
    double viewScale() const { return viewport_.scale(); }
    double viewX() const { return viewport_.offset().x; }
    double viewY() const { return viewport_.offset().y; }
    const DesktopViewport& viewport() const { return viewport_; }
    // The open panel over the Mac's disk; the program has the Mac's alerts present theirs here.
    DesktopOpenPanel& openPanel() { return *openPanel_; }
    QObject* openPanelObject() { return openPanel_.get(); }
    // The Mac's modal alerts; the program has those no script answers presented here.
    DesktopAlert& alert() { return alert_; }
    QObject* alertObject() { return &alert_; }

    // The view's size, for fitting every screen into it.
    Q_INVOKABLE void setViewSize(double width, double height);
    // Mouse button at a point of the view.
    Q_INVOKABLE void pressedInView(double x, double y);
    Q_INVOKABLE void releasedInView(double x, double y);

    // Mouse button at a point (top-left coordinates of the primary screen).
    Q_INVOKABLE void mousePressed(double x, double y);
    Q_INVOKABLE void mouseReleased(double x, double y);
    // A click on a window's body: its application comes to the front with that window.
    Q_INVOKABLE void windowClicked(int pid, double windowId);
    // System Settings › Privacy & Security › Accessibility: Nimbrel's switch.
    Q_INVOKABLE void setAccessibilityTrusted(bool trusted);
    // Opens that page in System Settings (a window of the simulated Mac).
    Q_INVOKABLE void openAccessibilitySettings();
    // Closes a window (its red button).
    Q_INVOKABLE void closeWindow(int pid, double windowId);
    // Minimizes a window into the Dock (its yellow button).
    Q_INVOKABLE void minimizeWindow(int pid, double windowId);

    // Reads the Mac again now (the program also does this after each change it records).
    void refresh();

  signals:
    void changed();
    void viewChanged();

  private:
    void scheduleRefresh();
    void fitView();
    Point toAppKit(double x, double y) const;
    // The URL of the picture of the app at `bundlePath`, or empty: its tile then shows initials.
    QString iconSource(const QString& bundlePath);

    sim::SimulatedMac& mac_;
    Scheduler& scheduler_;
    LocalFileSystem disk_;
    std::unique_ptr<DesktopOpenPanel> openPanel_;
    DesktopAlert alert_;
    bool refreshPending_ = false;
    QVariantList screens_;
    QVariantList dockTiles_;
    QHash<QString, QString> iconSources_; // by bundle path: the picture's URL, or empty
    QVariantList windows_;
    QVariantMap dockArea_;
    double menuBarHeight_ = 0;
    Rect bounds_;
    double viewWidth_ = 0;
    double viewHeight_ = 0;
    DesktopViewport viewport_;
    QString frontmostAppName_;
    ObserverToken recorderListener_;
    Lifetime lifetime_;
};

} // namespace nimbrel
