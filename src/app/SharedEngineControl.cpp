#include "app/SharedEngineControl.h"

#include "app/ShellNames.h"
#include "engine/NimbrelEngine.h"
#include "engine/WindowManager.h"
#include "platform/SharedInstance.h"

namespace nimbrel {

NimbrelEngine& SharedEngineControl::engine() const {
    return sharedInstance<NimbrelEngine>([this] {
        NimbrelEngine::Options options{EngineServices::standard(platform_), &WindowManager::shared(),
                                       shell::kBundleIdentifier};
        return std::make_shared<NimbrelEngine>(platform_, std::move(options));
    });
}

void SharedEngineControl::startMonitoring() {
    engine().startMonitoring();
}

bool SharedEngineControl::hasDockClickMonitor() const {
    return engine().dockClickMonitor() != nullptr;
}

} // namespace nimbrel
