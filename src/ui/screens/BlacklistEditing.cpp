#include "ui/screens/BlacklistEditing.h"

#include "activity/ActivityRecorder.h"
#include "model/BlacklistStore.h"
#include "ui/screens/BlacklistFilter.h"

namespace nimbrel {

QString BlacklistEditing::changedAppsMessage(int count, bool added) {
    return QString::number(count) + (count == 1 ? QStringLiteral(" app") : QStringLiteral(" apps")) +
           (added ? QStringLiteral(" were added to the blacklist.")
                  : QStringLiteral(" were removed from the blacklist."));
}

void BlacklistEditing::saveAndPush() {
    store_.save();
    if (!store_.isApplyingCloudBlacklistPayload()) store_.pushToCloud();
}

void BlacklistEditing::record(const QString& title, const QString& message) {
    recordNimbrelActivity(platform_, NimbrelActivityType::blacklist, title, message);
}

void BlacklistEditing::toggle(const InstalledApp& app) {
    const bool wasBlacklisted = isBlacklisted(app, store_.blacklistedAppKeys().get());
    if (wasBlacklisted) {
        store_.removeKeys(app);
    } else {
        std::set<QString> keys = store_.blacklistedAppKeys().get();
        keys.insert(blacklistAppKey(app));
        store_.setBlacklistedAppKeys(std::move(keys));
    }
    saveAndPush();
    if (wasBlacklisted)
        record(QStringLiteral("App Unblacklisted"), app.name + QStringLiteral(" was removed from the blacklist."));
    else
        record(QStringLiteral("App Blacklisted"), app.name + QStringLiteral(" was added to the blacklist."));
}

void BlacklistEditing::setBlacklisted(const std::vector<InstalledApp>& shown, bool on) {
    std::set<QString> keys = store_.blacklistedAppKeys().get();
    int changed = 0;
    for (const InstalledApp& app : shown) {
        const QString key = blacklistAppKey(app);
        // Only the app key counts as a change here, not another stored form of it.
        if (keys.count(key) != (on ? 0u : 1u)) continue;
        ++changed;
    }
    for (const InstalledApp& app : shown) {
        if (on) {
            keys.insert(blacklistAppKey(app));
        } else {
            keys.erase(blacklistAppKey(app));
            keys.erase(app.url);
            if (app.bundleIdentifier) keys.erase(*app.bundleIdentifier);
        }
    }
    store_.setBlacklistedAppKeys(std::move(keys));
    saveAndPush();
    if (changed > 0)
        record(on ? QStringLiteral("Apps Blacklisted") : QStringLiteral("Apps Unblacklisted"),
               changedAppsMessage(changed, on));
}

void BlacklistEditing::removeMissingKey(const QString& key) {
    std::set<QString> keys = store_.blacklistedAppKeys().get();
    keys.erase(key);
    store_.setBlacklistedAppKeys(std::move(keys));
    saveAndPush();
    record(QStringLiteral("App Unblacklisted"), key + QStringLiteral(" was removed from the blacklist."));
}

} // namespace nimbrel
