#pragma once

#include "app/ShellSurface.h"

#include <QObject>
#include <QPointer>
#include <QRectF>

#include <functional>
#include <memory>

namespace nimbrel {

class Screens;

// The status item and the panel as the views see them, for whatever hosts them: the host's
// menu bar shows the item and reports its place, and the panel floats under it at the frame
// given here (the simulated desktop's QML draws them; nimbrel-sim prints them). Panel and
// button frames are kept in the Mac's coordinates; QML reads them flipped to top-left.
class ShellController : public QObject, public ShellSurface {
    Q_OBJECT
    Q_PROPERTY(bool statusItemVisible READ statusItemVisible NOTIFY statusItemChanged)
    Q_PROPERTY(QString statusIconSource READ statusIconSource NOTIFY statusItemChanged)
    Q_PROPERTY(bool statusIconIsTemplate READ statusIconIsTemplate NOTIFY statusItemChanged)
    Q_PROPERTY(bool panelExists READ panelExists NOTIFY panelChanged)
    Q_PROPERTY(bool panelVisible READ isPanelVisible NOTIFY panelChanged)
    Q_PROPERTY(QString panelMode READ panelMode NOTIFY panelContentChanged)
    Q_PROPERTY(QObject* panelContent READ panelContent NOTIFY panelContentChanged)
    Q_PROPERTY(double panelLeft READ panelLeft NOTIFY panelFrameChanged)
    Q_PROPERTY(double panelTop READ panelTop NOTIFY panelFrameChanged)
    Q_PROPERTY(double panelWidth READ panelWidth NOTIFY panelFrameChanged)
    Q_PROPERTY(double panelHeight READ panelHeight NOTIFY panelFrameChanged)
    Q_PROPERTY(int frameAnimationMs READ frameAnimationMs NOTIFY panelFrameChanged)
    Q_PROPERTY(QRectF popoverArea READ popoverArea NOTIFY panelFrameChanged)
  public:
    struct Hooks {
        // The primary screen's height: what turns the Mac's y into a top-left y.
        std::function<double()> primaryScreenHeight;
        // The visible frame of the screen the status button is on, else the main screen's.
        std::function<std::optional<ScreenRect>()> visibleFrame;
        // Builds the view model of the panel's content for a mode (a fresh one each time): the
        // root view's in menu mode, the onboarding's in onboarding mode.
        std::function<std::unique_ptr<QObject>(PanelMode)> makePanelContent;
        std::function<void()> terminate;
        std::function<void(int)> exitProcess;
    };

    explicit ShellController(Hooks hooks, QObject* parent = nullptr);
    ~ShellController() override;

    bool statusItemVisible() const { return statusItemVisible_; }
    QString statusIconSource() const { return statusIconSource_; }
    bool statusIconIsTemplate() const { return statusIconIsTemplate_; }
    const MenuBarIconImage& statusIcon() const { return statusIcon_; }
    bool panelExists() const { return panelExists_; }
    QString panelMode() const;
    QObject* panelContent() const { return panelContent_.get(); }
    double panelLeft() const { return frame_.x; }
    double panelTop() const;
    double panelWidth() const { return frame_.width; }
    double panelHeight() const { return frame_.height; }
    int frameAnimationMs() const { return frameAnimationMs_; }
    // Where the panel's popovers may open, from the panel's top-left (y down): the visible frame
    // of the status button's screen, else the panel itself. Like the Mac's, a popover may reach
    // past the panel.
    QRectF popoverArea() const;

    // The menu bar lays out the button: its frame from the primary screen's top-left.
    Q_INVOKABLE void setStatusButtonGeometry(double left, double top, double width, double height);
    // The button was clicked (also the tray icon).
    Q_INVOKABLE void statusItemClicked() { emit togglePanelRequested(); }

    // ShellSurface
    void setDarkAppearance() override {}
    bool installStatusItem() override;
    void setStatusIcon(const MenuBarIconImage& image) override;
    void removeStatusItem() override;
    std::optional<ScreenRect> statusButtonFrame() const override;
    std::optional<ScreenRect> visibleFrameForStatusButton() const override;
    void createPanel(const ScreenRect& frame) override;
    bool isPanelVisible() const override { return panelVisible_; }
    ScreenRect panelFrame() const override { return frame_; }
    void setPanelContent(PanelMode mode) override;
    void setPanelFrame(const ScreenRect& frame) override;
    void animatePanelFrame(const ScreenRect& frame, double seconds) override;
    void orderPanelFront() override;
    void orderPanelOut() override;
    void closePanel() override;
    void terminate() override;
    void exitProcess(int status) override;

    // The image URL drawing a menu bar icon.
    static QString iconSource(const MenuBarIconImage& image);
    // What template symbols are tinted with: the menu bar's own text colour.
    static inline const QString kTemplateTint = QStringLiteral("#F2F2F7");

  signals:
    void statusItemChanged();
    void panelChanged();
    void panelContentChanged();
    void panelFrameChanged();
    void togglePanelRequested();

  private:
    void applyFrame(const ScreenRect& frame, int animationMs);

    Hooks hooks_;
    bool statusItemVisible_ = false;
    QString statusIconSource_;
    MenuBarIconImage statusIcon_;
    bool statusIconIsTemplate_ = false;
    std::optional<ScreenRect> buttonTopLeft_;
    bool panelExists_ = false;
    bool panelVisible_ = false;
    std::optional<PanelMode> mode_;
    std::unique_ptr<QObject> panelContent_;
    ScreenRect frame_;
    int frameAnimationMs_ = 0;
};

} // namespace nimbrel
