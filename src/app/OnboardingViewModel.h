#pragma once

#include "platform/Scheduler.h"

#include <QObject>

#include <functional>

namespace nimbrel {

struct Platform;

// The Accessibility onboarding: one slide, the switch that asks for the permission (the
// system's prompt), "Open Settings Instead", a 0.5 s poll that tells the delegate once the
// permission is there, and the way out.
class OnboardingViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString instructions READ instructions CONSTANT)
    Q_PROPERTY(QString systemImage READ systemImage CONSTANT)
    Q_PROPERTY(bool accessibilityGranted READ accessibilityGranted NOTIFY changed)
    Q_PROPERTY(bool isPollingForPermission READ isPollingForPermission NOTIFY changed)
    Q_PROPERTY(bool switchEnabled READ switchEnabled NOTIFY changed)
    Q_PROPERTY(QString statusLine READ statusLine NOTIFY changed)
    Q_PROPERTY(QString footerTitle READ footerTitle NOTIFY changed)
    Q_PROPERTY(QString footerSymbol READ footerSymbol NOTIFY changed)
  public:
    struct Hooks {
        std::function<bool()> isProcessTrusted;
        // The trust check that also shows the system's prompt.
        std::function<void()> promptForTrust;
        std::function<void()> openAccessibilitySettings;
        // Ends the program at once (not through the quit notice).
        std::function<void()> terminate;
        // Closes the key window: the panel.
        std::function<void()> closeKeyWindow;
    };

    OnboardingViewModel(Platform& platform, Hooks hooks, QObject* parent = nullptr);
    ~OnboardingViewModel() override;

    QString title() const { return QStringLiteral("Enable Accessibility"); }
    QString instructions() const;
    QString systemImage() const { return QStringLiteral("accessibility"); }
    bool accessibilityGranted() const { return granted_; }
    bool isPollingForPermission() const { return polling_; }
    bool switchEnabled() const { return !granted_ && !polling_; }
    QString statusLine() const;
    QString footerTitle() const { return granted_ ? "Continue to Nimbrel" : "Open Settings Instead"; }
    QString footerSymbol() const { return granted_ ? "checkmark" : "gear"; }
    bool isPollRunning() const { return poll_ != nullptr; }

    Q_INVOKABLE void appeared();
    Q_INVOKABLE void disappeared();
    // The switch, with its new value.
    Q_INVOKABLE void requestAccessibility(bool on);
    Q_INVOKABLE void openAccessibilitySettings();
    // The footer pill: settings while not granted, else closes the panel.
    Q_INVOKABLE void footerAction();
    Q_INVOKABLE void quit();

  signals:
    void changed();

  private:
    void startPermissionPolling();
    void pollOnce();
    void stopPolling();

    Platform& platform_;
    Hooks hooks_;
    bool granted_ = false;
    bool polling_ = false;
    WorkHandle poll_;
    Lifetime lifetime_;
};

} // namespace nimbrel
