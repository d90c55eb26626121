#include "app/ProgramParts.h"

#include "app/SharedEngineControl.h"
#include "model/RulesStore.h"

#include <memory>
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

void addProgramParts(ShellHooks& hooks, Platform& platform, PartStarted started) {
    auto engine = std::make_shared<SharedEngineControl>(platform);
    hooks.engine = announced(started, QStringLiteral("engine"), [engine]() -> EngineControl& { return *engine; });
    hooks.obtainRulesStore = announced(started, QStringLiteral("rules store"), [] { NimbrelRulesStore::shared(); });
}

} // namespace nimbrel
