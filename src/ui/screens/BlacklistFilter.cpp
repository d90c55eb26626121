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
    for (qsizetype i = 0; i < folded.size();) {
        char32_t c = folded.at(i).unicode();
        qsizetype length = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < folded.size() && folded.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(folded.at(i), folded.at(i + 1));
            length = 2;
        }
        if (isLetterOrDigit(c)) out.append(folded.constData() + i, length);
        i += length;
    }
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

BlacklistSearchIndex::BlacklistSearchIndex(const std::vector<InstalledApp>& apps) {
    entries_.reserve(apps.size());
    for (const InstalledApp& app : apps)
        entries_.push_back({normalizedBlacklistSearchText(app.name),
                            normalizedBlacklistSearchText(app.bundleIdentifier.value_or(QString())),
                            normalizedBlacklistSearchText(bundleFileName(app)), 0});
    std::vector<size_t> order(apps.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&apps](size_t a, size_t b) { return byName(apps[a], apps[b]); });
    for (size_t i = 0; i < order.size(); ++i) {
        const bool sameAsPrevious = i > 0 && !byName(apps[order[i - 1]], apps[order[i]]);
        entries_[order[i]].nameRank = sameAsPrevious ? entries_[order[i - 1]].nameRank : int(i);
    }
}

std::optional<int> BlacklistSearchIndex::score(size_t app, const QString& normalizedQuery) const {
    const Entry& e = entries_[app];
    std::optional<int> best;
    for (const QString* candidate : {&e.name, &e.bundleIdentifier, &e.fileName}) {
        const std::optional<int> score = fuzzyMatchScore(normalizedQuery, *candidate);
        if (score && (!best || *score > *best)) best = score;
    }
    return best;
}

BlacklistListing listBlacklist(const BlacklistState& state, const QString& searchText) {
    return listBlacklist(state, searchText, BlacklistSearchIndex(state.installedApps));
}

BlacklistListing listBlacklist(const BlacklistState& state, const QString& searchText,
                               const BlacklistSearchIndex& index) {
    BlacklistListing listing;
    const std::vector<InstalledApp>& apps = state.installedApps;
    const auto& entries = index.entries();
    const QString query = normalizedBlacklistSearchText(searchText);

    // Shown apps as positions in the store's list: all in store order for no query, else
    // the matches by score, then by name, then in store order.
    std::vector<size_t> shown;
    if (query.isEmpty()) {
        shown.resize(apps.size());
        for (size_t i = 0; i < apps.size(); ++i)
            shown[i] = i;
    } else {
        std::vector<std::pair<int, size_t>> scored;
        for (size_t i = 0; i < apps.size(); ++i)
            if (const auto score = index.score(i, query)) scored.emplace_back(*score, i);
        std::stable_sort(scored.begin(), scored.end(), [&entries](const auto& a, const auto& b) {
            if (a.first != b.first) return a.first > b.first;
            return entries[a.second].nameRank < entries[b.second].nameRank;
        });
        for (const auto& [score, i] : scored)
            shown.push_back(i);
    }

    std::vector<size_t> blacklisted, others;
    for (const size_t i : shown)
        (isBlacklisted(apps[i], state.keys) ? blacklisted : others).push_back(i);
    // Within a section names decide; the search's order only among equal names.
    auto byRank = [&entries](size_t a, size_t b) { return entries[a].nameRank < entries[b].nameRank; };
    std::stable_sort(blacklisted.begin(), blacklisted.end(), byRank);
    std::stable_sort(others.begin(), others.end(), byRank);
    auto take = [&apps](const std::vector<size_t>& positions, std::vector<InstalledApp>& out) {
        out.reserve(positions.size());
        for (const size_t i : positions)
            out.push_back(apps[i]);
    };
    take(shown, listing.filtered);
    take(blacklisted, listing.blacklisted);
    take(others, listing.others);

    // Until a scan has found apps, every stored key would look missing (and be one click
    // from removal), so none is listed then.
    if (!state.isLoadingApps && !apps.empty()) {
        std::set<QString> known;
        for (const InstalledApp& app : apps) {
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
