#pragma once

#include "platform/CloudDatabase.h"

#include <QString>

namespace nimbrel {

// One-line texts of the calls that reach the cloud database and of their answers, for a
// trace a person reads ("save rule_A (NimbrelRule, tag 2)", "-> NimbrelRule tag 3").
QString describeCloudSave(const CloudRecord& record);
QString describeCloudBatch(const std::vector<CloudRecordID>& ids);
QString describeCloudAnswer(const CloudResult<CloudRecord>& answer);
QString describeCloudAnswer(const CloudResult<CloudBatchResult>& answer);
// "error 14: The record was changed on the server. (server copy tag 3)", with a partial
// failure's items in brackets.
QString describeCloudError(const CloudError& error);

} // namespace nimbrel
