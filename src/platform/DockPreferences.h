#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <optional>

namespace nimbrel {

inline const QString kDockPreferencesDomain = QStringLiteral("com.apple.dock");
inline const QString kDockPersistentAppsKey = QStringLiteral("persistent-apps");

// The Dock's own preference domain. Writes are pending until synchronized; the Dock
// reads them again only when it restarts.
class DockPreferences {
  public:
    virtual ~DockPreferences() = default;

    // The value under `key` ("persistent-apps": a list of tile dictionaries); invalid when absent.
    virtual QVariant copyValue(const QString& key) const = 0;
    // An invalid value removes the key.
    virtual void setValue(const QString& key, const QVariant& value) = 0;
    // Flushes the pending writes; false when they could not be stored.
    virtual bool synchronize() = 0;
    // The whole stored domain as another program reads it; none when there is none.
    virtual std::optional<QVariantMap> persistentDomain() const = 0;
};

} // namespace nimbrel
