#pragma once

#include "platform/Scheduler.h"
#include "platform/UserDefaults.h"

#include <deque>

namespace nimbrel::simtool {

// Preferences as the program's defaults file keeps them for a process that is killed: what is
// set reaches the disk a moment later (the file's writer writes at most every 0.1 s, on a
// thread of its own) or when the program synchronizes, and a kill loses what had not.
class WrittenBehindDefaults final : public InMemoryUserDefaults {
  public:
    // How long after its change a value may still not be on disk.
    static constexpr double kWriteBehindSeconds = 0.1;

    explicit WrittenBehindDefaults(const Clock& clock) : clock_(clock) {}

    void set(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    bool synchronize() override;

    // The process was killed: the changes made in the last kWriteBehindSeconds (not since
    // synchronized) are undone, as the file never got them.
    void loseUnwritten();
    // Whether a kill now would lose a change of `key`.
    bool wouldLose(const QString& key) const;

  private:
    void forgetWritten(Date now);
    void noteUnwritten(const QString& key);

    struct Change {
        Date at;
        QString key;
        QVariant before;
    };
    const Clock& clock_;
    std::deque<Change> unwritten_; // oldest first
};

} // namespace nimbrel::simtool
