#include "app/ProgramParts.h"

#include "app/SharedEngineControl.h"
#include "app/SharedSessionsStoreHook.h"
#include "model/RulesStore.h"
#include "platform/FreedMemory.h"

#include <utility>

namespace nimbrel {

namespace {

// `part`, telling `started` its name when it is first called.
template <typename Part> auto announced(const PartStarted& started, const QString& name, Part part) {
    auto first = std::make_shared<bool>(true);
    return [started, name, first, part]() -> decltype(auto) {
        if (std::exchange(*first, false) && started) started(name);
        return part();
    };
}

} // namespace

// The sessions store's start-up entry, told as a part the first time it runs.
class ProgramParts::SessionsStorePart final : public SessionsStoreHook {
  public:
    explicit SessionsStorePart(std::function<void()> bootstrap) : bootstrap_(std::move(bootstrap)) {}
    void applyGlobalPauseState() override { bootstrap_(); }

  private:
    std::function<void()> bootstrap_;
};

ProgramParts::ProgramParts(Platform& platform, PartStarted started)
    : started_(std::move(started)), engine_(std::make_unique<SharedEngineControl>(platform)) {
    sessionsStore_ = std::make_unique<SessionsStorePart>(announced(
        started_, QStringLiteral("sessions store"), [] { SharedSessionsStoreHook().applyGlobalPauseState(); }));
}

ProgramParts::~ProgramParts() = default;

void ProgramParts::addTo(ShellHooks& hooks) {
    hooks.engine = announced(started_, QStringLiteral("engine"), [this]() -> EngineControl& { return *engine_; });
    hooks.sessionsStore = sessionsStore_.get();
    hooks.obtainRulesStore = announced(started_, QStringLiteral("rules store"), [] {
        NimbrelRulesStore::shared();
        // The rules are the last store read at start-up: what their and the defaults' decoding
        // used is given back at once.
        returnFreedMemoryToSystem();
    });
}

} // namespace nimbrel
