#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace nimbrel {

// Keeps one file up to date without making its callers wait: each `submit` replaces what is
// waiting to be written, and a thread of its own writes the newest content atomically
// (writeFileAtomically), at most once per `minimumInterval` and never an older content after a
// newer one. The first change after a quiet spell is written at once. A crash loses at most the
// changes of the last interval and leaves the old file or a new one, whole. A content larger than
// the file's reader takes is refused like a failed write (writeFileWithin).
class CoalescedFileWriter {
  public:
    // Makes the file's bytes; runs on the writer's thread, so it must own what it reads.
    using Render = std::function<QByteArray()>;

    CoalescedFileWriter(QString path, int permissions, std::chrono::milliseconds minimumInterval, qint64 maxBytes);
    // Writes what is still waiting, then stops.
    ~CoalescedFileWriter();
    CoalescedFileWriter(const CoalescedFileWriter&) = delete;
    CoalescedFileWriter& operator=(const CoalescedFileWriter&) = delete;

    void submit(Render render);
    // Waits until everything submitted so far has been written, without waiting out the
    // interval; true when the newest content is on disk (also when nothing was ever submitted).
    bool flush();
    struct Failure {
        QString error;
        bool firstSinceSuccess = true; // no write succeeded between it and the failure told before
    };
    // The newest failed write not yet taken, for the caller to report on its own thread.
    std::optional<Failure> takeFailure();
    // Called on the writer's thread after each failed write, for the caller to take it on its own.
    void setFailureNotice(std::function<void()> notice);
    // Whether the newest write that ended failed (a content still waiting may yet succeed).
    bool lastWriteFailed();

  private:
    void run();

    const QString path_;
    const int permissions_;
    const std::chrono::milliseconds minimumInterval_;
    const qint64 maxBytes_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable written_;
    Render pending_;
    std::uint64_t submitted_ = 0;
    std::uint64_t finished_ = 0;
    bool lastSucceeded_ = true;
    std::optional<Failure> unreportedFailure_;
    std::function<void()> failureNotice_;
    bool hurry_ = false;
    bool stopping_ = false;
    std::chrono::steady_clock::time_point lastWrite_{};
    std::thread thread_; // started with the first submit
};

} // namespace nimbrel
