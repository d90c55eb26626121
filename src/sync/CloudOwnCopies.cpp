#include "sync/CloudOwnCopies.h"

#include "platform/UserDefaults.h"
#include "sync/CloudPayloads.h"

namespace nimbrel {

namespace {
const QString kTag = QStringLiteral("changeTag");
const QString kUpdatedAt = QStringLiteral("updatedAt");

QString entryKey(const QString& pushKey) {
    return CloudOwnCopies::key + QLatin1Char('.') + pushKey;
}
} // namespace

void CloudOwnCopies::saved(const QString& pushKey, const QString& changeTag, Date updatedAt) {
    if (changeTag.isEmpty()) return;
    defaults_.set(entryKey(pushKey), QVariantMap{{kTag, changeTag}, {kUpdatedAt, QVariant::fromValue(updatedAt)}});
}

bool CloudOwnCopies::isOwn(const QString& pushKey, const QString& changeTag, Date updatedAt) const {
    if (changeTag.isEmpty()) return false;
    const QVariantMap copy = defaults_.dictionaryValue(entryKey(pushKey)).value_or(QVariantMap());
    const QVariant date = copy.value(kUpdatedAt);
    return copy.value(kTag).toString() == changeTag && date.typeId() == QMetaType::fromType<Date>().id() &&
           date.value<Date>() == updatedAt;
}

void CloudOwnCopies::forget(const QString& pushKey) {
    if (defaults_.contains(entryKey(pushKey))) defaults_.remove(entryKey(pushKey));
}

CloudCopySource cloudCopySource(const std::optional<QString>& thisMacsID, bool thisMacsIDUnreadable,
                                const QString& sourceDeviceID, bool savedHere) {
    if (savedHere || (thisMacsID && *thisMacsID == sourceDeviceID)) return CloudCopySource::thisMac;
    if (thisMacsIDUnreadable || sourceDeviceID == kUnknownDeviceID) return CloudCopySource::unknown;
    return CloudCopySource::anotherMac;
}

} // namespace nimbrel
