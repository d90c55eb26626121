#include "platform/local/CloudCallTrace.h"

#include <QStringList>

namespace nimbrel {

namespace {

QString describeRecord(const CloudRecord& record) {
    return QStringLiteral("%1 tag %2").arg(record.recordType(), record.recordChangeTag());
}

} // namespace

QString describeCloudSave(const CloudRecord& record) {
    const QString tag =
        record.recordChangeTag().isEmpty() ? QStringLiteral("new") : QStringLiteral("tag ") + record.recordChangeTag();
    return QStringLiteral("save %1 (%2, %3)").arg(record.recordID().recordName, record.recordType(), tag);
}

QString describeCloudBatch(const std::vector<CloudRecordID>& ids) {
    QStringList names;
    for (const CloudRecordID& id : ids)
        names << id.recordName;
    return QStringLiteral("batch fetch ") + names.join(QStringLiteral(", "));
}

QString describeCloudError(const CloudError& error) {
    QString text = error.isCloudError() ? QStringLiteral("error %1").arg(error.code)
                                        : QStringLiteral("error %1 %2").arg(error.domain).arg(error.code);
    text += QStringLiteral(": ") + error.localizedDescription;
    if (error.serverRecord) text += QStringLiteral(" (server copy tag %1)").arg(error.serverRecord->recordChangeTag());
    if (!error.partialErrorsByItemID.empty()) {
        QStringList items;
        for (const CloudError& item : error.partialErrorsByItemID)
            items << item.itemID.recordName + QStringLiteral(": ") + describeCloudError(item);
        text += QStringLiteral(" [") + items.join(QStringLiteral("; ")) + QLatin1Char(']');
    }
    return text;
}

QString describeCloudAnswer(const CloudResult<CloudRecord>& answer) {
    return answer.ok() ? describeRecord(answer.value()) : describeCloudError(answer.error());
}

QString describeCloudAnswer(const CloudResult<CloudBatchResult>& answer) {
    if (!answer.ok()) return describeCloudError(answer.error());
    QStringList parts;
    for (const auto& [id, one] : answer.value())
        parts << id.recordName + QStringLiteral(": ") + describeCloudAnswer(one);
    return parts.isEmpty() ? QStringLiteral("nothing") : parts.join(QStringLiteral(", "));
}

} // namespace nimbrel
