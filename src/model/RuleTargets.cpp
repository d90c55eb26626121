#include "model/RuleTargets.h"

#include <QHashFunctions>

namespace nimbrel {

namespace {
size_t hashOptional(const std::optional<QString>& v, size_t seed) {
    return v ? qHashMulti(seed, 1, *v) : qHashMulti(seed, 0);
}
} // namespace

size_t qHash(const NimbrelRuleAppTarget& v, size_t seed) noexcept {
    return qHashMulti(seed, v.displayName, hashOptional(v.bundleIdentifier, 1), hashOptional(v.path, 2));
}

size_t qHash(const NimbrelFolderTarget& v, size_t seed) noexcept {
    return qHashMulti(seed, v.displayName, v.path);
}

size_t qHash(const NimbrelClockTime& v, size_t seed) noexcept {
    return qHashMulti(seed, v.hour, v.minute);
}

size_t qHash(const NimbrelDisplayTarget& v, size_t seed) noexcept {
    return qHashMulti(seed, static_cast<int>(v.kind), v.externalIndex.has_value(), v.externalIndex.value_or(0));
}

QString NimbrelDisplayTarget::id() const {
    switch (kind) {
    case Kind::automatic:
        return QStringLiteral("automatic");
    case Kind::main:
        return QStringLiteral("main");
    case Kind::external:
        break;
    }
    return QStringLiteral("external-%1").arg(externalIndex.value_or(0));
}

QString NimbrelDisplayTarget::displayName() const {
    switch (kind) {
    case Kind::automatic:
        return QStringLiteral("Automatic");
    case Kind::main:
        return QStringLiteral("Main Monitor");
    case Kind::external:
        break;
    }
    if (!externalIndex) return QStringLiteral("External Monitor");
    // Screens are numbered from 1 for the user; the largest stored index must not wrap.
    const std::int64_t n = *externalIndex;
    const QString number =
        n == std::numeric_limits<std::int64_t>::max() ? QStringLiteral("9223372036854775808") : QString::number(n + 1);
    return QStringLiteral("External Monitor ") + number;
}

} // namespace nimbrel
