#include "app/SimulatedPlatform.h"

#include "platform/simulated/SimAccessibility.h"
#include "platform/simulated/SimAlerts.h"
#include "platform/simulated/SimDockPreferences.h"
#include "platform/simulated/SimInput.h"
#include "platform/simulated/SimProcesses.h"
#include "platform/simulated/SimScreens.h"
#include "platform/simulated/SimSystem.h"
#include "platform/simulated/SimWorkspace.h"
#include "platform/simulated/SimulatedMac.h"

namespace nimbrel {

struct SimulatedPlatform::Parts {
    explicit Parts(sim::SimulatedMac& mac)
        : files(mac.root(), mac.identity().homeDirectory()), workspace(mac), accessibility(mac), input(mac),
          screens(mac), alerts(mac), processes(mac), dockPreferences(mac), systemInfo(mac), loginItems(mac),
          updater(mac) {}
    LocalFileSystem files;
    sim::SimWorkspace workspace;
    sim::SimAccessibility accessibility;
    sim::SimInput input;
    sim::SimScreens screens;
    sim::SimAlerts alerts;
    sim::SimProcesses processes;
    sim::SimDockPreferences dockPreferences;
    sim::SimSystemInfo systemInfo;
    sim::SimLoginItems loginItems;
    sim::SimUpdateFramework updater;
};

SimulatedPlatform::SimulatedPlatform(sim::SimulatedMac& mac) : parts_(std::make_unique<Parts>(mac)) {}

SimulatedPlatform::~SimulatedPlatform() = default;

void SimulatedPlatform::fill(Platform& platform) {
    Parts& p = *parts_;
    platform.files = &p.files;
    platform.workspace = &p.workspace;
    platform.accessibility = &p.accessibility;
    platform.input = &p.input;
    platform.screens = &p.screens;
    platform.alerts = &p.alerts;
    platform.processes = &p.processes;
    platform.dockPreferences = &p.dockPreferences;
    platform.systemInfo = &p.systemInfo;
    platform.loginItems = &p.loginItems;
    platform.updater = &p.updater;
    platform.codeSignature = &signature_;
}

} // namespace nimbrel
