#pragma once

// A fresh platform for the cloud-backed stores: virtual time, in-memory defaults and
// keychain, a disk tree, a signed-in cloud in a temporary file, and the activities recorded.

#include "activity/ActivityRecorder.h"
#include "model/AppTree.h"
#include "model/StorePlatform.h"
#include "model/StoreSyncLinks.h"
#include "support/QtPrinters.h"
#include "sync/CloudKitStatusProvider.h"
#include "sync/CloudProbe.h"
#include "sync/CloudSyncManager.h"
#include "sync/DeviceIdentity.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace nimbrel::testing {

struct RecordedActivity {
    QString type;
    QString title;
    QString message;
};

class StoreFixture : public ::testing::Test {
  protected:
    StoreFixture() {
        env.entitleCloudKit();
        status->status.set(NimbrelCloudKitAccountStatus::available());
        platform.files = &tree.files;
        platform.workspace = &workspace;
        activityToken = notifications.addObserver(kRecordActivityNotification, [this](const Notification& n) {
            activities.push_back({n.userInfo.value(QStringLiteral("type")).toString(),
                                  n.userInfo.value(QStringLiteral("title")).toString(),
                                  n.userInfo.value(QStringLiteral("message")).toString()});
        });
    }

    StoreSyncLinks links() {
        StoreSyncLinks l;
        l.isSyncEnabled = [this] { return syncEnabled; };
        l.syncManager = [this]() -> NimbrelCloudSyncManager& { return *syncManager; };
        return l;
    }

    void setDeviceID(const QString& id) {
        keychain.add(NimbrelDeviceIdentityProvider::keychainService, NimbrelDeviceIdentityProvider::keychainAccount,
                     id.toUtf8(), kKeychainAccessibleAfterFirstUnlockThisDeviceOnly);
    }
    void setGlobalPause(bool on) { defaults.setBool(QStringLiteral("Nimbrel.globalPauseActive"), on); }

    std::vector<QString> titles() const {
        std::vector<QString> out;
        for (const auto& a : activities)
            out.push_back(a.title);
        return out;
    }
    int count(const QString& title) const {
        int n = 0;
        for (const auto& a : activities)
            n += a.title == title;
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

    StorePlatform env; // installed as the current platform; resets the shared instances at the end
    VirtualScheduler& scheduler = env.scheduler;
    NotificationCenter& notifications = env.notifications;
    InMemoryUserDefaults& defaults = env.defaults;
    InMemoryKeychain& keychain = env.keychain;
    Platform& platform = env.platform;
    AppTree tree;
    TreeWorkspace workspace{tree.files};
    std::shared_ptr<NimbrelCloudKitStatusProvider> status = std::make_shared<NimbrelCloudKitStatusProvider>(platform);
    std::shared_ptr<NimbrelCloudSyncManager> syncManager = std::make_shared<NimbrelCloudSyncManager>(platform, status);
    CloudProbe cloud{env.cloud};
    bool syncEnabled = true;
    std::vector<RecordedActivity> activities;
    ObserverToken activityToken;
};

} // namespace nimbrel::testing
