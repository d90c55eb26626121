#pragma once

#include <QString>

#include <functional>

namespace nimbrel {

// Prints "component: message" on standard output, as the program's log lines are designed.
void logLine(const QString& component, const QString& message);
// Prints one whole line as it stands.
void logRaw(const QString& line);

// Additional receiver of every line (the scenario transcript, tests). Returns the previous one.
using LogSink = std::function<void(const QString& line)>;
LogSink setLogSink(LogSink sink);
// Silences standard output (tests that check lines through a sink).
void setLogToStdout(bool on);

} // namespace nimbrel
