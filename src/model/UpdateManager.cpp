#include "model/UpdateManager.h"

#include "activity/ActivityRecorder.h"
#include "platform/Platform.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"

namespace nimbrel {

NimbrelUpdateManager::NimbrelUpdateManager(Platform& platform) : platform_(platform) {
    if (platform_.defaults)
        automaticChecksEnabled.set(platform_.defaults->boolValue(automaticChecksKey).value_or(true));
    if (UpdateFramework* updater = updaterController())
        updater->setAutomaticallyChecksForUpdates(automaticChecksEnabled.get());
}

NimbrelUpdateManager::~NimbrelUpdateManager() {
    if (started_ && platform_.updater) platform_.updater->setDelegate(nullptr);
}

NimbrelUpdateManager& NimbrelUpdateManager::shared() {
    return sharedInstance<NimbrelUpdateManager>(
        [] { return std::make_shared<NimbrelUpdateManager>(Platform::current()); });
}

UpdateFramework* NimbrelUpdateManager::updaterController() {
    if (!platform_.updater) return nullptr;
    if (!started_) {
        started_ = true;
        platform_.updater->startUpdater(this);
    }
    return platform_.updater;
}

void NimbrelUpdateManager::assignAutomaticChecksEnabled(bool on) {
    automaticChecksEnabled.set(on);
    if (platform_.defaults) platform_.defaults->setBool(automaticChecksKey, on);
    if (UpdateFramework* updater = updaterController()) updater->setAutomaticallyChecksForUpdates(on);
}

void NimbrelUpdateManager::setAutomaticChecksEnabled(bool on) {
    if (on == automaticChecksEnabled.get()) {
        if (UpdateFramework* updater = updaterController()) updater->setAutomaticallyChecksForUpdates(on);
        return;
    }
    assignAutomaticChecksEnabled(on);
}

void NimbrelUpdateManager::checkForUpdates() {
    if (UpdateFramework* updater = updaterController()) updater->checkForUpdates();
}

void NimbrelUpdateManager::later(std::function<void()> step) {
    if (platform_.scheduler)
        platform_.scheduler->post(lifetime_.guard(std::move(step)));
    else
        step();
}

void NimbrelUpdateManager::fail(const UpdateError& error) {
    statusText.set(kFailed);
    recordNimbrelActivity(platform_, NimbrelActivityType::error, QStringLiteral("Update Check Failed"),
                          error.localizedDescription);
}

void NimbrelUpdateManager::didFinishLoadingAppcast() {
    later([this] { statusText.set(kReady); });
}

void NimbrelUpdateManager::updaterDidNotFindUpdate() {
    later([this] {
        didReceiveDefinitiveResult = true;
        statusText.set(kUpToDate);
        recordNimbrelActivity(platform_, NimbrelActivityType::info, QStringLiteral("No Updates Found"),
                              QStringLiteral("You are running the latest version of Nimbrel."));
    });
}

void NimbrelUpdateManager::didFindValidUpdate(const UpdateItem&) {
    later([this] {
        didReceiveDefinitiveResult = true;
        statusText.set(kUpdateAvailable);
        recordNimbrelActivity(platform_, NimbrelActivityType::info, QStringLiteral("Update Available"),
                              QStringLiteral("A new Nimbrel update is available. Open the app to install it."));
    });
}

void NimbrelUpdateManager::didAbortWithError(const UpdateError& error) {
    later([this, error] {
        // An error after an answer in the same cycle changes nothing.
        if (!didReceiveDefinitiveResult) fail(error);
    });
}

void NimbrelUpdateManager::didFinishUpdateCycle(UpdateCheckKind, const std::optional<UpdateError>& error) {
    later([this, error] {
        if (error) {
            if (!didReceiveDefinitiveResult) fail(*error);
        } else if (statusText.get() == kChecking) {
            statusText.set(kReady);
        }
        didReceiveDefinitiveResult = false;
    });
}

} // namespace nimbrel
