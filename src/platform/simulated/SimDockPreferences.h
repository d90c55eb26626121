#pragma once

#include "platform/DockPreferences.h"
#include "platform/simulated/SimulatedMac.h"

namespace nimbrel::sim {

// The "com.apple.dock" domain of the simulated Mac. The Dock reads what is stored when it restarts.
class SimDockPreferences final : public DockPreferences {
  public:
    explicit SimDockPreferences(SimulatedMac& mac) : mac_(mac) {}

    QVariant copyValue(const QString& key) const override { return mac_.dockPreferencesPending().value(key); }
    void setValue(const QString& key, const QVariant& value) override;
    bool synchronize() override;
    std::optional<QVariantMap> persistentDomain() const override {
        if (mac_.dockPreferencesStored().isEmpty()) return std::nullopt;
        return mac_.dockPreferencesStored();
    }

  private:
    SimulatedMac& mac_;
};

} // namespace nimbrel::sim
