#pragma once

// A rule's payload record as another Mac of the account writes it into the cloud file, for the
// measurements of pulls (the tool nimbrel-other-mac and the pull benchmarks).

#include "model/RuleCoding.h"
#include "platform/ProgramIdentity.h"
#include "platform/local/SqliteCloudStore.h"
#include "sync/CloudPayloadType.h"
#include "sync/CloudPayloads.h"

namespace nimbrel::seed {

inline const QString kOtherMacDeviceID = QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");

// False when the cloud file could not be written.
inline bool saveAsOtherMac(SqliteCloudStore& cloud, const NimbrelRule& rule) {
    const NimbrelCloudPayloadRecord payload{rule.id.toString(),
                                            NimbrelCloudPayloadType::rule,
                                            encodeCloudJSON(toJson(rule, json::DateForm::ISO8601)),
                                            kOtherMacDeviceID,
                                            rule.createdAt,
                                            rule.updatedAt,
                                            1};
    const QString container = kNimbrelCloudKitContainerIdentifier;
    const CloudRecordID id = payloadRecordID(payload.payloadType, payload.objectID);
    CloudResult<CloudRecord> held = cloud.fetch(container, id);
    CloudRecord record = held.ok() ? held.value() : CloudRecord(QStringLiteral("NimbrelRule"), id);
    payload.writeTo(record);
    return cloud.save(container, record).ok();
}

} // namespace nimbrel::seed
