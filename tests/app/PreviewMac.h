#pragma once

#include "platform/Platform.h"
#include "platform/simulated/SimulatedPlatform.h"

#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace nimbrel::testing {

// A default simulated Mac for a screen preview, made over the preview's own clock; it must
// outlive the preview.
struct PreviewMac {
    QTemporaryDir disk;
    std::unique_ptr<sim::SimulatedPlatform> simulated;

    std::function<void(Platform&)> fill() {
        return [this](Platform& platform) {
            simulated = std::make_unique<sim::SimulatedPlatform>(*platform.scheduler, *platform.clock, disk.path());
            simulated->fill(platform);
        };
    }
};

} // namespace nimbrel::testing
