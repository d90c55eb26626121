#pragma once

namespace nimbrel {

// The sessions screens' own items, under "import Nimbrel.Sessions". Once per process.
void registerSessionsQmlTypes();

} // namespace nimbrel
