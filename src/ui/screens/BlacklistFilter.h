#pragma once

#include "model/InstalledApp.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <set>
#include <vector>

namespace nimbrel {

// Search text as the blacklist compares it: case and diacritics folded, then only letters
// and numbers kept.
QString normalizedBlacklistSearchText(const QString& text);

// The app key (bundle identifier, else bundle path) and whether either form is stored.
QString blacklistAppKey(const InstalledApp& app);
bool isBlacklisted(const InstalledApp& app, const std::set<QString>& keys);

// The best score of the app's name, bundle identifier and bundle file name for a normalised
// query; none when no candidate matches.
std::optional<int> blacklistMatchScore(const InstalledApp& app, const QString& normalizedQuery);

// What the search compares of each installed app, worked out once per scan: the normalised
// name, bundle identifier and bundle file name, and the app's place in name order (apps
// whose names compare equal share it).
class BlacklistSearchIndex {
  public:
    struct Entry {
        QString name;
        QString bundleIdentifier;
        QString fileName;
        int nameRank = 0;
    };
    explicit BlacklistSearchIndex(const std::vector<InstalledApp>& apps);
    const std::vector<Entry>& entries() const { return entries_; }
    std::optional<int> score(size_t app, const QString& normalizedQuery) const;

  private:
    std::vector<Entry> entries_;
};

// What the blacklist screen lists for the store's state and the search text.
struct BlacklistListing {
    std::vector<InstalledApp> filtered;    // the apps the search shows, best match first
    std::vector<InstalledApp> blacklisted; // of those, the blacklisted, by name
    std::vector<InstalledApp> others;      // and the rest, by name
    QStringList missingKeys;               // stored keys that name no installed app
    bool allOn = false;                    // the "All" switch: every shown app blacklisted
    bool showsEmptyState = false;
};

struct BlacklistState {
    const std::vector<InstalledApp>& installedApps;
    const std::set<QString>& keys;
    bool isLoadingApps = false;
};

// `index` is that of `state.installedApps`; without one it is worked out for this call.
BlacklistListing listBlacklist(const BlacklistState& state, const QString& searchText,
                               const BlacklistSearchIndex& index);
BlacklistListing listBlacklist(const BlacklistState& state, const QString& searchText);

} // namespace nimbrel
