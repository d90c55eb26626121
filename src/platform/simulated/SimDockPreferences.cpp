#include "platform/simulated/SimDockPreferences.h"

namespace nimbrel::sim {

namespace {
QString summary(const QVariant& value) {
    if (value.typeId() != QMetaType::QVariantList)
        return value.isValid() ? value.toString() : QStringLiteral("(removed)");
    QStringList labels;
    for (const QVariant& tile : value.toList()) {
        const QVariantMap data = tile.toMap().value(QStringLiteral("tile-data")).toMap();
        const QString label = data.value(QStringLiteral("file-label")).toString();
        labels
            << (label.isEmpty()
                    ? data.value(QStringLiteral("file-data")).toMap().value(QStringLiteral("_CFURLString")).toString()
                    : label);
    }
    return QLatin1Char('[') + labels.join(QStringLiteral(", ")) + QLatin1Char(']');
}
} // namespace

void SimDockPreferences::setValue(const QString& key, const QVariant& value) {
    if (value.isValid())
        mac_.dockPreferencesPending().insert(key, value);
    else
        mac_.dockPreferencesPending().remove(key);
    mac_.recorder().record(EventKind::dockPreferences, QStringLiteral("set %1 = %2").arg(key, summary(value)));
}

bool SimDockPreferences::synchronize() {
    const bool ok = mac_.synchronizeDockPreferences();
    mac_.recorder().record(EventKind::dockPreferences, QStringLiteral("synchronize -> %1").arg(ok ? "true" : "false"));
    return ok;
}

} // namespace nimbrel::sim
