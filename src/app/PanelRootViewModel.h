#pragma once

#include "platform/NotificationCenter.h"

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

namespace nimbrel {

enum class NimbrelPanelScreen { Main = 0, Blacklist = 1, Rules = 2, Sessions = 3, Activity = 4, Settings = 5 };

QString rulesSubtitle(int enabledRuleCount);
QString sessionsSubtitle(int sessionCount);

// The panel's root in menu mode: which screen shows, the main menu's two subtitles, and the
// height the panel should have.
class PanelRootViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(int screen READ screenIndex NOTIFY screenChanged)
    Q_PROPERTY(QString screenName READ screenName NOTIFY screenChanged)
    Q_PROPERTY(QString rulesSubtitle READ rulesSubtitleText NOTIFY subtitlesChanged)
    Q_PROPERTY(QString sessionsSubtitle READ sessionsSubtitleText NOTIFY subtitlesChanged)
    Q_PROPERTY(double panelWidth READ panelWidth CONSTANT)
    Q_PROPERTY(double panelHeight READ panelHeight CONSTANT)
    // The main menu's own view model (none where no menu is wanted, as in some tests).
    Q_PROPERTY(QObject* menu READ menu CONSTANT)
    // The view model of the screen shown (none on the main screen), made anew each time a
    // screen opens so that its own state starts empty.
    Q_PROPERTY(QObject* screenModel READ screenModel NOTIFY screenChanged)
  public:
    struct Stores {
        // Obtained when the view is first set up (creating the shared stores).
        std::function<void()> obtain;
        std::function<int()> enabledRuleCount;
        std::function<int()> sessionCount;
        // Calls `changed` after each change of the rules or sessions lists, while the token lives,
        // so the main menu's subtitles follow them.
        std::function<ObserverToken(std::function<void()> changed)> observeCounts;
        // Obtains the shared store a screen shows (creating it) as that screen opens.
        std::function<void(NimbrelPanelScreen)> screenOpened;
        // Makes the view model of a screen as it opens (none: the screen shows without one).
        std::function<std::unique_ptr<QObject>(NimbrelPanelScreen)> makeScreenModel;
    };

    PanelRootViewModel(NotificationCenter& notifications, Stores stores, QObject* parent = nullptr);
    ~PanelRootViewModel() override;

    // Takes the main menu's view model (set once, before the view is built).
    void setMenu(std::unique_ptr<QObject> menu);
    QObject* menu() const { return menu_.get(); }
    QObject* screenModel() const { return screenModel_.get(); }

    NimbrelPanelScreen screen() const { return screen_; }
    int screenIndex() const { return static_cast<int>(screen_); }
    QString screenName() const;
    QString rulesSubtitleText() const { return rulesSubtitle_; }
    QString sessionsSubtitleText() const { return sessionsSubtitle_; }
    double panelWidth() const { return 360; }
    double panelHeight() const { return 500; }

    // The view appeared: asks the delegate for the panel's height.
    Q_INVOKABLE void appeared();
    // The back action of the rules and sessions screens; the other screens post it themselves.
    Q_INVOKABLE void requestMainScreen();
    // Posts one of the shell's notifications by name (menu rows and back buttons).
    Q_INVOKABLE void post(const QString& name);
    void switchScreen(NimbrelPanelScreen screen);

  signals:
    void screenChanged();
    void subtitlesChanged();

  private:
    void refreshSubtitles();

    NotificationCenter& notifications_;
    Stores stores_;
    NimbrelPanelScreen screen_ = NimbrelPanelScreen::Main;
    QString rulesSubtitle_;
    QString sessionsSubtitle_;
    std::vector<ObserverToken> observers_;
    ObserverToken countsObserver_;
    std::unique_ptr<QObject> menu_;
    std::unique_ptr<QObject> screenModel_;
    // The model of the screen sliding out, kept until the next switch has replaced that screen.
    std::unique_ptr<QObject> leavingModel_;
};

} // namespace nimbrel
