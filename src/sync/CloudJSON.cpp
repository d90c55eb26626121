#include "sync/CloudJSON.h"

namespace nimbrel {

QByteArray encodeCloudJSON(const QJsonObject& object) {
    QByteArray bytes = json::serialize(object, false);
    // A "/" can only stand inside a string in JSON text, so escaping every one is safe.
    bytes.replace("/", "\\/");
    return bytes;
}

QJsonObject decodeCloudJSON(const QByteArray& bytes) {
    const QJsonDocument doc = json::parse(bytes);
    if (!doc.isObject()) throw json::DecodeError(QStringLiteral("expected an object"));
    return doc.object();
}

} // namespace nimbrel
