#pragma once

// A fresh platform for the cloud-backed stores: virtual time, in-memory defaults and
// keychain, a disk tree, a recording cloud backend, and the activities recorded.

#include "model/ActivityRecorder.h"
#include "model/AppTree.h"
#include "model/StoreSyncLinks.h"
#include "platform/Keychain.h"
#include "platform/Platform.h"
#include "platform/SharedInstance.h"
#include "platform/UserDefaults.h"
#include "platform/VirtualScheduler.h"
#include "sync/CloudSyncManager.h"
#include "sync/DeviceIdentity.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace nimbrel::testing {

struct RecordedActivity {
    QString type;
    QString title;
    QString message;
};

// Answers fetches with what the test set and records every save.
class RecordingCloudBackend final : public CloudSyncBackend {
public:
    explicit RecordingCloudBackend(Scheduler& scheduler) : scheduler_(scheduler) {}

    std::optional<NimbrelCloudBlacklistPayload> blacklist;
    std::vector<NimbrelCloudPayloadRecord> records;
    std::vector<NimbrelCloudTombstone> tombstones;

    int blacklistFetches = 0;
    int recordFetches = 0;
    int tombstoneFetches = 0;
    std::vector<NimbrelCloudBlacklistPayload> savedBlacklists;
    std::vector<NimbrelCloudPayloadRecord> savedRecords;
    std::vector<NimbrelCloudTombstone> savedTombstones;

    void bootstrap(bool) override {}
    void fetchSettingsPayload(Completion<std::optional<NimbrelCloudSettingsPayload>> completion) override {
        scheduler_.post([completion] { completion(std::nullopt); });
    }
    void saveSettingsPayload(const NimbrelCloudSettingsPayload&, Done done) override { finish(done); }
    void fetchBlacklistPayload(Completion<std::optional<NimbrelCloudBlacklistPayload>> completion) override {
        ++blacklistFetches;
        scheduler_.post([completion, value = blacklist] { completion(value); });
    }
    void saveBlacklistPayload(const NimbrelCloudBlacklistPayload& payload, Done done) override {
        savedBlacklists.push_back(payload);
        finish(done);
    }
    void fetchPayloadRecords(NimbrelCloudPayloadType,
                             Completion<std::vector<NimbrelCloudPayloadRecord>> completion) override {
        ++recordFetches;
        scheduler_.post([completion, value = records] { completion(value); });
    }
    void fetchTombstones(NimbrelCloudPayloadType, Completion<std::vector<NimbrelCloudTombstone>> completion) override {
        ++tombstoneFetches;
        scheduler_.post([completion, value = tombstones] { completion(value); });
    }
    void savePayloadRecord(const NimbrelCloudPayloadRecord& record, Done done) override {
        savedRecords.push_back(record);
        finish(done);
    }
    void saveTombstone(const NimbrelCloudTombstone& tombstone, Done done) override {
        savedTombstones.push_back(tombstone);
        finish(done);
    }

private:
    void finish(const Done& done) {
        if (done) scheduler_.post(done);
    }
    Scheduler& scheduler_;
};

class StoreFixture : public ::testing::Test {
protected:
    StoreFixture() {
        platform.scheduler = &scheduler;
        platform.clock = &scheduler;
        platform.notifications = &notifications;
        platform.defaults = &defaults;
        platform.files = &tree.files;
        platform.locations = Locations::underRoot(tree.dir.path() + QStringLiteral("/program"));
        platform.workspace = &workspace;
        platform.keychain = &keychain;
        activityToken = notifications.addObserver(kRecordActivityNotification, [this](const Notification& n) {
            activities.push_back({n.userInfo.value(QStringLiteral("type")).toString(),
                                  n.userInfo.value(QStringLiteral("title")).toString(),
                                  n.userInfo.value(QStringLiteral("message")).toString()});
        });
    }
    ~StoreFixture() override { resetSharedInstances(); }

    StoreSyncLinks links() {
        StoreSyncLinks l;
        l.isSyncEnabled = [this] { return syncEnabled; };
        l.syncManager = [this]() -> NimbrelCloudSyncManager& { return syncManager; };
        return l;
    }

    void setDeviceID(const QString& id) {
        keychain.add(NimbrelDeviceIdentityProvider::keychainService, NimbrelDeviceIdentityProvider::keychainAccount,
                     id.toUtf8());
    }
    void setGlobalPause(bool on) { defaults.setBool(QStringLiteral("Nimbrel.globalPauseActive"), on); }

    std::vector<QString> titles() const {
        std::vector<QString> out;
        for (const auto& a : activities) out.push_back(a.title);
        return out;
    }
    int count(const QString& title) const {
        int n = 0;
        for (const auto& a : activities) n += a.title == title;
        return n;
    }
    // The last message or type recorded under `title`, or "<not recorded>".
    QString messageOf(const QString& title) const {
        const RecordedActivity* a = last(title);
        return a ? a->message : QStringLiteral("<not recorded>");
    }
    QString typeOf(const QString& title) const {
        const RecordedActivity* a = last(title);
        return a ? a->type : QStringLiteral("<not recorded>");
    }
    const RecordedActivity* last(const QString& title) const {
        for (auto it = activities.rbegin(); it != activities.rend(); ++it)
            if (it->title == title) return &*it;
        return nullptr;
    }

    VirtualScheduler scheduler{Date{800000000}};
    NotificationCenter notifications;
    InMemoryUserDefaults defaults;
    AppTree tree;
    TreeWorkspace workspace{tree.files};
    InMemoryKeychain keychain;
    Platform platform;
    ScopedPlatform scoped{platform};
    std::shared_ptr<RecordingCloudBackend> backend = std::make_shared<RecordingCloudBackend>(scheduler);
    NimbrelCloudSyncManager syncManager{platform, backend};
    bool syncEnabled = true;
    std::vector<RecordedActivity> activities;
    ObserverToken activityToken;
};

} // namespace nimbrel::testing
