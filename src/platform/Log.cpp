#include "platform/Log.h"

#include <cstdio>
#include <mutex>

namespace nimbrel {

namespace {
std::mutex& logMutex() {
    static std::mutex m;
    return m;
}
LogSink& sink() {
    static LogSink s;
    return s;
}
bool& toStdout() {
    static bool on = true;
    return on;
}
} // namespace

void logRaw(const QString& line) {
    LogSink current;
    {
        std::lock_guard lock(logMutex());
        if (toStdout()) {
            const QByteArray bytes = line.toUtf8();
            std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout);
        }
        current = sink();
    }
    if (current) current(line);
}

void logLine(const QString& component, const QString& message) {
    logRaw(component + QStringLiteral(": ") + message);
}

LogSink setLogSink(LogSink newSink) {
    std::lock_guard lock(logMutex());
    return std::exchange(sink(), std::move(newSink));
}

void setLogToStdout(bool on) {
    std::lock_guard lock(logMutex());
    toStdout() = on;
}

} // namespace nimbrel
