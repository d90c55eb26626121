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
    QByteArray standardError;
};

// Starts a command and waits until it exits (the caller's thread waits).
class ProcessRunner {
  public:
    virtual ~ProcessRunner() = default;
    virtual ProcessResult run(const QString& executable, const QStringList& arguments) = 0;
};

} // namespace nimbrel
