#pragma once

namespace nimbrel {

// The URI under which the shared Qt Quick items are registered ("import Nimbrel.Quick").
inline constexpr const char* kQuickTypesUri = "Nimbrel.Quick";

// Registers the items that Nimbrel's screens and the simulated Mac's desktop both use (ModalLayer).
// Whoever loads QML that imports them calls it; the first call in a process registers them.
void registerQuickTypes();

} // namespace nimbrel
