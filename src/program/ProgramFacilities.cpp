#include "program/ProgramFacilities.h"

#include "activity/ActivityRecorder.h"
#include "activity/ActivityStore.h"
#include "platform/Log.h"
#include "platform/SharedInstance.h"

#include <QCoreApplication>
#include <QDir>

namespace nimbrel {

namespace {
const QString kLog = QStringLiteral("NimbrelApp");
}

ProgramFacilities::ProgramFacilities(Locations locations) : locations_(std::move(locations)) {
    const QString support = locations_.nimbrelSupportFolder();
    QDir().mkpath(support);
    QDir().mkpath(locations_.preferences);
    defaults_ = std::make_unique<JsonFileUserDefaults>(JsonFileUserDefaults::filePath(locations_));

    // Two programs pointed at one cloud file (NIMBREL_CLOUD_DATABASE) are two Macs of one account.
    simulated_ =
        std::make_unique<sim::SimulatedPlatform>(scheduler_, clock_, sim::SimulatedPlatform::defaultFolder(locations_),
                                                 SqliteCloudService::defaultPath(support));
    if (!simulated_->loadProblem().isEmpty())
        logLine(kLog, QStringLiteral("simulated Mac state unreadable: ") + simulated_->loadProblem());
    // A Mac that has never run Nimbrel has not granted it the permission yet.
    if (!simulated_->restoredFromDisk()) simulated_->mac().setTrusted(false);
    simulated_->saveChangesAutomatically(kMacStateSaveDelay);
    userNotifications_ = std::make_unique<DesktopUserNotifications>(scheduler_, clock_);
    // The device id must outlive a restart.
    keychain_ = std::make_unique<FileKeychain>(support + QStringLiteral("/keychain.json"));

    platform_.scheduler = &scheduler_;
    platform_.clock = &clock_;
    platform_.notifications = &notifications_;
    platform_.defaults = defaults_.get();
    platform_.locations = locations_;
    simulated_->fill(platform_);
    platform_.userNotifications = userNotifications_.get();
    platform_.keychain = keychain_.get();
    // Opening at login is this machine's own: an autostart entry for this executable.
    loginItems_ = std::make_unique<AutostartLoginItems>(AutostartLoginItems::defaultFolder(),
                                                        QCoreApplication::applicationFilePath());
    platform_.loginItems = loginItems_.get();

    // The program's own files found damaged at start were logged as they were set aside; the
    // user learns of them in the activity list, as of every other damaged file.
    recordSetAside(QStringLiteral("Preferences Unreadable"), defaults_->setAsideProblem());
    recordSetAside(QStringLiteral("Keychain Unreadable"), keychain_->setAsideProblem());
    // A keychain change the file did not take (the device id's, say) is refused to its caller;
    // the user reads why in the activity list, as of the other stores' refused saves.
    keychain_->reportWriteFailuresTo([this](const QString& error) {
        scheduler_.postFromAnyThread([this, error] {
            recordNimbrelActivity(platform_, NimbrelActivityType::error, QStringLiteral("Keychain Save Failed"), error);
        });
    });
    // The defaults are written by a thread of their own; the user learns of a failed write when
    // it happens, not at the next change.
    defaults_->reportWriteFailuresOn(scheduler_, [this](const QString& error) {
        recordNimbrelActivity(platform_, NimbrelActivityType::error, QStringLiteral("Preferences Save Failed"),
                              QStringLiteral("The preferences could not be saved (%1). The file keeps what it held "
                                             "before; the changes stay in effect and are saved again with the next "
                                             "change.")
                                  .arg(error));
    });
}

void ProgramFacilities::recordSetAside(const QString& title, const QString& problem) {
    if (!problem.isEmpty()) recordNimbrelActivity(platform_, NimbrelActivityType::error, title, problem);
}

ProgramFacilities::~ProgramFacilities() {
    shutDown();
}

void ProgramFacilities::flush() {
    // First the preferences: a failure to save them is recorded in the activity history.
    if (!defaults_->synchronize()) logLine(kLog, QStringLiteral("could not save the preferences"));
    if (hasSharedInstance<NimbrelActivityStore>()) {
        NimbrelActivityStore& activity = NimbrelActivityStore::shared();
        if (activity.hasPendingSave()) activity.flush(); // says itself when it cannot
    }
    QString error;
    if (!simulated_->save(&error)) logLine(kLog, QStringLiteral("could not save the simulated Mac: ") + error);
}

void ProgramFacilities::shutDown() {
    if (shutDown_) return;
    shutDown_ = true;
    // Cloud work left at quit is dropped, so the wait below is never for another process's lock.
    simulated_->cloud().shutDown();
    scheduler_.stop();
    flush();
}

} // namespace nimbrel
