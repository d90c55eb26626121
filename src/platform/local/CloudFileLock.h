#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace nimbrel {

// The advisory lock (flock) on a file beside the cloud file ("<file>-lock"): each call of every
// process holds it shared from before it looks at the file at the path until its end, and a
// process setting a damaged file aside holds it exclusively while the file and its log move.
// The file stays open from the first use on; the system lets the lock go when the process ends.
class CloudFileLock {
  public:
    enum class Mode { shared, exclusive };
    enum class Outcome { taken, busy, failed };

    explicit CloudFileLock(QString path);
    ~CloudFileLock();
    CloudFileLock(const CloudFileLock&) = delete;
    CloudFileLock& operator=(const CloudFileLock&) = delete;

    // Takes the lock in `mode`, making the file (and its folder) when missing. While another holder has it
    // the other way, `keepWaiting(attempts)` says whether to try again (it also does the
    // waiting). `error` says why when the lock is not taken. Never called while held.
    Outcome take(Mode mode, const std::function<bool(int attempts)>& keepWaiting, QString* error);
    // Lets it go; nothing when not held.
    void release();

    const QString& path() const { return path_; }

  private:
    bool openFile(QString* error);
    // Whether the path still names the file open (nobody removed or replaced it meanwhile).
    bool stillAtPath() const;
    void closeFile();

    QString path_;
    QByteArray encodedPath_;
    int fd_ = -1;
    bool held_ = false;
};

} // namespace nimbrel
