#include "sync/CloudPullMerge.h"

#include "activity/ActivityRecorder.h"
#include "platform/Log.h"

namespace nimbrel {

void CloudDeletedIDs::insert(const QString& id) {
    if (auto uuid = Uuid::parse(id))
        uuids_.insert(*uuid);
    else
        others_.insert(id);
}

CloudDeletedIDs deletedObjectIDs(const CloudPull& pull, const std::map<QString, Date>& pendingDeletions) {
    CloudDeletedIDs deleted;
    for (const QString& id : pull.deletedIDs)
        deleted.insert(id);
    for (const NimbrelCloudTombstone& tombstone : pull.tombstones)
        deleted.insert(tombstone.objectID);
    for (const auto& [id, when] : pendingDeletions)
        deleted.insert(id);
    return deleted;
}

void CloudMergeReporting::unreadable(const CloudPull& pull) const {
    for (const CloudUnreadableRecord& record : pull.unreadableRecords) {
        logLine(component,
                QStringLiteral("could not read the cloud record %1: %2").arg(record.recordName, record.problem));
        recordNimbrelActivity(
            *platform, NimbrelActivityType::error, decodeFailedTitle,
            QStringLiteral("The record \"%1\" could not be read: %2").arg(record.recordName, record.problem));
    }
    // Its object stays deleted, since the registry lists it; the user still learns of the damage.
    for (const CloudUnreadableRecord& record : pull.unreadableTombstones) {
        logLine(component, QStringLiteral("could not read the cloud record %1 (its object stays deleted): %2")
                               .arg(record.recordName, record.problem));
        recordNimbrelActivity(*platform, NimbrelActivityType::error, decodeFailedTitle,
                              QStringLiteral("The record \"%1\" could not be read: %2 What it deleted stays deleted.")
                                  .arg(record.recordName, record.problem));
    }
}

void CloudMergeReporting::undecodable(const NimbrelCloudPayloadRecord& record, const QString& error) const {
    logLine(component, QStringLiteral("could not decode the cloud record %1: %2")
                           .arg(payloadRecordID(record.payloadType, record.objectID).recordName, error));
    recordNimbrelActivity(*platform, NimbrelActivityType::error, decodeFailedTitle, error);
}

} // namespace nimbrel
