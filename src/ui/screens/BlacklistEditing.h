#pragma once

#include "model/InstalledApp.h"

#include <QString>

#include <vector>

namespace nimbrel {

struct Platform;
class BlacklistStore;

// The blacklist screen's changes. Each changes the store's keys, saves, pushes unless a
// cloud copy is being applied, and then records at most one activity entry.
class BlacklistEditing {
  public:
    BlacklistEditing(Platform& platform, BlacklistStore& store) : platform_(platform), store_(store) {}

    // One app on or off the list (off removes both forms of its key).
    void toggle(const InstalledApp& app);
    // The "All" switch over the apps the search shows at this moment.
    void setBlacklisted(const std::vector<InstalledApp>& shown, bool on);
    // A stored key whose app is not installed.
    void removeMissingKey(const QString& key);

    // "1 app were added to the blacklist.", "3 apps were removed from the blacklist."
    static QString changedAppsMessage(int count, bool added);

  private:
    void saveAndPush();
    void record(const QString& title, const QString& message);

    Platform& platform_;
    BlacklistStore& store_;
};

} // namespace nimbrel
