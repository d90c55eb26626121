#include "sessions/SessionSnapshotFile.h"

#include "activity/ActivityRecorder.h"
#include "platform/Json.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "sessions/SessionPaths.h"

#include <utility>

namespace nimbrel {

SessionSnapshotFile::SessionSnapshotFile(Platform& platform, const QString& fileName, Reporting reporting)
    : platform_(platform),
      file_(sessionsSupportFolder(platform.locations) + QLatin1Char('/') + fileName, kMaxFileBytes),
      reporting_(std::move(reporting)) {
    file_.removeStaleTemporaries(); // its writes are the main thread's, and none has begun
}

SessionSnapshotFile::State SessionSnapshotFile::load(const std::function<void(const QJsonDocument&)>& decode) {
    QString problem;
    const std::optional<QByteArray> bytes = file_.read(&problem);
    if (!bytes) {
        if (problem.isEmpty()) {
            reportedBlocked_ = false;
            return State::absent;
        }
        return setAsideUnreadable(problem);
    }
    try {
        decode(json::parse(*bytes));
    } catch (const json::DecodeError& error) {
        return setAsideUnreadable(error.message());
    }
    reportedBlocked_ = false;
    return State::loaded;
}

SessionSnapshotFile::State SessionSnapshotFile::setAsideUnreadable(const QString& problem) {
    // Reported once while it stays; the move is tried at every load, so the snapshot stops
    // blocking sessions as soon as whatever held it in place has gone.
    if (!reportedBlocked_) {
        logLine(reporting_.component, reporting_.failedToLoad + problem);
        recordNimbrelActivity(platform_, NimbrelActivityType::error, reporting_.loadFailedTitle, problem);
    }
    if (const std::optional<QString> kept = file_.moveAside()) {
        logLine(reporting_.component, QStringLiteral("kept the unreadable snapshot as ") + lastPathComponent(*kept));
        reportedBlocked_ = false;
        return State::absent;
    }
    reportedBlocked_ = true;
    return State::blocked;
}

bool SessionSnapshotFile::write(const QJsonValue& value) {
    QString error;
    if (file_.write(json::serialize(value, true), &error)) {
        reportedWriteFailure_ = false;
        return true;
    }
    // Tried again at every apply: the log has each failure, the activity list one.
    logLine(reporting_.component, reporting_.failedToSave + error);
    if (!std::exchange(reportedWriteFailure_, true))
        recordNimbrelActivity(platform_, NimbrelActivityType::error, reporting_.saveFailedTitle, error);
    return false;
}

} // namespace nimbrel
