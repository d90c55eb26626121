#pragma once

#include "platform/Date.h"
#include "sessions/Session.h"
#include "sessions/SupportFiles.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace nimbrel {

class Scheduler;

// "Sessions.json": the sessions in the store's order, pretty printed with sorted keys and
// replaced atomically. A file that is there but cannot be read or decoded loads as no
// sessions, and is kept aside under a new name before the first save replaces it. A list whose
// text is larger than the file is read with is not written: the save fails, and the file keeps
// the last list that fitted. What writes cut short by a crash left beside it goes when it opens.
//
// A save hands the list to a worker, which makes the text (encoding only the sessions that
// changed since its last write) and writes it, so the caller never waits for the disk. Writes
// land in the order of the saves: one worker at a time writes, always the newest list handed
// over, until none is left; a burst of saves may thus be written once, as its last.
class SessionsFile {
  public:
    static inline const QString kFileName = QStringLiteral("Sessions.json");
    // Thousands of sessions with their apps; a larger file is taken as damaged, and not written.
    static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

    // `maxBytes` is for tests: the program reads and writes within kMaxFileBytes.
    explicit SessionsFile(const QString& folder, qint64 maxBytes = kMaxFileBytes);
    ~SessionsFile();

    const QString& path() const { return file_.path(); }

    struct Loaded {
        std::vector<NimbrelSession> sessions;
        // Why a file that is there gave no sessions; none when it loaded or was absent.
        std::optional<QString> problem;
    };
    Loaded load(Date now);

    // Hands the list to a worker of `scheduler` to be written. False, with `error`, when the file
    // that could not be read could not be kept aside either: nothing is written then. A file that
    // could not be read is first copied aside (`keptAside` names the copy). A failed write is
    // told to `failed` on the caller's thread, later.
    bool save(Scheduler& scheduler, std::vector<NimbrelSession> sessions, QString* error,
              std::optional<QString>* keptAside, std::function<void(const QString& error)> failed);

  private:
    struct Writer;

    SupportFile file_;
    bool keepBeforeSaving_ = false;
    // Shared with the workers, which may outlive the file's owner.
    std::shared_ptr<Writer> writer_;
};

// The sessions "Sessions.json" in `folder` holds now, for a reader other than the store; none
// when it cannot be read. The file is left as it is: its care is the store's.
std::vector<NimbrelSession> readSessionsFile(const QString& folder, Date now);

} // namespace nimbrel
