#include "sync/CloudSyncManager.h"

#include "platform/Log.h"
#include "sync/CloudCopyOrder.h"

// The settings and the blacklist: one record each, overwritten by every Mac.

namespace nimbrel {

void NimbrelCloudSyncManager::saveSettingsPayload(const NimbrelCloudSettingsPayload& payload, SaveDone done) {
    SaveSpec spec{[payload] { return CloudResult<CloudRecord>(payload.makeRecord()); },
                  MergeRules{true, false},
                  {},
                  QStringLiteral("Settings Sync Failed"),
                  std::nullopt,
                  KeptNotice{QStringLiteral("Settings Sync Skipped"),
                             QStringLiteral("iCloud holds newer settings from another device, so they were kept.")}};
    pushObject(settingsPushKey, payload.updatedAt, std::move(spec), std::move(done));
}

void NimbrelCloudSyncManager::saveBlacklistPayload(const NimbrelCloudBlacklistPayload& payload, SaveDone done) {
    // A payload that cannot be encoded fails the save rather than leaving the server's older list.
    SaveSpec spec{
        [payload] { return payload.makeRecord(); },
        MergeRules{true, false},
        {},
        QStringLiteral("Blacklist Sync Failed"),
        std::pair{NimbrelActivityType::blacklist, std::pair{QStringLiteral("Blacklist Synced"),
                                                            QStringLiteral("Blacklisted apps were synced to iCloud.")}},
        KeptNotice{QStringLiteral("Blacklist Sync Skipped"),
                   QStringLiteral("iCloud holds a newer blacklist from another device, so it was kept."),
                   QStringLiteral("iCloud holds a newer blacklist saved on this Mac, so it was kept."),
                   QStringLiteral("iCloud holds a newer blacklist, so it was kept."),
                   [weak = weak_from_this()](const CloudRecord& server) {
                       auto self = weak.lock();
                       const auto copy = NimbrelCloudBlacklistPayload::fromRecord(server);
                       return self && copy ? self->blacklistCopySource(*copy) : CloudCopySource::unknown;
                   }},
        // Its JSON carries the date to the second.
        rememberOwnCopy(blacklistPushKey, Date{wholeSecond(payload.updatedAt)})};
    pushObject(blacklistPushKey, payload.updatedAt, std::move(spec), std::move(done));
}

void NimbrelCloudSyncManager::fetchSingle(const QString& name, std::function<bool(const CloudRecord&)> read,
                                          Done done) {
    waitForAccountStatus([self = shared_from_this(), name, read = std::move(read), done = std::move(done)](bool ok) {
        if (!ok) {
            self->syncState.set(NimbrelCloudSyncState::offline());
            return done();
        }
        self->syncState.set(NimbrelCloudSyncState::syncing());
        self->fetchRecord({name}, [self, name, read, done](CloudResult<CloudRecord> fetched) {
            // A missing record, a failed fetch and a record that does not read all end idle; one
            // that is there but cannot be read is named in the log, and rewritten by the next save.
            const bool found = fetched.ok() && read(fetched.value());
            if (fetched.ok() ? !found : fetched.error().unreadableRecord)
                logLine(QStringLiteral("NimbrelCloudSyncManager"),
                        QStringLiteral("could not read the cloud record %1: %2")
                            .arg(name, fetched.ok() ? QStringLiteral("A field is missing or of another kind.")
                                                    : fetched.error().localizedDescription));
            self->syncState.set(NimbrelCloudSyncState::idle());
            if (found) self->lastSuccessfulSyncAt.set(self->now());
            done();
        });
    });
}

void NimbrelCloudSyncManager::fetchSettingsPayload(Completion<std::optional<NimbrelCloudSettingsPayload>> done) {
    auto payload = std::make_shared<std::optional<NimbrelCloudSettingsPayload>>();
    fetchSingle(
        cloudnames::settingsRecord,
        [payload](const CloudRecord& record) {
            return (*payload = NimbrelCloudSettingsPayload::fromRecord(record)).has_value();
        },
        [payload, done = std::move(done)] { done(*payload); });
}

void NimbrelCloudSyncManager::fetchBlacklistPayload(Completion<std::optional<NimbrelCloudBlacklistPayload>> done) {
    auto payload = std::make_shared<std::optional<NimbrelCloudBlacklistPayload>>();
    fetchSingle(
        cloudnames::blacklistRecord,
        [payload](const CloudRecord& record) {
            return (*payload = NimbrelCloudBlacklistPayload::fromRecord(record)).has_value();
        },
        [payload, done = std::move(done)] { done(*payload); });
}

} // namespace nimbrel
