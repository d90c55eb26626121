#pragma once

#include "platform/CodeSignature.h"
#include "platform/Platform.h"

#include <memory>

namespace nimbrel {

namespace sim {
class SimulatedMac;
}

// The Mac's facilities over one simulated Mac, filled into a `Platform` whose scheduler,
// clock, notifications and defaults the caller provides. This build's signature carries no
// CloudKit entitlements.
class SimulatedPlatform {
public:
    explicit SimulatedPlatform(sim::SimulatedMac& mac);
    ~SimulatedPlatform();
    SimulatedPlatform(const SimulatedPlatform&) = delete;
    SimulatedPlatform& operator=(const SimulatedPlatform&) = delete;

    // Sets every facility of `platform` that the simulated Mac stands for.
    void fill(Platform& platform);
    FixedCodeSignature& signature() { return signature_; }

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
    FixedCodeSignature signature_;
};

} // namespace nimbrel
