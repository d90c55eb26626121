#include "sync/SyncFixture.h"

#include "platform/SharedInstance.h"
#include "sync/DeviceIdentity.h"

namespace nimbrel {
namespace {

using Op = CloudFailure::Operation;

class CloudRegistryTest : public testing::SyncFixture {
  protected:
    QString thisMac() { return NimbrelDeviceIdentity::current(env.platform).id; }
    void putDevice(const QString& id, Date updatedAt) {
        CloudRecord r(cloudnames::deviceType, NimbrelCloudDeviceRecord::recordID(id));
        NimbrelCloudDeviceRecord{id, "Mac " + id, "Mac14,2", "active", Date{0}, updatedAt, 1}.writeTo(r);
        cloud.put(r);
        cloud.list(cloudnames::deviceRegistry, "deviceIDs", id);
    }
};

TEST_F(CloudRegistryTest, TheFirstMacRegistersAndAgainKeepsTheRegistrysBirth) {
    manager->bootstrap();
    settle();
    const CloudRecord registry = *cloud.record("device_registry");
    EXPECT_EQ(registry.recordType(), QStringLiteral("NimbrelDeviceRegistry"));
    EXPECT_EQ(registry.textList("deviceIDs"), QStringList{thisMac()});
    EXPECT_EQ(registry.date("createdAt"), env.scheduler.now());
    EXPECT_EQ(registry.integer("schemaVersion"), 1);
    EXPECT_EQ(registry.text("sourceDeviceID"), thisMac());
    const CloudRecord device = *cloud.record("device_" + thisMac());
    EXPECT_EQ(device.text("status"), QStringLiteral("active"));
    EXPECT_EQ(device.text("deviceName"), QStringLiteral("Test Mac"));
    ASSERT_EQ(manager->registeredDevices.get().size(), 1u);
    EXPECT_EQ(manager->registeredDevices.get()[0].deviceID, thisMac());
    EXPECT_EQ(state(), Kind::idle);
    EXPECT_EQ(manager->lastSuccessfulSyncAt.get(), env.scheduler.now());
    EXPECT_TRUE(activities.isEmpty());

    env.scheduler.advance(100);
    manager->registerCurrentDevice();
    settle();
    const CloudRecord again = *cloud.record("device_registry");
    EXPECT_EQ(again.textList("deviceIDs"), QStringList{thisMac()});
    EXPECT_EQ(again.date("createdAt"), registry.date("createdAt"));
    EXPECT_EQ(again.date("updatedAt"), env.scheduler.now());
}

TEST_F(CloudRegistryTest, TheDeviceListIsNewestFirstAndSkipsMacsWithoutAReadableRecord) {
    putDevice("OLD", Date{100});
    putDevice("NEW", Date{300});
    cloud.list(cloudnames::deviceRegistry, "deviceIDs", "GHOST"); // registered, no device record
    putDevice("BROKEN", Date{200});
    CloudRecord broken = *cloud.record("device_BROKEN");
    broken.remove("status");
    cloud.put(broken);
    manager->fetchRegisteredDevices();
    settle();
    QStringList ids;
    for (const auto& d : manager->registeredDevices.get())
        ids << d.deviceID;
    EXPECT_EQ(ids, (QStringList{"NEW", "OLD"})) << "this Mac is listed but has no record yet";
}

TEST_F(CloudRegistryTest, DeviceIdsAreStoredRawAndNamedSanitized) {
    const QString id = QStringLiteral("weird id/1");
    env.keychain.add(NimbrelDeviceIdentityProvider::keychainService, NimbrelDeviceIdentityProvider::keychainAccount,
                     id.toUtf8(), kKeychainAccessibleAfterFirstUnlockThisDeviceOnly);
    manager->bootstrap();
    settle();
    EXPECT_EQ(cloud.listed("deviceIDs", "device_registry"), QStringList{id});
    ASSERT_TRUE(cloud.record("device_weird_id_1").has_value());
    EXPECT_EQ(cloud.record("device_weird_id_1")->text("deviceID"), id);
}

TEST_F(CloudRegistryTest, AnIdThisProcessAloneKnowsIsNeverWrittenToTheCloud) {
    // A keychain whose item is missing and whose writes fail.
    class UnwritableKeychain final : public InMemoryKeychain {
      public:
        int add(const QString&, const QString&, const QByteArray&, const QString&) override { return errSecIO; }
        int update(const QString&, const QString&, const QByteArray&, const QString&) override { return errSecIO; }
    } unwritable;
    const QString service = NimbrelDeviceIdentityProvider::keychainService;
    const QString account = NimbrelDeviceIdentityProvider::keychainAccount;
    env.keychain.add(service, account, "KEPT", kKeychainAccessibleAfterFirstUnlockThisDeviceOnly);
    const std::pair<const char*, std::function<void()>> keychains[] = {
        {"locked", [&] { env.keychain.setForcedStatus(errSecInteractionNotAllowed); }},
        {"unwritable", [&] { env.platform.keychain = &unwritable; }},
    };
    for (const auto& [name, breakKeychain] : keychains) {
        resetSharedInstances(); // a new launch
        breakKeychain();
        activities.clear();
        for (int launch = 0; launch < 2; ++launch)
            manager->registerCurrentDevice();
        manager->addToSyncRegistry("R1", "payloadIDs_rule", [](auto) {});
        settle();
        EXPECT_FALSE(cloud.record("device_registry").has_value()) << name;
        EXPECT_FALSE(cloud.record("device_" + NimbrelDeviceIdentity::current(env.platform).id).has_value()) << name;
        EXPECT_EQ(cloud.record("sync_registry")->text("sourceDeviceID"), QStringLiteral("unknown-device")) << name;
        EXPECT_TRUE(status->deviceRegistrationWaitsForKeychain.get()) << name;
        EXPECT_EQ(activities, QStringList{"Device Registration Waiting: This Mac will be registered for sync once its "
                                          "Keychain can be read."})
            << name;
        status->deviceRegistrationWaitsForKeychain.set(false);
        env.keychain.setForcedStatus(errSecSuccess);
        env.platform.keychain = &env.keychain;
    }
    // A later launch reads the stored id and registers it, once.
    resetSharedInstances();
    manager->registerCurrentDevice();
    settle();
    EXPECT_EQ(cloud.listed("deviceIDs", "device_registry"), QStringList{"KEPT"});
    EXPECT_TRUE(cloud.record("device_KEPT").has_value());
}

TEST_F(CloudRegistryTest, FailuresSetTheStateAndOnlyTheListRecordsThem) {
    struct Case {
        CloudFailure failure;
        Kind state;
        QStringList recorded;
    };
    const CloudError network = CloudError::make(CloudError::networkFailure, QStringLiteral("lost"));
    const Case cases[] = {
        {{Op::save, "device_registry", network}, Kind::idle, {}}, // the list refresh after it still ends well
        // The registration reads the registry twice (its addition and the merged save), the list once.
        {{Op::fetch, "device_registry", network, false, 2}, Kind::failed, {"Device Fetch Failed: lost"}},
        {{Op::batchFetch, {}, network}, Kind::failed, {"Device Fetch Failed: lost"}},
    };
    for (const Case& c : cases) {
        activities.clear();
        env.cloud.failNext(c.failure);
        manager->registerCurrentDeviceAndRefreshDevices();
        settle();
        EXPECT_EQ(state(), c.state) << c.failure.recordName.toStdString();
        EXPECT_EQ(activities, c.recorded);
        EXPECT_EQ(env.cloud.pendingFailures(), 0u);
    }
}

TEST_F(CloudRegistryTest, OperationsEndIdleAndStampTheDateInTheirOwnOrder) {
    // Whether the date is already stamped when the state turns idle.
    struct Case {
        const char* name;
        std::function<void()> run;
        bool stampedBeforeIdle;
    };
    const Case cases[] = {
        {"registration", [&] { manager->registerCurrentDevice(); }, false},
        {"device list", [&] { manager->fetchRegisteredDevices(); }, false},
        {"payload save", [&] { manager->savePayloadRecord(payload("R", Date{5})); }, true},
        {"payload fetch", [&] { manager->fetchPayloadRecords(NimbrelCloudPayloadType::rule, [](auto) {}); }, false},
    };
    for (const Case& c : cases) {
        env.scheduler.advance(10);
        std::optional<bool> stamped;
        ObserverToken watch = manager->syncState.observe([&](const NimbrelCloudSyncState& s) {
            if (s.kind == Kind::idle) stamped = manager->lastSuccessfulSyncAt.get() == env.scheduler.now();
        });
        c.run();
        settle();
        EXPECT_EQ(stamped, c.stampedBeforeIdle) << c.name;
        EXPECT_EQ(manager->lastSuccessfulSyncAt.get(), env.scheduler.now()) << c.name;
    }
}

TEST_F(CloudRegistryTest, RegistryAdditionsFromTwoMacsKeepEveryId) {
    // A second Mac on the same file, adding at the same moment.
    SqliteCloudService otherCloud(env.scheduler, env.cloud.path());
    Platform other = env.platform;
    other.cloud = &otherCloud;
    auto otherManager = std::make_shared<NimbrelCloudSyncManager>(other, status);
    // Where the two Macs' calls run side by side, an addition may lose the race for the record
    // at each of its merged saves: it fails, as the push that made it does, and is made again.
    QStringList added, failed;
    auto add = [&](NimbrelCloudSyncManager& mac, const QString& id) {
        mac.addToSyncRegistry(id, "payloadIDs_rule",
                              [&, id](std::optional<CloudError> error) { (error ? failed : added) << id; });
    };
    for (int i = 0; i < 5; ++i) {
        add(*manager, QStringLiteral("A%1").arg(i));
        add(*otherManager, QStringLiteral("B%1").arg(i));
    }
    settle();
    for (int round = 0; round < 5 && !failed.isEmpty(); ++round) {
        for (const QString& id : std::exchange(failed, {}))
            add(id.startsWith('A') ? *manager : *otherManager, id);
        settle();
    }
    EXPECT_EQ(added.size(), 10);
    QStringList ids = cloud.listed("payloadIDs_rule");
    EXPECT_EQ(ids.size(), 10) << ids.join(",").toStdString();
    EXPECT_EQ(ids.removeDuplicates(), 0);
}

TEST_F(CloudRegistryTest, ASyncRegistryThatCannotBeReadIsWrittenAnewWithAllThisMacKnowsOf) {
    // Listed by another Mac, and read by this one at its last pull.
    cloud.putPayload(payload("OTHER", Date{1}));
    cloud.putTombstone(tombstone("GONE", Date{1}));
    await<std::optional<std::vector<NimbrelCloudTombstone>>>(
        [&](auto done) { manager->fetchTombstones(NimbrelCloudPayloadType::rule, std::move(done)); });
    // What the stores hold: their objects, and deletions whose tombstones are not out yet.
    auto holdings = [](NimbrelCloudSyncManager& m) {
        m.setHeldIDs(NimbrelCloudPayloadType::rule, [] { return CloudHeldIDs{{"R1", "R2"}, {"PENDING"}}; });
        m.setHeldIDs(NimbrelCloudPayloadType::session, [] { return CloudHeldIDs{{"S1"}, {}}; });
    };
    holdings(*manager);
    auto push = [&](NimbrelCloudSyncManager& m, const QString& id) {
        cloud.damage("sync_registry");
        return await<SaveOutcome>([&](auto done) { m.savePayloadRecord(payload(id, Date{2}), std::move(done)); });
    };
    EXPECT_EQ(push(*manager, "R3"), SaveOutcome::saved);
    EXPECT_EQ(cloud.listed("payloadIDs_rule"), (QStringList{"OTHER", "R1", "R2", "R3"}));
    EXPECT_EQ(cloud.listed("tombstoneIDs_rule"), (QStringList{"GONE", "PENDING"}));
    EXPECT_EQ(cloud.listed("payloadIDs_session"), QStringList{"S1"});

    // After a restart, with no registry read yet, every id known to have been listed still is.
    auto restarted = std::make_shared<NimbrelCloudSyncManager>(env.platform, status);
    holdings(*restarted);
    EXPECT_EQ(push(*restarted, "R4"), SaveOutcome::saved);
    EXPECT_EQ(cloud.listed("payloadIDs_rule"), (QStringList{"R1", "R2", "OTHER", "R3", "R4"}));
    EXPECT_EQ(cloud.listed("tombstoneIDs_rule"), (QStringList{"PENDING", "GONE"}));

    // Another Mac's later additions merge into it as into any registry.
    SqliteCloudService otherCloud(env.scheduler, env.cloud.path());
    Platform other = env.platform;
    other.cloud = &otherCloud;
    auto otherManager = std::make_shared<NimbrelCloudSyncManager>(other, status);
    await<std::optional<CloudError>>(
        [&](auto done) { otherManager->addToSyncRegistry("B1", "payloadIDs_session", std::move(done)); });
    EXPECT_EQ(cloud.listed("payloadIDs_session"), (QStringList{"S1", "B1"}));
    EXPECT_EQ(cloud.listed("payloadIDs_rule").size(), 5);
}

TEST_F(CloudRegistryTest, ARegistryWrittenAnewElsewhereWithoutIdsListedBeforeGetsThemBack) {
    cloud.putPayload(payload("KEPT", Date{1}));
    cloud.putPayload(payload("DELETED", Date{1}));
    cloud.putTombstone(tombstone("DELETED", Date{2}));
    auto pull = [&] {
        return await<std::optional<CloudPull>>([&](auto done) {
            manager->fetchPayloadsAndTombstones(NimbrelCloudPayloadType::rule, std::move(done));
        });
    };
    ASSERT_TRUE(pull().has_value());
    // Another Mac, which knew neither, writes the registry anew after it was damaged.
    CloudRecord rebuilt(cloudnames::registryType, {cloudnames::syncRegistry});
    rebuilt.set("payloadIDs_rule", QStringList{"DELETED", "NEW"});
    cloud.put(rebuilt);
    cloud.putPayload(payload("NEW", Date{3}));

    const auto after = pull();
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->deletedIDs, QStringList{"DELETED"}) << "the deletion holds in this very pull";
    EXPECT_EQ(after->records.size(), 3u);
    settle();
    EXPECT_EQ(cloud.listed("payloadIDs_rule"), (QStringList{"DELETED", "NEW", "KEPT"}));
    EXPECT_EQ(cloud.listed("tombstoneIDs_rule"), QStringList{"DELETED"});
    const int saves = cloud.saves("sync_registry");
    ASSERT_TRUE(pull().has_value());
    settle();
    EXPECT_EQ(cloud.saves("sync_registry"), saves) << "a registry that lists all is not written again";
}

TEST_F(CloudRegistryTest, AListOfAnotherKindIsReplacedByTheNewId) {
    CloudRecord registry(cloudnames::registryType, {cloudnames::syncRegistry});
    registry.set("payloadIDs_rule", QStringLiteral("not a list"));
    registry.set("tombstoneIDs_rule", QStringList{"T"});
    cloud.put(registry);
    await<std::optional<CloudError>>([&](auto done) { manager->addToSyncRegistry("X", "payloadIDs_rule", done); });
    EXPECT_EQ(cloud.listed("payloadIDs_rule"), QStringList{"X"});
    EXPECT_EQ(cloud.listed("tombstoneIDs_rule"), QStringList{"T"}) << "other lists are left alone";
    EXPECT_FALSE(cloud.record("sync_registry")->date("createdAt").has_value()) << "only a new registry gets one";
}

} // namespace
} // namespace nimbrel
