#include "model/RuleActions.h"

namespace nimbrel {

Uuid NimbrelRuleAction::id() const {
    return std::visit([](const auto& payload) { return payload.id; }, value);
}

QString NimbrelRuleAction::caseName() const {
    static constexpr std::array names{"openFolder",     "openApp",           "openBrowserWebsite",
                                      "arrangeWindows", "runSystemBehavior", "runTerminalScript"};
    static_assert(names.size() == std::variant_size_v<Payload>);
    return QString::fromLatin1(names[value.index()]);
}

QString NimbrelLayoutTarget::caseName() const {
    return value.index() == 0 ? QStringLiteral("app") : QStringLiteral("folder");
}

} // namespace nimbrel
