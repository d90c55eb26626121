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

BlacklistListing listBlacklist(const BlacklistState& state, const QString& searchText);

} // namespace nimbrel
