#pragma once

#include "platform/FileLock.h"

#include <QString>

#include <functional>
#include <optional>

namespace nimbrel {

// The advisory lock on a file beside the cloud file ("<file>-lock"): each call of every process
// holds it shared from before it looks at the file at the path until its end, and a process
// setting a damaged file aside holds it exclusively while the file and its log move. The system
// lets the lock go when the process ends.
class CloudFileLock {
  public:
    using Mode = FileLock::Mode;
    enum class Outcome { taken, busy, failed };

    // `taken` runs, for tests, each time the lock file is locked, before it is looked for at the path.
    explicit CloudFileLock(QString path, std::function<void()> taken = {})
        : path_(std::move(path)), taken_(std::move(taken)) {}

    // Takes the lock in `mode`, making the file (and its folder) when missing. While another holder has it
    // the other way, `keepWaiting(attempts)` says whether to try again (it also does the
    // waiting). `error` says why when the lock is not taken. Never called while held.
    Outcome take(Mode mode, const std::function<bool(int attempts)>& keepWaiting, QString* error);
    // Lets it go; nothing when not held.
    void release() { lock_.reset(); }

    const QString& path() const { return path_; }

  private:
    QString path_;
    std::function<void()> taken_;
    std::optional<FileLock> lock_;
};

} // namespace nimbrel
