#include "sessions/MainBundle.h"

#include "platform/ProgramIdentity.h"
#include "platform/Workspace.h"

#include <QDir>

namespace nimbrel {

namespace {
QString nameOrDefault(const QVariant& value) {
    return value.typeId() == QMetaType::QString ? value.toString() : QStringLiteral("Nimbrel");
}
} // namespace

NimbrelMainBundle NimbrelMainBundle::current() {
    NimbrelMainBundle bundle;
    bundle.bundleIdentifier = kNimbrelBundleIdentifier;
    bundle.bundleName = QStringLiteral("Nimbrel");
    bundle.bundleDisplayName = QStringLiteral("Nimbrel");
    return bundle;
}

bool NimbrelMainBundle::isCurrentApplication(const RunningApplication& app,
                                             std::optional<int> currentApplicationPid) const {
    if (currentApplicationPid && app.pid == *currentApplicationPid) return true;
    if (app.bundleIdentifier && !bundleIdentifier.isEmpty() && *app.bundleIdentifier == bundleIdentifier) return true;
    if (app.bundlePath && bundlePath && QDir::cleanPath(*app.bundlePath) == QDir::cleanPath(*bundlePath)) return true;
    // Compared ignoring case rather than lower-cased: the tick asks for every running app.
    const QString name = app.localizedName.value_or(QString());
    const auto named = [&name](QStringView other) { return name.compare(other, Qt::CaseInsensitive) == 0; };
    return named(nameOrDefault(bundleName)) || named(nameOrDefault(bundleDisplayName)) || named(u"nimbrel");
}

} // namespace nimbrel
