#pragma once

namespace nimbrel {

// The URI under which the screens' own C++ items are registered ("import Nimbrel.Screens").
inline constexpr const char* kScreenTypesUri = "Nimbrel.Screens";

// Registers the items the screens share (SpringCurve, and the attached behaviour of their lists).
// Once per process.
void registerCommonQmlTypes();

} // namespace nimbrel
