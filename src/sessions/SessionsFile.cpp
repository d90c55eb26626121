#include "sessions/SessionsFile.h"

#include "platform/Scheduler.h"
#include "sessions/SessionCoding.h"
#include "sessions/SessionListText.h"

#include <mutex>

namespace nimbrel {

struct SessionsFile::Writer {
    explicit Writer(SupportFile file) : file(std::move(file)) {}

    struct Written {
        bool ok = true;
        QString error;
    };

    // On the caller's thread.
    void handOver(std::vector<NimbrelSession> sessions) {
        std::lock_guard lock(mutex);
        pending = std::move(sessions);
    }

    // On a worker: writes the newest list handed over, and again while newer ones come in
    // meanwhile. None when another worker is writing (it takes the newest when it is done) or
    // there is nothing left to write; otherwise how the newest write went.
    std::optional<Written> writeNewest() {
        std::unique_lock lock(mutex);
        if (writing) return std::nullopt;
        std::optional<Written> last;
        while (pending) {
            const std::vector<NimbrelSession> sessions = std::move(*std::exchange(pending, std::nullopt));
            writing = true;
            lock.unlock();
            Written written;
            written.ok = file.write(text.render(sessions), &written.error);
            last = written;
            lock.lock();
            writing = false;
        }
        return last;
    }

    const SupportFile file;
    std::mutex mutex;
    std::optional<std::vector<NimbrelSession>> pending;
    bool writing = false;
    SessionListText text; // used by the one worker writing
};

SessionsFile::SessionsFile(const QString& folder, qint64 maxBytes)
    : file_(folder + QLatin1Char('/') + kFileName, maxBytes), writer_(std::make_shared<Writer>(file_)) {
    file_.removeStaleTemporaries(); // no worker of this file has started yet
}

SessionsFile::~SessionsFile() = default;

std::vector<NimbrelSession> readSessionsFile(const QString& folder, Date now) {
    const std::optional<QByteArray> bytes =
        SupportFile(folder + QLatin1Char('/') + SessionsFile::kFileName, SessionsFile::kMaxFileBytes).read();
    json::Decoded<std::vector<NimbrelSession>> decoded = decodeSessionList(bytes.value_or(QByteArray()), now);
    return decoded ? std::move(*decoded.value) : std::vector<NimbrelSession>();
}

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

bool SessionsFile::save(Scheduler& scheduler, std::vector<NimbrelSession> sessions, QString* error,
                        std::optional<QString>* keptAside, std::function<void(const QString& error)> failed) {
    if (keepBeforeSaving_ && file_.exists()) {
        // Nothing that was stored is lost: the unreadable file stays beside the new one. It is
        // copied before any worker writes, since only the first save finds it.
        *keptAside = file_.copyAside();
        if (!*keptAside) {
            if (error)
                *error =
                    QStringLiteral("The unreadable sessions file could not be kept aside, so it was not replaced.");
            return false;
        }
    }
    keepBeforeSaving_ = false;
    writer_->handOver(std::move(sessions));
    auto written = std::make_shared<std::optional<Writer::Written>>();
    scheduler.runInBackground([writer = writer_, written] { *written = writer->writeNewest(); },
                              [written, failed = std::move(failed)] {
                                  if (*written && !(*written)->ok && failed) failed((*written)->error);
                              });
    return true;
}

} // namespace nimbrel
