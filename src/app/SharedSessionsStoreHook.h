#pragma once

#include "app/ShellHooks.h"
#include "sessions/SessionsStore.h"

namespace nimbrel {

// The start-up entry of the shared sessions store, as the shell calls it.
class SharedSessionsStoreHook final : public SessionsStoreHook {
  public:
    void applyGlobalPauseState() override { NimbrelSessionsStore::applyGlobalPauseState(); }
};

} // namespace nimbrel
