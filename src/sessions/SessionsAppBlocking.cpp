// Closing the applications that the active session does not allow: those running when the
// session is applied or re-evaluated, and those launched while it is active.
#include "sessions/SessionsStore.h"

#include "activity/ActivityRecorder.h"
#include "platform/Accessibility.h"
#include "platform/Alerts.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "platform/Workspace.h"
#include "sessions/SessionPaths.h"

namespace nimbrel {

namespace {

const QString kSystemSettingsBundleId = QStringLiteral("com.apple.systempreferences");

QString blockedAppName(const RunningApplication& app) {
    if (app.localizedName && !app.localizedName->isEmpty()) return *app.localizedName;
    if (app.bundlePath && !app.bundlePath->isEmpty()) {
        // The bundle's file name without its extension, also when the path ends in a slash.
        const QString file = lastPathComponent(*app.bundlePath);
        const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
        return dot > 0 ? file.left(dot) : file;
    }
    return QStringLiteral("This app");
}

} // namespace

bool NimbrelSessionsStore::isNeededForSetup(const RunningApplication& app) const {
    // Until the Accessibility permission is granted, Nimbrel's setup sends the user to System
    // Settings to grant it; closing it there would keep the user from ever granting it.
    return app.bundleIdentifier && app.bundleIdentifier->compare(kSystemSettingsBundleId, Qt::CaseInsensitive) == 0 &&
           platform_.accessibility && !platform_.accessibility->isProcessTrusted();
}

bool NimbrelSessionsStore::isCurrentApplication(const RunningApplication& app) const {
    return parts_.mainBundle.isCurrentApplication(app, platform_.workspace->currentApplicationPid());
}

void NimbrelSessionsStore::enforceActiveSessionOnRunningApps() {
    if (isPaused() || !activeSession_.get()) return;
    // blockIfNotAllowed spares the program itself.
    for (const RunningApplication& app : platform_.workspace->runningApplications())
        blockIfNotAllowed(app);
}

bool NimbrelSessionsStore::blockIfNotAllowed(const RunningApplication& app) {
    if (isPaused()) return false;
    const std::optional<NimbrelSession>& active = activeSession_.get();
    if (!active) return false;
    if (!activeAllowedApps_) activeAllowedApps_.emplace(*active);
    // Whether the app is the program is asked last: the workspace looks through its apps for it.
    if (app.activationPolicy != ActivationPolicy::regular || activeAllowedApps_->allows(app, *platform_.defaults) ||
        isCurrentApplication(app) || isNeededForSetup(app))
        return false;
    const QString name =
        app.localizedName && !app.localizedName->isEmpty() ? *app.localizedName : QStringLiteral("Unknown App");
    record(NimbrelActivityType::session, QStringLiteral("App Blocked by Session"),
           QStringLiteral("%1 was blocked because it is not allowed in %2.").arg(name, active->name));
    platform_.workspace->terminate(app.pid);
    showBlockedAlert(app, *active);
    return true;
}

void NimbrelSessionsStore::showBlockedAlert(const RunningApplication& app, const NimbrelSession& session) {
    if (blockedAlertIsShowing_) return;
    blockedAlertIsShowing_ = true;
    AlertRequest request;
    request.messageText = QStringLiteral("App Blocked by Session");
    request.informativeText = QStringLiteral("%1 is not allowed while the %2 session is active. Only apps added to "
                                             "this session can open until the session ends or is disabled.")
                                  .arg(blockedAppName(app), session.name);
    request.style = AlertStyle::warning;
    request.buttons = {QStringLiteral("I Understand"), QStringLiteral("Cancel")};
    // The alert waits for the user; the closing pass it came from must not.
    platform_.scheduler->post([weak = weak_from_this(), request] {
        auto store = weak.lock();
        if (!store) return;
        store->platform_.alerts->runModal(request);
        store->blockedAlertIsShowing_ = false;
    });
}

void NimbrelSessionsStore::observeApplicationLaunches() {
    applicationObserver_ =
        platform_.workspace->observeDidLaunch([weak = weak_from_this()](const RunningApplication& app) {
            auto store = weak.lock();
            if (store) store->blockIfNotAllowed(app);
        });
}

} // namespace nimbrel
