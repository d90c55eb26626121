#pragma once

#include "platform/Date.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace nimbrel {
class Clock;
}

namespace nimbrel::simtool {

// The lines of a run: each prefixed by the virtual seconds since the start. Two runs print
// the same transcript: the run's own folder and the random names of temporary script files
// are written the same way every time.
class Transcript {
  public:
    Transcript(const Clock& clock, Date start, const QString& workFolder);
    // A transcript whose every line is given its time.
    Transcript(Date start, const QString& workFolder);

    void line(const QString& kind, const QString& text);
    // A line of something that happened at `at` (a Mac whose clock is not the transcript's).
    void line(Date at, const QString& kind, const QString& text);
    void raw(const QString& text);
    QString stable(QString text) const;
    // The ids the scenario itself names print as they are; every other UUID (one the program
    // drew at random) prints as <id-N>, numbered in order of first appearance.
    void keepIdsOf(const QByteArray& scenarioText);
    // This process's id, given to a simulated app: written "pid=<real>" so that runs compare.
    void setRealPid(int pid) { realPid_ = pid; }

    const QStringList& lines() const { return lines_; }

  private:
    const Clock* clock_ = nullptr;
    Date start_;
    QString workFolder_;
    QStringList lines_;
    QSet<QString> keptIds_;
    bool numberIds_ = false;
    mutable QHash<QString, QString> numberedIds_;
    std::optional<int> realPid_;
};

} // namespace nimbrel::simtool
