#include "platform/CoalescedFileWriter.h"

#include "platform/Files.h"

namespace nimbrel {

CoalescedFileWriter::CoalescedFileWriter(QString path, int permissions, std::chrono::milliseconds minimumInterval,
                                         qint64 maxBytes)
    : path_(std::move(path)), permissions_(permissions), minimumInterval_(minimumInterval), maxBytes_(maxBytes) {}

CoalescedFileWriter::~CoalescedFileWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void CoalescedFileWriter::submit(Render render) {
    {
        std::lock_guard lock(mutex_);
        pending_ = std::move(render);
        ++submitted_;
        if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
    }
    wake_.notify_all();
}

bool CoalescedFileWriter::flush() {
    std::unique_lock lock(mutex_);
    if (finished_ == submitted_) return lastSucceeded_;
    hurry_ = true;
    wake_.notify_all();
    written_.wait(lock, [this] { return finished_ == submitted_; });
    return lastSucceeded_;
}

std::optional<CoalescedFileWriter::Failure> CoalescedFileWriter::takeFailure() {
    std::lock_guard lock(mutex_);
    return std::exchange(unreportedFailure_, std::nullopt);
}

void CoalescedFileWriter::setFailureNotice(std::function<void()> notice) {
    std::lock_guard lock(mutex_);
    failureNotice_ = std::move(notice);
}

bool CoalescedFileWriter::lastWriteFailed() {
    std::lock_guard lock(mutex_);
    return !lastSucceeded_;
}

void CoalescedFileWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return pending_ || stopping_; });
        if (!pending_) return; // stopping, nothing left to write
        // Further changes meanwhile replace the waiting content: one write for the lot.
        const auto due = lastWrite_ + minimumInterval_;
        wake_.wait_until(lock, due, [this] { return hurry_ || stopping_; });

        Render render = std::move(pending_);
        pending_ = nullptr;
        const std::uint64_t sequence = submitted_;
        lock.unlock();
        QString error;
        const bool ok = writeFileWithin(path_, render(), maxBytes_, &error, permissions_);
        lock.lock();

        lastWrite_ = std::chrono::steady_clock::now();
        finished_ = sequence;
        if (!ok) {
            // A failure not taken yet that began a run of them still does.
            const bool first = lastSucceeded_ || (unreportedFailure_ && unreportedFailure_->firstSinceSuccess);
            unreportedFailure_ = Failure{error, first};
        }
        lastSucceeded_ = ok;
        if (finished_ == submitted_) hurry_ = false;
        written_.notify_all();
        if (!ok && failureNotice_) {
            const std::function<void()> notice = failureNotice_;
            lock.unlock();
            notice();
            lock.lock();
        }
    }
}

} // namespace nimbrel
