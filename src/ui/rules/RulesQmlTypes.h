#pragma once

namespace nimbrel {

// Registers the rules screens' own items (WrapLayout) under "Nimbrel.Screens". Once per process.
void registerRulesQmlTypes();

} // namespace nimbrel
