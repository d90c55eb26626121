#pragma once

#include <QString>

namespace nimbrel {

// The program's version as the build gives it: the project's version in CMakeLists.txt.
QString buildVersion();
// Makes it the application's version, which the settings screen shows as the program's own.
// Every program that shows the settings calls it once at start-up, after making its
// application object.
void applyBuildVersion();

} // namespace nimbrel
