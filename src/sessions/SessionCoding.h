#pragma once

#include "platform/Json.h"
#include "sessions/Session.h"

#include <QByteArray>
#include <QJsonObject>

#include <vector>

// The one keyed JSON form of a session, shared by the sessions file and the cloud payload:
// every key optional on reading (absent or null takes the default), a present key of the wrong
// type fails the whole session, and writing always gives all seventeen keys. Dates are ISO 8601
// in whole seconds. `now` is what a session without "createdAt" was created at.
namespace nimbrel {

NimbrelSession decodeSession(const json::Reader& reader, Date now);
QJsonObject encodeSession(const NimbrelSession& session);

// One session object (the cloud payload), compact.
json::Decoded<NimbrelSession> decodeSessionData(const QByteArray& bytes, Date now);
QByteArray encodeSessionData(const NimbrelSession& session);

// The sessions file: one array; pretty printed with sorted keys. One bad session fails the list.
json::Decoded<std::vector<NimbrelSession>> decodeSessionList(const QByteArray& bytes, Date now);
QByteArray encodeSessionList(const std::vector<NimbrelSession>& sessions);

} // namespace nimbrel
