#pragma once

#include "platform/Date.h"
#include "sessions/Session.h"
#include "sessions/SupportFiles.h"

#include <optional>
#include <vector>

namespace nimbrel {

// "Sessions.json": the sessions in the store's order, pretty printed with sorted keys and
// replaced atomically. A file that is there but cannot be read or decoded loads as no
// sessions, and is kept aside under a new name before the first save replaces it.
class SessionsFile {
  public:
    static inline const QString kFileName = QStringLiteral("Sessions.json");
    // Thousands of sessions with their apps; a larger file is taken as damaged.
    static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

    explicit SessionsFile(const QString& folder) : file_(folder + QLatin1Char('/') + kFileName, kMaxFileBytes) {}

    const QString& path() const { return file_.path(); }

    struct Loaded {
        std::vector<NimbrelSession> sessions;
        // Why a file that is there gave no sessions; none when it loaded or was absent.
        std::optional<QString> problem;
    };
    Loaded load(Date now);
    // Writes the list; a file that could not be read is first copied aside (`keptAside` names the copy).
    bool save(const std::vector<NimbrelSession>& sessions, QString* error, std::optional<QString>* keptAside);

  private:
    SupportFile file_;
    bool keepBeforeSaving_ = false;
};

} // namespace nimbrel
