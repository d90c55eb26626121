#include "sync/CloudSyncManager.h"

#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "sync/CloudKitStatusProvider.h"
#include "sync/DeviceIdentity.h"

#include <algorithm>

// This Mac's device record, the index records ("device_registry", "sync_registry") that list
// ids without queries, and the device list read back from them.

namespace nimbrel {

void NimbrelCloudSyncManager::addToRegistry(const QString& registryName, const QStringList& added,
                                            const QString& listName, ErrorDone done) {
    // One addition at a time per registry record in this process; the merged save unites
    // the list with the server's, so another Mac's addition is kept too.
    registryQueues_[registryName].enqueue([self = shared_from_this(), registryName, added, listName,
                                           done = std::move(done)](SerialQueue::Done next) {
        auto finish = [done, next](std::optional<CloudError> error) {
            done(std::move(error));
            next();
        };
        self->fetchRecord({registryName}, [self, registryName, added, listName,
                                           finish](CloudResult<CloudRecord> fetched) {
            CloudRecord registry;
            if (fetched.ok()) {
                registry = fetched.value();
            } else if (fetched.error().hasCode(CloudError::unknownItem)) {
                registry = CloudRecord(cloudnames::registryType, {registryName});
                registry.set(QStringLiteral("createdAt"), self->now());
                registry.set(QStringLiteral("schemaVersion"), qint64(1));
            } else if (fetched.error().unreadableRecord) {
                // Repaired rather than failing every addition, and with all this Mac knows of, so
                // that no object drops out of sight of the other Macs.
                registry = self->rebuiltRegistry(registryName);
            } else {
                return finish(fetched.error());
            }
            registry.set(listName, unitedIDs(registry.textList(listName).value_or(QStringList()), added));
            registry.set(QStringLiteral("updatedAt"), self->now());
            // An id this process alone knows is not written to the cloud.
            registry.set(QStringLiteral("sourceDeviceID"), NimbrelDeviceIdentity::currentIsStored(self->platform_)
                                                               ? NimbrelDeviceIdentity::current(self->platform_).id
                                                               : kUnknownDeviceID);
            self->saveRecordMergingServerCopy(
                registry,
                [self, registryName, added, listName, finish](CloudResult<CloudRecord> saved) {
                    if (!saved.ok()) return finish(saved.error());
                    self->knownRegistries_[registryName] = saved.value();
                    if (registryName == cloudnames::syncRegistry)
                        self->knownListings().add(listName, saved.value().textList(listName).value_or(added));
                    finish(std::nullopt);
                },
                MergeRules{false, true});
        });
    });
}

void NimbrelCloudSyncManager::readRegistryList(const QString& registryName, const QString& listName, bool withThisMac,
                                               Completion<CloudResult<QStringList>> done) {
    fetchRecord({registryName}, [self = shared_from_this(), listName, withThisMac,
                                 done = std::move(done)](CloudResult<CloudRecord> fetched) {
        QStringList ids;
        if (fetched.ok()) {
            const QString registryName = fetched.value().recordID().recordName;
            CloudRecord& known = self->knownRegistries_[registryName];
            // The same record as last read leaves the copy at hand, so the ids it lists are the ones
            // already known here, and a worker frees the new copy. The tag alone does not tell: a
            // cloud file made anew counts its tags from the start again.
            const QString& tag = fetched.value().recordChangeTag();
            if (tag.isEmpty() || tag != known.recordChangeTag() || fetched.value().fields() != known.fields())
                std::swap(known, fetched.value());
            releaseInBackground(self->platform_.scheduler, std::move(fetched));
            ids = known.textList(listName).value_or(QStringList());
            // A registry written anew elsewhere may lack ids listed before: they count as listed (a
            // deletion among them still holds) and are listed again.
            if (registryName == cloudnames::syncRegistry)
                if (const QStringList missing = self->knownListings().read(listName, ids); !missing.isEmpty()) {
                    ids += missing;
                    self->addToRegistry(registryName, missing, listName, [](std::optional<CloudError>) {});
                }
        } else if (!fetched.error().hasCode(CloudError::unknownItem)) {
            return done(fetched.error());
        }
        if (withThisMac) {
            const QString mine = NimbrelDeviceIdentity::current(self->platform_).id;
            if (!ids.contains(mine)) ids.append(mine);
        }
        done(ids);
    });
}

CloudRecord NimbrelCloudSyncManager::rebuiltRegistry(const QString& registryName) {
    CloudRecord registry(cloudnames::registryType, {registryName});
    if (auto known = knownRegistries_.find(registryName); known != knownRegistries_.end())
        for (const auto& [key, value] : known->second.fields())
            registry.set(key, value);
    if (!registry.date(QStringLiteral("createdAt"))) registry.set(QStringLiteral("createdAt"), now());
    if (!registry.integer(QStringLiteral("schemaVersion"))) registry.set(QStringLiteral("schemaVersion"), qint64(1));
    if (registryName != cloudnames::syncRegistry) return registry;
    auto unite = [&registry](const QString& listName, const QStringList& ids) {
        registry.set(listName, unitedIDs(registry.textList(listName).value_or(QStringList()), ids));
    };
    for (const auto& [type, held] : heldIDs_) {
        const CloudHeldIDs ids = held();
        unite(payloadListName(type), ids.objects);
        unite(tombstoneListName(type), ids.deletions);
    }
    for (NimbrelCloudPayloadType type : {NimbrelCloudPayloadType::rule, NimbrelCloudPayloadType::session})
        for (const QString& listName : {payloadListName(type), tombstoneListName(type)})
            if (const QStringList known = knownListings().ids(listName); !known.isEmpty()) unite(listName, known);
    return registry;
}

CloudKnownListings& NimbrelCloudSyncManager::knownListings() {
    if (!knownListings_) knownListings_.emplace(platform_.defaults);
    return *knownListings_;
}

void NimbrelCloudSyncManager::addDeviceToRegistry(const QString& deviceID, ErrorDone done) {
    addToRegistry(cloudnames::deviceRegistry, {deviceID}, QStringLiteral("deviceIDs"), std::move(done));
}

void NimbrelCloudSyncManager::deviceRegistryIDs(Completion<CloudResult<QStringList>> done) {
    readRegistryList(cloudnames::deviceRegistry, QStringLiteral("deviceIDs"), true, std::move(done));
}

void NimbrelCloudSyncManager::registerCurrentDeviceAndRefreshDevices(Done done) {
    // A failed registration does not stop the list refresh.
    registerCurrentDevice([self = shared_from_this(), done = std::move(done)] { self->fetchRegisteredDevices(done); });
}

void NimbrelCloudSyncManager::registerCurrentDevice(Done done) {
    if (!NimbrelCloudKitStatusProvider::hasCloudKitEntitlements(platform_)) {
        syncState.set(NimbrelCloudSyncState::offline());
        return later(std::move(done));
    }
    waitForAccountStatus([self = shared_from_this(), done = std::move(done)](bool available) {
        auto finish = [done] {
            if (done) done();
        };
        if (!available) {
            self->syncState.set(NimbrelCloudSyncState::offline());
            return finish();
        }
        // An id this process alone knows would register another device at every launch.
        if (!NimbrelDeviceIdentity::currentIsStored(self->platform_)) {
            self->statusProvider().noteDeviceRegistrationWaitsForKeychain();
            return finish();
        }
        self->syncState.set(NimbrelCloudSyncState::syncing());
        const NimbrelDeviceIdentity identity = NimbrelDeviceIdentity::current(self->platform_);
        const NimbrelCloudDeviceRecord device{identity.id,
                                              identity.deviceName,
                                              identity.modelIdentifier,
                                              QStringLiteral("active"),
                                              identity.createdAt,
                                              self->now(),
                                              1};
        CloudRecord record(cloudnames::deviceType, NimbrelCloudDeviceRecord::recordID(identity.id));
        device.writeTo(record);
        // A failed registration only sets the state; nothing is recorded.
        self->saveRecordMergingServerCopy(record, [self, identity, finish](CloudResult<CloudRecord> saved) {
            if (!saved.ok()) {
                self->syncState.set(NimbrelCloudSyncState::failed(saved.error().localizedDescription));
                return finish();
            }
            self->addDeviceToRegistry(identity.id, [self, finish](std::optional<CloudError> error) {
                if (error)
                    self->syncState.set(NimbrelCloudSyncState::failed(error->localizedDescription));
                else
                    self->succeedIdleFirst();
                finish();
            });
        });
    });
}

void NimbrelCloudSyncManager::fetchRegisteredDevices(Done done) {
    auto finish = [done] {
        if (done) done();
    };
    if (!NimbrelCloudKitStatusProvider::hasCloudKitEntitlements(platform_)) {
        syncState.set(NimbrelCloudSyncState::offline());
        return later(finish);
    }
    waitForAccountStatus([self = shared_from_this(), finish](bool available) {
        if (!available) {
            self->syncState.set(NimbrelCloudSyncState::offline());
            return finish();
        }
        self->syncState.set(NimbrelCloudSyncState::syncing());
        const QString title = QStringLiteral("Device Fetch Failed");
        self->deviceRegistryIDs([self, finish, title](CloudResult<QStringList> ids) {
            if (!ids.ok()) {
                self->fail(title, ids.error());
                return finish();
            }
            std::vector<CloudRecordID> recordIDs;
            for (const QString& id : ids.value())
                recordIDs.push_back(NimbrelCloudDeviceRecord::recordID(id));
            self->fetchRecordsInChunks(recordIDs, [self, finish, title](CloudResult<CloudBatchResult> batch) {
                if (!batch.ok()) {
                    self->fail(title, batch.error());
                    return finish();
                }
                std::vector<NimbrelCloudDeviceRecord> devices;
                for (const auto& [id, result] : batch.value()) {
                    if (!result.ok()) continue; // a registered Mac without a readable device record
                    if (auto device = NimbrelCloudDeviceRecord::fromRecord(result.value()))
                        devices.push_back(std::move(*device));
                }
                std::stable_sort(devices.begin(), devices.end(),
                                 [](const auto& a, const auto& b) { return a.updatedAt > b.updatedAt; });
                self->registeredDevices.set(std::move(devices));
                self->succeedIdleFirst();
                finish();
            });
        });
    });
}

} // namespace nimbrel
