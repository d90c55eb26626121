#pragma once

#include "app/ShellHooks.h"

#include <QString>

#include <functional>

namespace nimbrel {

struct Platform;

// Hears the name of each part of the program the first time the delegate starts it.
using PartStarted = std::function<void(const QString& name)>;

// The parts of the program that the application delegate starts, each at its place in its
// start-up order: the Dock tap engine at launch; 1.0 s later, with the cloud entitlements, the
// sessions store's bootstrap and then the rules store. What these parts make on first use (the
// settings store, the sync manager, ...) comes with them. A new part is one line in
// ProgramParts.cpp, on the hook of its place.
void addProgramParts(ShellHooks& hooks, Platform& platform, PartStarted started = {});

} // namespace nimbrel
