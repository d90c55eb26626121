#include "platform/simulated/SimulatedPlatform.h"

#include "platform/ProgramIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace nimbrel::sim {

namespace {
QString statePath(const QString& folder) {
    return folder + QStringLiteral("/state.json");
}

// The entitlements of a program signed for its cloud container.
QVariantMap cloudEntitlements() {
    return {
        {QStringLiteral("com.apple.developer.icloud-services"), QStringList{QStringLiteral("CloudKit")}},
        {QStringLiteral("com.apple.developer.icloud-container-identifiers"),
         QStringList{kNimbrelCloudKitContainerIdentifier}},
    };
}
} // namespace

QString SimulatedPlatform::defaultFolder(const Locations& locations) {
    return locations.nimbrelSupportFolder() + QStringLiteral("/SimulatedMac");
}

SimulatedPlatform::SimulatedPlatform(Scheduler& scheduler, Clock& clock, QString folder, QString cloudDatabase)
    : folder_(std::move(folder)), scheduler_(scheduler) {
    QDir().mkpath(folder_ + QStringLiteral("/disk"));
    mac_ = std::make_unique<SimulatedMac>(scheduler, clock, folder_ + QStringLiteral("/disk"));
    const QString state = statePath(folder_);
    removeStaleTemporaries(state);
    if (QFile::exists(state)) {
        QString error;
        if (mac_->loadFromFile(state, &error)) {
            restored_ = true;
            mac_->addMissingAppPictures();
        } else {
            // Keep the damaged state for a look later, under a name no other file has, and start
            // from the default desktop; a state that cannot be moved away is never written over.
            const std::optional<QString> kept = moveAside(state, QStringLiteral("damaged"));
            stateWritable_ = kept.has_value();
            loadProblem_ = kept ? QStringLiteral("%1; kept as %2").arg(error, QFileInfo(*kept).fileName())
                                : QStringLiteral("%1; it could not be moved aside and is not written over").arg(error);
        }
    }
    if (!restored_) mac_->buildDefaultDesktop();

    workspace_ = std::make_unique<SimWorkspace>(*mac_);
    accessibility_ = std::make_unique<SimAccessibility>(*mac_);
    input_ = std::make_unique<SimInput>(*mac_);
    screens_ = std::make_unique<SimScreens>(*mac_);
    appleScript_ = std::make_unique<SimAppleScript>(*mac_);
    alerts_ = std::make_unique<SimAlerts>(*mac_);
    processes_ = std::make_unique<SimProcesses>(*mac_);
    dockPreferences_ = std::make_unique<SimDockPreferences>(*mac_);
    keychain_ = std::make_unique<InMemoryKeychain>();
    codeSignature_ = std::make_unique<FixedCodeSignature>(cloudEntitlements());
    mainBundle_ = std::make_unique<FixedMainBundle>(kNimbrelBundleIdentifier);
    if (cloudDatabase.isEmpty()) cloudDatabase = folder_ + QStringLiteral("/CloudDatabase.sqlite");
    cloud_ = std::make_unique<SqliteCloudService>(scheduler, cloudDatabase);
    systemInfo_ = std::make_unique<SimSystemInfo>(*mac_);
    loginItems_ = std::make_unique<SimLoginItems>(*mac_);
    updater_ = std::make_unique<SimUpdateFramework>(*mac_);
    files_ = std::make_unique<LocalFileSystem>(mac_->root(), mac_->identity().homeDirectory());
}

SimulatedPlatform::~SimulatedPlatform() = default;

void SimulatedPlatform::fill(Platform& platform) {
    platform.files = files_.get();
    platform.workspace = workspace_.get();
    platform.accessibility = accessibility_.get();
    platform.input = input_.get();
    platform.screens = screens_.get();
    platform.appleScript = appleScript_.get();
    platform.alerts = alerts_.get();
    platform.processes = processes_.get();
    platform.dockPreferences = dockPreferences_.get();
    platform.keychain = keychain_.get();
    platform.codeSignature = codeSignature_.get();
    platform.mainBundle = mainBundle_.get();
    platform.cloud = cloud_.get();
    platform.systemInfo = systemInfo_.get();
    platform.loginItems = loginItems_.get();
    platform.updater = updater_.get();
}

bool SimulatedPlatform::save(QString* error) const {
    if (!stateWritable_) {
        if (error) *error = QStringLiteral("the damaged state file is in the way and is not written over");
        return false;
    }
    if (saver_) return saver_->saveNow(error);
    return mac_->saveToFile(statePath(folder_), error);
}

void SimulatedPlatform::saveChangesAutomatically(double delay) {
    if (!stateWritable_) return;
    saver_ = std::make_unique<SimStateSaver>(*mac_, scheduler_, statePath(folder_), delay);
}

void SimulatedPlatform::waitForAutomaticSaves() {
    if (saver_) saver_->waitForWrites();
}

} // namespace nimbrel::sim
