#pragma once

#include <QString>

namespace nimbrel {

// An advisory lock (flock) on the file at a real path, held while this lives, if it could be
// taken at once: writers of one file, in this process or others, take it across their check of
// the file and their change of it, and a running program holds one for the folders it owns.
// The system lets it go when the process ends, however it ends. Held shared, it keeps out only
// an exclusive holder.
class FileLock {
  public:
    enum class Open { existing, creating };
    enum class Mode { exclusive, shared };
    explicit FileLock(const QString& realPath, Open open = Open::existing, Mode mode = Mode::exclusive);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool held() const { return held_; }
    // The file is there and another holder (another process, or another open of it) has its lock.
    bool heldElsewhere() const { return busy_; }
    // Why the lock was not taken when no other holder has it (the file missing or not to be
    // opened, a file system that takes no locks); empty when held or held elsewhere.
    const QString& failure() const { return failure_; }
    // The locked file, open for reading and writing (-1 when not held).
    int descriptor() const { return held_ ? fd_ : -1; }
    // Whether the path still names the locked file (it was not replaced since it was opened).
    bool stillAtPath() const;

  private:
    QString path_;
    int fd_ = -1;
    bool held_ = false;
    bool busy_ = false;
    QString failure_;
};

} // namespace nimbrel
