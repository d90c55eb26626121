#include "sessions/SessionsFile.h"

#include "sessions/SessionCoding.h"

namespace nimbrel {

SessionsFile::Loaded SessionsFile::load(Date now) {
    QString error;
    const std::optional<QByteArray> bytes = file_.read(&error);
    if (!bytes) {
        keepBeforeSaving_ = !error.isEmpty();
        if (error.isEmpty()) return {};
        return {{}, error};
    }
    json::Decoded<std::vector<NimbrelSession>> decoded = decodeSessionList(*bytes, now);
    keepBeforeSaving_ = !decoded;
    if (!decoded) return {{}, decoded.error};
    return {std::move(*decoded.value), std::nullopt};
}

bool SessionsFile::save(const std::vector<NimbrelSession>& sessions, QString* error,
                        std::optional<QString>* keptAside) {
    if (keepBeforeSaving_ && file_.exists()) {
        // Nothing that was stored is lost: the unreadable file stays beside the new one.
        *keptAside = file_.copyAside();
        if (!*keptAside) {
            if (error)
                *error =
                    QStringLiteral("The unreadable sessions file could not be kept aside, so it was not replaced.");
            return false;
        }
    }
    keepBeforeSaving_ = false;
    return file_.write(encodeSessionList(sessions), error);
}

} // namespace nimbrel
