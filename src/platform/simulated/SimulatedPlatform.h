#pragma once

#include "platform/CodeSignature.h"
#include "platform/Files.h"
#include "platform/Keychain.h"
#include "platform/MainBundle.h"
#include "platform/Platform.h"
#include "platform/local/SqliteCloudService.h"
#include "platform/simulated/SimAccessibility.h"
#include "platform/simulated/SimAlerts.h"
#include "platform/simulated/SimAppleScript.h"
#include "platform/simulated/SimDockPreferences.h"
#include "platform/simulated/SimInput.h"
#include "platform/simulated/SimProcesses.h"
#include "platform/simulated/SimScreens.h"
#include "platform/simulated/SimStateSaver.h"
#include "platform/simulated/SimSystem.h"
#include "platform/simulated/SimWorkspace.h"
#include "platform/simulated/SimulatedMac.h"

#include <memory>

namespace nimbrel::sim {

// One simulated Mac with all its facilities. The Mac lives in a folder: "state.json"
// (screens, apps and windows, the Dock's preferences, ...) and "disk/" (its files).
// An existing folder is opened as it was left; a new one gets the default desktop.
// The program is installed and signed for the cloud, and the Mac's account is signed in;
// its cloud is the database file at `cloudDatabase` ("CloudDatabase.sqlite" in the folder
// when none is given), which other Macs may share.
class SimulatedPlatform {
  public:
    SimulatedPlatform(Scheduler& scheduler, Clock& clock, QString folder, QString cloudDatabase = {});
    ~SimulatedPlatform();

    // <the program's data folder>/SimulatedMac
    static QString defaultFolder(const Locations& locations);

    // Sets every facility of `platform` that the simulated Mac provides (and `files`,
    // the Mac's disk); scheduler, clock, notifications and defaults stay the caller's.
    void fill(Platform& platform);

    // Writes the state now (what waits, when saving automatically) and waits for it.
    bool save(QString* error = nullptr) const;
    // From now on the state is also saved when the Mac changes, `delay` seconds after the
    // first change (see SimStateSaver); the scheduler must be the one the Mac runs on.
    void saveChangesAutomatically(double delay);
    // For tests: waits until the automatic saves handed over so far are written (none is
    // started by it), so a save that came too early is on disk.
    void waitForAutomaticSaves();
    // Whether the state was read from the folder (false: a fresh default desktop).
    bool restoredFromDisk() const { return restored_; }
    // Why a damaged state file was set aside, and where it went, when it was (when it could not
    // be moved, it stays and the state is never saved over it).
    const QString& loadProblem() const { return loadProblem_; }

    const QString& folder() const { return folder_; }
    SimulatedMac& mac() { return *mac_; }
    SimWorkspace& workspace() { return *workspace_; }
    SimAccessibility& accessibility() { return *accessibility_; }
    SimInput& input() { return *input_; }
    SimScreens& screens() { return *screens_; }
    SimAppleScript& appleScript() { return *appleScript_; }
    SimAlerts& alerts() { return *alerts_; }
    SimProcesses& processes() { return *processes_; }
    SimDockPreferences& dockPreferences() { return *dockPreferences_; }
    InMemoryKeychain& keychain() { return *keychain_; }
    FixedCodeSignature& codeSignature() { return *codeSignature_; }
    FixedMainBundle& mainBundle() { return *mainBundle_; }
    // The account, the network and injected failures are set through its conditions.
    SqliteCloudService& cloud() { return *cloud_; }
    SimSystemInfo& systemInfo() { return *systemInfo_; }
    SimLoginItems& loginItems() { return *loginItems_; }
    SimUpdateFramework& updater() { return *updater_; }
    LocalFileSystem& files() { return *files_; }

  private:
    QString folder_;
    bool restored_ = false;
    bool stateWritable_ = true;
    QString loadProblem_;
    std::unique_ptr<SimulatedMac> mac_;
    std::unique_ptr<SimWorkspace> workspace_;
    std::unique_ptr<SimAccessibility> accessibility_;
    std::unique_ptr<SimInput> input_;
    std::unique_ptr<SimScreens> screens_;
    std::unique_ptr<SimAppleScript> appleScript_;
    std::unique_ptr<SimAlerts> alerts_;
    std::unique_ptr<SimProcesses> processes_;
    std::unique_ptr<SimDockPreferences> dockPreferences_;
    std::unique_ptr<InMemoryKeychain> keychain_;
    std::unique_ptr<FixedCodeSignature> codeSignature_;
    std::unique_ptr<FixedMainBundle> mainBundle_;
    std::unique_ptr<SqliteCloudService> cloud_;
    std::unique_ptr<SimSystemInfo> systemInfo_;
    std::unique_ptr<SimLoginItems> loginItems_;
    std::unique_ptr<SimUpdateFramework> updater_;
    std::unique_ptr<LocalFileSystem> files_;
    Scheduler& scheduler_;
    std::unique_ptr<SimStateSaver> saver_; // goes before the Mac it reads
};

} // namespace nimbrel::sim
