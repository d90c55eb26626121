#pragma once

// Direct reads and writes of a cloud database file for tests: what another Mac put there, and
// what this one saved, without going through the sync manager.

#include "platform/local/CloudFieldCoding.h"
#include "platform/local/SqliteCloudService.h"
#include "platform/local/SqliteCloudStore.h"
#include "sync/CloudPayloads.h"
#include "sync/CloudSyncManager.h"


#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace nimbrel::testing {

class CloudProbe {
  public:
    static inline const QString kContainer = QStringLiteral("iCloud.com.nimbrel.app");

    explicit CloudProbe(SqliteCloudService& service) : service_(service), store_(service.path()) {}

    std::optional<CloudRecord> record(const QString& name) {
        auto r = store_.fetch(kContainer, {name});
        return r.ok() ? std::optional<CloudRecord>(r.value()) : std::nullopt;
    }
    // Writes the record whatever the server holds.
    void put(CloudRecord record) {
        if (auto current = this->record(record.recordID().recordName))
            record.setRecordChangeTag(current->recordChangeTag());
        else
            record.setRecordChangeTag({});
        ASSERT_TRUE(store_.save(kContainer, record).ok());
    }
    void list(const QString& registry, const QString& listName, const QString& id) {
        CloudRecord r = record(registry).value_or(CloudRecord(cloudnames::registryType, {registry}));
        QStringList ids = r.textList(listName).value_or(QStringList());
        if (!ids.contains(id)) ids << id;
        r.set(listName, ids);
        put(r);
    }

    // As another Mac's push leaves them.
    void putPayload(const NimbrelCloudPayloadRecord& p) {
        CloudRecord r(recordTypeOf(p.payloadType), payloadRecordID(p.payloadType, p.objectID));
        p.writeTo(r);
        put(r);
        list(cloudnames::syncRegistry, NimbrelCloudSyncManager::payloadListName(p.payloadType), p.objectID);
    }
    void putTombstone(const NimbrelCloudTombstone& t) {
        put(t.makeRecord());
        list(cloudnames::syncRegistry, NimbrelCloudSyncManager::tombstoneListName(t.payloadType), t.objectID);
    }
    void putSettings(const NimbrelCloudSettingsPayload& p) { put(p.makeRecord()); }
    // Leaves the record's row with fields that cannot be read, as a damaged file would.
    void damage(const QString& name) { EXPECT_TRUE(service_.damageDirectly(kContainer, {name})) << name.toStdString(); }
    // Writes the payload's fields over the row of `name` and keeps the row's change tag, as no save
    // would: a reader that trusts the tag does not see the change.
    void rewriteKeepingTag(const QString& name, const NimbrelCloudPayloadRecord& p) {
        CloudRecord r(recordTypeOf(p.payloadType), {name});
        p.writeTo(r);
        rewriteKeepingTag(r);
    }
    void rewriteKeepingTag(const CloudRecord& r) {
        const QByteArray fields = encodeCloudFields(r.fields());
        const QByteArray utf8 = r.recordID().recordName.toUtf8();
        sqlite3* db = nullptr;
        sqlite3_stmt* update = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(service_.path()).constData(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_prepare_v2(db, "UPDATE records SET fields = ?1 WHERE name = ?2", -1, &update, nullptr),
                  SQLITE_OK);
        sqlite3_bind_blob(update, 1, fields.constData(), int(fields.size()), SQLITE_STATIC);
        sqlite3_bind_text(update, 2, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
        EXPECT_EQ(sqlite3_step(update), SQLITE_DONE);
        EXPECT_EQ(sqlite3_changes(db), 1) << utf8.toStdString();
        sqlite3_finalize(update);
        sqlite3_close(db);
    }
    void putBlacklist(const NimbrelCloudBlacklistPayload& p) { put(p.makeRecord().value()); }

    // What the cloud holds now.
    std::vector<NimbrelCloudPayloadRecord> payloads(NimbrelCloudPayloadType type) {
        std::vector<NimbrelCloudPayloadRecord> out;
        for (const QString& id : listed(NimbrelCloudSyncManager::payloadListName(type)))
            if (auto r = record(payloadRecordID(type, id).recordName))
                if (auto p = NimbrelCloudPayloadRecord::fromRecord(*r)) out.push_back(*p);
        return out;
    }
    std::vector<NimbrelCloudTombstone> tombstones(NimbrelCloudPayloadType type) {
        std::vector<NimbrelCloudTombstone> out;
        for (const QString& id : listed(NimbrelCloudSyncManager::tombstoneListName(type)))
            if (auto r = record(tombstoneRecordID(type, id).recordName))
                if (auto t = NimbrelCloudTombstone::fromRecord(*r)) out.push_back(*t);
        return out;
    }
    std::optional<NimbrelCloudSettingsPayload> settings() {
        auto r = record(cloudnames::settingsRecord);
        return r ? NimbrelCloudSettingsPayload::fromRecord(*r) : std::nullopt;
    }
    std::optional<NimbrelCloudBlacklistPayload> blacklist() {
        auto r = record(cloudnames::blacklistRecord);
        return r ? NimbrelCloudBlacklistPayload::fromRecord(*r) : std::nullopt;
    }
    QStringList listed(const QString& listName, const QString& registry = cloudnames::syncRegistry) {
        auto r = record(registry);
        return r ? r->textList(listName).value_or(QStringList()) : QStringList();
    }

    // How many saves of records whose names begin with `prefix` were asked for.
    int saves(const QString& prefix) const {
        return int(std::count_if(service_.calls().begin(), service_.calls().end(),
                                 [&](const QString& call) { return call.startsWith("save " + prefix); }));
    }
    // How many calls of the service were exactly `call` ("fetch settings_primary", ...).
    int calls(const QString& call) const {
        return int(std::count(service_.calls().begin(), service_.calls().end(), call));
    }

  private:
    SqliteCloudService& service_;
    SqliteCloudStore store_;
};

} // namespace nimbrel::testing
