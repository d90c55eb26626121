#pragma once

namespace nimbrel {

struct Platform;
namespace sim {
class SimulatedMac;
}

// Still data for pictures of the settings, activity and blacklist screens: a week of
// activity, a blacklist with one app no longer installed, opening at login on, a check date
// and the login account's picture in the simulated Mac's directory record.
void seedSettingsActivityBlacklistPreview(Platform& platform, sim::SimulatedMac& mac);

} // namespace nimbrel
