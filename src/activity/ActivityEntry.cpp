#include "activity/ActivityEntry.h"

namespace nimbrel {

QJsonObject NimbrelActivityEntry::toJson() const {
    return json::Writer(json::DateForm::ISO8601)
        .set(QStringLiteral("id"), id)
        .set(QStringLiteral("type"), type)
        .set(QStringLiteral("title"), title)
        .set(QStringLiteral("message"), message)
        .set(QStringLiteral("date"), date)
        .object();
}

NimbrelActivityEntry NimbrelActivityEntry::fromJson(const json::Reader& r) {
    NimbrelActivityEntry e;
    e.id = r.uuid(QStringLiteral("id"));
    e.type = r.enumValue<NimbrelActivityType>(QStringLiteral("type"));
    e.title = r.string(QStringLiteral("title"));
    e.message = r.string(QStringLiteral("message"));
    e.date = r.date(QStringLiteral("date"));
    return e;
}

} // namespace nimbrel
