#pragma once

namespace nimbrel {

// The URI under which the screens' own C++ items are registered ("import Nimbrel.Screens").
inline constexpr const char* kScreenTypesUri = "Nimbrel.Screens";

// Registers the items the screens share (SpringCurve, the help tips' tracker, and the attached
// behaviours of their lists and fields). Once per process.
void registerCommonQmlTypes();

} // namespace nimbrel
