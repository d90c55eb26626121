#pragma once

#include "platform/NotificationCenter.h"
#include "platform/Scheduler.h"
#include "ui/screens/LaunchAtLogin.h"
#include "ui/screens/SettingsPresentation.h"

#include <QImage>
#include <QObject>
#include <QVariantList>
#include <QVariantMap>

#include <optional>
#include <vector>

namespace nimbrel {

struct Platform;
class NimbrelSettingsStore;

// The settings screen: the account card, the software updates card and the app preferences
// with the behaviour mode. Every value comes from the settings store at each redraw; the
// screen keeps only the launch-at-login mirror and the login account's picture.
class SettingsViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString accountName READ accountName NOTIFY changed)
    Q_PROPERTY(QString iCloudStatusText READ iCloudStatusText NOTIFY changed)
    Q_PROPERTY(QString accountImageSource READ accountImageSource NOTIFY changed)
    Q_PROPERTY(QString versionSubtitle READ versionSubtitle NOTIFY changed)
    Q_PROPERTY(QVariantMap automaticUpdatesTile READ automaticUpdatesTile NOTIFY changed)
    Q_PROPERTY(QString lastCheckedLine READ lastCheckedLine NOTIFY changed)
    Q_PROPERTY(QString preferencesSummary READ preferencesSummary NOTIFY changed)
    Q_PROPERTY(QVariantList preferenceTiles READ preferenceTiles NOTIFY changed)
    Q_PROPERTY(QVariantList behaviorModes READ behaviorModes NOTIFY changed)
    Q_PROPERTY(bool launchAtLoginEnabled READ launchAtLoginEnabled NOTIFY changed)
  public:
    SettingsViewModel(Platform& platform, NimbrelSettingsStore& settings, QObject* parent = nullptr);
    ~SettingsViewModel() override;

    QString accountName() const;
    QString iCloudStatusText() const;
    // The picture the account button shows: a chosen one that decodes, else the login
    // account's; empty for the symbol.
    QString accountImageSource() const;
    std::optional<QImage> accountImage() const;
    QString versionSubtitle() const;
    QVariantMap automaticUpdatesTile() const;
    QString lastCheckedLine() const;
    QString preferencesSummary() const;
    QVariantList preferenceTiles() const;
    QVariantList behaviorModes() const;
    bool launchAtLoginEnabled() const { return launchAtLogin_.isEnabled(); }
    bool offersLiquidGlass() const;

    // Each showing: the launch-at-login mirror read afresh and a new lookup of the login
    // account's picture (off the main thread).
    Q_INVOKABLE void appeared();
    // A switch tile: "launchAtLogin", "sync", "minimizeAfterCycle", "notifications",
    // "liquidGlass" or "automaticUpdates".
    Q_INVOKABLE void setTile(const QString& key, bool on);
    Q_INVOKABLE void chooseBehaviorMode(int index);
    Q_INVOKABLE void checkForUpdates();
    Q_INVOKABLE void chooseAccountImage();
    Q_INVOKABLE void goBack();

    void setLaunchAtLogin(bool on);
    // Off at once; on only once the system grants the permission.
    void setNotificationsEnabled(bool on);

  signals:
    void changed();

  private:
    PreferenceValues preferenceValues() const;
    void lookUpAccountPicture();
    // A chosen file that gives no picture: said in the log and the activity, the picture kept.
    void refuseChosenPicture(const QString& path);
    // Draws the button's thumbnail, decoding the chosen picture first when it changed: once per
    // change of either picture, never at a redraw.
    void updateAccountImage(bool chosenChanged);

    Platform& platform_;
    NimbrelSettingsStore& settings_;
    LaunchAtLogin launchAtLogin_;
    std::optional<QImage> resolvedAccountImage_;
    std::optional<QImage> chosenAccountImage_;
    QString accountImageSource_;
    std::vector<ObserverToken> observers_;
    Lifetime lifetime_;
};

} // namespace nimbrel
