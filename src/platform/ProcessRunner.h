#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace nimbrel {

struct ProcessResult {
    bool launched = false;     // false: the executable could not be started
    QString launchError;       // its localized description when not launched
    int terminationStatus = 0; // the exit status once it has exited
    QByteArray standardOutput;
    QByteArray standardError; // empty when it was discarded
};

// What becomes of a command's standard error: kept in the result, or sent to the null device
// (for callers that never read it, so it can never fill a pipe nobody drains).
enum class StandardErrorHandling { capture, discard };

// Starts a command and waits until it exits (the caller's thread waits).
class ProcessRunner {
  public:
    virtual ~ProcessRunner() = default;
    virtual ProcessResult run(const QString& executable, const QStringList& arguments,
                              StandardErrorHandling standardError) = 0;
    ProcessResult run(const QString& executable, const QStringList& arguments) {
        return run(executable, arguments, StandardErrorHandling::capture);
    }
};

} // namespace nimbrel
