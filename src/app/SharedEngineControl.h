#pragma once

#include "app/ShellHooks.h"

namespace nimbrel {

struct Platform;
class NimbrelEngine;

// The shared Dock-tap engine as the shell drives it. The engine is made here first, so it
// knows this program's own bundle identifier (taps on the program's own tile are dropped).
class SharedEngineControl final : public EngineControl {
  public:
    explicit SharedEngineControl(Platform& platform) : platform_(platform) {}
    NimbrelEngine& engine() const;
    void startMonitoring() override;
    bool hasDockClickMonitor() const override;

  private:
    Platform& platform_;
};

} // namespace nimbrel
