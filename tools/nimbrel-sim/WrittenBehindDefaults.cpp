#include "WrittenBehindDefaults.h"

#include <algorithm>

namespace nimbrel::simtool {

void WrittenBehindDefaults::forgetWritten(Date now) {
    // A writer that starts as late as it may can still be writing at the end of its interval.
    while (!unwritten_.empty() && now.secondsSince(unwritten_.front().at) > kWriteBehindSeconds + 1e-6)
        unwritten_.pop_front();
}

void WrittenBehindDefaults::noteUnwritten(const QString& key) {
    const Date now = clock_.now();
    forgetWritten(now);
    unwritten_.push_back({now, key, object(key)});
}

void WrittenBehindDefaults::set(const QString& key, const QVariant& value) {
    noteUnwritten(key);
    InMemoryUserDefaults::set(key, value);
}

void WrittenBehindDefaults::remove(const QString& key) {
    noteUnwritten(key);
    InMemoryUserDefaults::remove(key);
}

bool WrittenBehindDefaults::synchronize() {
    const bool written = InMemoryUserDefaults::synchronize();
    if (written) unwritten_.clear();
    return written;
}

bool WrittenBehindDefaults::wouldLose(const QString& key) const {
    const Date now = clock_.now();
    return std::any_of(unwritten_.begin(), unwritten_.end(), [&](const Change& change) {
        return change.key == key && now.secondsSince(change.at) <= kWriteBehindSeconds + 1e-6;
    });
}

void WrittenBehindDefaults::loseUnwritten() {
    forgetWritten(clock_.now());
    for (auto change = unwritten_.rbegin(); change != unwritten_.rend(); ++change) {
        if (change->before.isValid())
            InMemoryUserDefaults::set(change->key, change->before);
        else
            InMemoryUserDefaults::remove(change->key);
    }
    unwritten_.clear();
}

} // namespace nimbrel::simtool
