#pragma once

// A sync manager over a signed-in cloud in a temporary file, with the activities it records.

#include "activity/ActivityRecorder.h"
#include "model/StorePlatform.h"
#include "support/QtPrinters.h"
#include "sync/CloudKitStatusProvider.h"
#include "sync/CloudProbe.h"
#include "sync/CloudSyncManager.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace nimbrel::testing {

class SyncFixture : public ::testing::Test {
  protected:
    using Kind = NimbrelCloudSyncState::Kind;

    SyncFixture() {
        env.entitleCloudKit();
        status->status.set(NimbrelCloudKitAccountStatus::available());
        activityToken = env.notifications.addObserver(kRecordActivityNotification, [this](const Notification& n) {
            activities.push_back(n.userInfo.value(QStringLiteral("title")).toString() + QStringLiteral(": ") +
                                 n.userInfo.value(QStringLiteral("message")).toString());
        });
    }

    // Runs `start` with a completion and everything it leads to; the completion must have run.
    template <typename T> T await(const std::function<void(std::function<void(T)>)>& start) {
        std::optional<T> out;
        start([&](T value) { out = std::move(value); });
        env.scheduler.runUntilIdle();
        if (!out) throw std::runtime_error("the operation did not finish");
        return std::move(*out);
    }
    void settle() { env.scheduler.runUntilIdle(); }

    static NimbrelCloudPayloadRecord payload(const QString& id, Date updatedAt,
                                             NimbrelCloudPayloadType type = NimbrelCloudPayloadType::rule) {
        return {id, type, QByteArray(R"({"id":")") + id.toUtf8() + "\"}", "DEV", Date{0}, updatedAt, 1};
    }
    static NimbrelCloudTombstone tombstone(const QString& id, Date deletedAt,
                                           NimbrelCloudPayloadType type = NimbrelCloudPayloadType::rule) {
        return {id, type, "DEV", deletedAt, 1};
    }
    Kind state() const { return manager->syncState.get().kind; }

    StorePlatform env;
    std::shared_ptr<NimbrelCloudKitStatusProvider> status =
        std::make_shared<NimbrelCloudKitStatusProvider>(env.platform);
    std::shared_ptr<NimbrelCloudSyncManager> manager = std::make_shared<NimbrelCloudSyncManager>(env.platform, status);
    CloudProbe cloud{env.cloud};
    QStringList activities;
    ObserverToken activityToken;
};

} // namespace nimbrel::testing
