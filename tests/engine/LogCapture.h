#pragma once

#include "platform/Log.h"

#include <QStringList>

namespace nimbrel::test {

// Collects the program's log lines for the life of the object, with standard output quiet.
class LogCapture {
  public:
    LogCapture() {
        previous_ = setLogSink([this](const QString& line) { lines.append(line); });
        setLogToStdout(false);
    }
    ~LogCapture() {
        setLogSink(previous_);
        setLogToStdout(true);
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    bool contains(const QString& line) const { return lines.contains(line); }
    int count(const QString& line) const { return int(lines.count(line)); }
    QStringList startingWith(const QString& prefix) const {
        QStringList out;
        for (const QString& l : lines)
            if (l.startsWith(prefix)) out.append(l);
        return out;
    }
    void clear() { lines.clear(); }

    QStringList lines;

  private:
    LogSink previous_;
};

} // namespace nimbrel::test
