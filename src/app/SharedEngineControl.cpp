#include "app/SharedEngineControl.h"

#include "engine/NimbrelEngine.h"

namespace nimbrel {

NimbrelEngine& SharedEngineControl::engine() const {
    return NimbrelEngine::shared(platform_);
}

void SharedEngineControl::startMonitoring() {
    engine().startMonitoring();
}

bool SharedEngineControl::hasDockClickMonitor() const {
    return engine().dockClickMonitor() != nullptr;
}

} // namespace nimbrel
