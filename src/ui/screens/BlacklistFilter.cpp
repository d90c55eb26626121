#include "ui/screens/BlacklistFilter.h"

#include "model/BlacklistSearch.h"
#include "platform/TextServices.h"

#include <QFileInfo>

#include <algorithm>

namespace nimbrel {

namespace {

bool byName(const InstalledApp& a, const InstalledApp& b) {
    return localizedCaseInsensitiveCompare(a.name, b.name) < 0;
}

QString bundleFileName(const InstalledApp& app) {
    return QFileInfo(app.url).completeBaseName();
}

} // namespace

QString normalizedBlacklistSearchText(const QString& text) {
    const QString folded = foldCaseAndDiacritics(text).toLower();
    QString out;
    out.reserve(folded.size());
    for (const char32_t c : folded.toUcs4())
        if (isLetterOrDigit(c)) out += QString::fromUcs4(&c, 1);
    return out;
}

QString blacklistAppKey(const InstalledApp& app) {
    return app.bundleIdentifier.value_or(app.url);
}

bool isBlacklisted(const InstalledApp& app, const std::set<QString>& keys) {
    return keys.count(blacklistAppKey(app)) > 0 || keys.count(app.url) > 0 ||
           (app.bundleIdentifier && keys.count(*app.bundleIdentifier) > 0);
}

std::optional<int> blacklistMatchScore(const InstalledApp& app, const QString& normalizedQuery) {
    std::optional<int> best;
    for (const QString& candidate : {app.name, app.bundleIdentifier.value_or(QString()), bundleFileName(app)}) {
        const std::optional<int> score = fuzzyMatchScore(normalizedQuery, normalizedBlacklistSearchText(candidate));
        if (score && (!best || *score > *best)) best = score;
    }
    return best;
}

BlacklistListing listBlacklist(const BlacklistState& state, const QString& searchText) {
    BlacklistListing listing;
    const QString query = normalizedBlacklistSearchText(searchText);
    if (query.isEmpty()) {
        listing.filtered = state.installedApps;
    } else {
        std::vector<std::pair<int, const InstalledApp*>> scored;
        for (const InstalledApp& app : state.installedApps)
            if (const auto score = blacklistMatchScore(app, query)) scored.emplace_back(*score, &app);
        std::stable_sort(scored.begin(), scored.end(), [](const auto& a, const auto& b) {
            if (a.first != b.first) return a.first > b.first;
            return byName(*a.second, *b.second);
        });
        listing.filtered.reserve(scored.size());
        for (const auto& [score, app] : scored)
            listing.filtered.push_back(*app);
    }

    for (const InstalledApp& app : listing.filtered)
        (isBlacklisted(app, state.keys) ? listing.blacklisted : listing.others).push_back(app);
    std::stable_sort(listing.blacklisted.begin(), listing.blacklisted.end(), byName);
    std::stable_sort(listing.others.begin(), listing.others.end(), byName);

    // Until a scan has found apps, every stored key would look missing (and be one click
    // from removal), so none is listed then.
    if (!state.isLoadingApps && !state.installedApps.empty()) {
        std::set<QString> known;
        for (const InstalledApp& app : state.installedApps) {
            known.insert(blacklistAppKey(app));
            known.insert(app.url);
            if (app.bundleIdentifier) known.insert(*app.bundleIdentifier);
        }
        for (const QString& key : state.keys) // a std::set: already in plain string order
            if (!known.count(key)) listing.missingKeys << key;
    }

    listing.allOn = !listing.filtered.empty() && listing.others.empty();
    listing.showsEmptyState = listing.blacklisted.empty() && listing.others.empty();
    return listing;
}

} // namespace nimbrel
