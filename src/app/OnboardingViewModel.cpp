#include "app/OnboardingViewModel.h"

#include "app/ShellNames.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"

namespace nimbrel {

namespace {
constexpr double kPollInterval = 0.5;
}

OnboardingViewModel::OnboardingViewModel(Platform& platform, Hooks hooks, QObject* parent)
    : QObject(parent), platform_(platform), hooks_(std::move(hooks)) {
    granted_ = hooks_.isProcessTrusted && hooks_.isProcessTrusted();
}

OnboardingViewModel::~OnboardingViewModel() {
    stopPolling();
}

QString OnboardingViewModel::instructions() const {
    return QStringLiteral("Toggle the switch below. macOS will prompt you to authenticate with Touch ID or your "
                          "password, then return here, and Nimbrel will continue automatically. If the toggle "
                          "doesn't work, use the Settings button instead.");
}

QString OnboardingViewModel::statusLine() const {
    if (granted_) return QStringLiteral("Enabled \u2014 Nimbrel is ready to go");
    if (polling_) return QStringLiteral("Waiting for permission\u2026");
    return QStringLiteral("Toggle to grant via Touch ID or password");
}

void OnboardingViewModel::appeared() {
    const bool trusted = hooks_.isProcessTrusted && hooks_.isProcessTrusted();
    if (trusted != granted_) {
        granted_ = trusted;
        emit changed();
    }
}

void OnboardingViewModel::disappeared() {
    stopPolling();
}

void OnboardingViewModel::requestAccessibility(bool on) {
    if (!on || granted_) return;
    if (hooks_.promptForTrust) hooks_.promptForTrust();
    polling_ = true;
    emit changed();
    startPermissionPolling();
}

void OnboardingViewModel::openAccessibilitySettings() {
    if (hooks_.openAccessibilitySettings) hooks_.openAccessibilitySettings();
    polling_ = true;
    emit changed();
    startPermissionPolling();
}

void OnboardingViewModel::footerAction() {
    if (granted_) {
        if (hooks_.closeKeyWindow) hooks_.closeKeyWindow();
    } else {
        openAccessibilitySettings();
    }
}

void OnboardingViewModel::quit() {
    if (hooks_.terminate) hooks_.terminate();
}

void OnboardingViewModel::stopPolling() {
    if (!poll_) return;
    poll_->cancel();
    poll_.reset();
}

void OnboardingViewModel::startPermissionPolling() {
    stopPolling();
    poll_ = platform_.scheduler->after(kPollInterval, lifetime_.guard([this] { pollOnce(); }));
}

void OnboardingViewModel::pollOnce() {
    poll_.reset();
    const bool trusted = hooks_.isProcessTrusted && hooks_.isProcessTrusted();
    if (trusted != granted_) {
        granted_ = trusted;
        emit changed();
    }
    if (!trusted) {
        poll_ = platform_.scheduler->after(kPollInterval, lifetime_.guard([this] { pollOnce(); }));
        return;
    }
    polling_ = false;
    emit changed();
    platform_.notifications->post(shell::kAccessibilityWasGranted);
}

} // namespace nimbrel
