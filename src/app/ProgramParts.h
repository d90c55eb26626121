#pragma once

#include "app/ShellHooks.h"

#include <QString>

#include <functional>
#include <memory>

namespace nimbrel {

struct Platform;

// Hears the name of each part of the program the first time the delegate starts it.
using PartStarted = std::function<void(const QString& name)>;

// The parts of the program that the application delegate starts, each at its place in its
// start-up order: the Dock tap engine at launch; 1.0 s later the sessions store's bootstrap and,
// with the cloud entitlements, the rules store. What these parts make on first use (the
// settings store, the sync manager, ...) comes with them. A new part is a line in `addTo`, on
// the hook of its place.
class ProgramParts {
  public:
    ProgramParts(Platform& platform, PartStarted started = {});
    ~ProgramParts();
    ProgramParts(const ProgramParts&) = delete;
    ProgramParts& operator=(const ProgramParts&) = delete;

    // Hands the parts to the delegate's hooks; they must not outlive this.
    void addTo(ShellHooks& hooks);

  private:
    class SessionsStorePart;
    PartStarted started_;
    std::unique_ptr<EngineControl> engine_;
    std::unique_ptr<SessionsStorePart> sessionsStore_;
};

} // namespace nimbrel
