#include "activity/ActivityHistory.h"

#include <algorithm>
#include <cmath>

namespace nimbrel {

size_t ActivityHistory::Snapshot::size() const {
    size_t n = 0;
    for (const auto& block : blocks_)
        n += block->size();
    return n;
}

void ActivityHistory::index(const NimbrelActivityEntry& entry) {
    ++idCounts_[entry.id];
    // A date that is not finite is never within a window of another, so it is left out.
    if (std::isfinite(entry.date.secondsSinceReferenceDate))
        datesByKind_[{entry.type, entry.title, entry.message}].insert(entry.date.secondsSinceReferenceDate);
}

void ActivityHistory::unindex(const NimbrelActivityEntry& entry) {
    if (const auto it = idCounts_.find(entry.id); it != idCounts_.end() && --it->second == 0) idCounts_.erase(it);
    if (!std::isfinite(entry.date.secondsSinceReferenceDate)) return;
    const auto kind = datesByKind_.find({entry.type, entry.title, entry.message});
    if (kind == datesByKind_.end()) return;
    if (const auto date = kind->second.find(entry.date.secondsSinceReferenceDate); date != kind->second.end())
        kind->second.erase(date);
    if (kind->second.empty()) datesByKind_.erase(kind);
}

bool ActivityHistory::hasRepeatOf(const NimbrelActivityEntry& entry, double window) const {
    const double at = entry.date.secondsSinceReferenceDate;
    if (!std::isfinite(at)) return false;
    const auto kind = datesByKind_.find({entry.type, entry.title, entry.message});
    if (kind == datesByKind_.end()) return false;
    // A second of slack around the window, so that rounding of its ends never hides a date
    // that the exact test below accepts.
    const std::multiset<double>& dates = kind->second;
    for (auto it = dates.lower_bound(at - window - 1); it != dates.end() && *it <= at + window + 1; ++it)
        if (std::abs(Date{*it}.secondsSince(entry.date)) <= window) return true;
    return false;
}

void ActivityHistory::assign(Entries entries) {
    entries_ = std::move(entries);
    blocks_.clear();
    idCounts_.clear();
    datesByKind_.clear();
    for (const NimbrelActivityEntry& entry : entries_) {
        index(entry);
        if (blocks_.empty() || blocks_.back().entries->size() >= kBlockSize) startBlock();
        Block& last = blocks_.back();
        last.entries->push_back(entry);
        last.earliest = std::min(last.earliest, entry.date);
    }
}

void ActivityHistory::startBlock() {
    auto entries = std::make_shared<Entries>();
    entries->reserve(kBlockSize);
    blocks_.push_back({std::move(entries), Date::distantFuture(), false});
}

void ActivityHistory::append(const NimbrelActivityEntry& entry) {
    entries_.push_back(entry);
    index(entry);
    if (blocks_.empty() || blocks_.back().entries->size() >= kBlockSize) {
        startBlock();
    } else if (blocks_.back().shared) {
        // A snapshot holds this block: continue in a copy of it.
        auto copy = std::make_shared<Entries>();
        copy->reserve(kBlockSize);
        copy->assign(blocks_.back().entries->begin(), blocks_.back().entries->end());
        blocks_.back() = {std::move(copy), blocks_.back().earliest, false};
    }
    Block& last = blocks_.back();
    last.entries->push_back(entry);
    last.earliest = std::min(last.earliest, entry.date);
}

bool ActivityHistory::eraseBefore(Date cutoff) {
    if (std::none_of(blocks_.begin(), blocks_.end(), [cutoff](const Block& b) { return b.earliest < cutoff; }))
        return false;
    const auto old = [cutoff](const NimbrelActivityEntry& e) { return e.date < cutoff; };
    std::erase_if(entries_, [&](const NimbrelActivityEntry& e) {
        if (!old(e)) return false;
        unindex(e);
        return true;
    });
    // Blocks with old entries are replaced by filtered copies, never changed in place.
    std::vector<Block> kept;
    kept.reserve(blocks_.size());
    for (Block& block : blocks_) {
        if (!(block.earliest < cutoff)) {
            kept.push_back(std::move(block));
            continue;
        }
        auto filtered = std::make_shared<Entries>();
        filtered->reserve(kBlockSize);
        Date earliest = Date::distantFuture();
        for (const NimbrelActivityEntry& e : *block.entries) {
            if (old(e)) continue;
            filtered->push_back(e);
            earliest = std::min(earliest, e.date);
        }
        if (!filtered->empty()) kept.push_back({std::move(filtered), earliest, false});
    }
    blocks_ = std::move(kept);
    return true;
}

ActivityHistory::Snapshot ActivityHistory::snapshot() {
    Snapshot snapshot;
    snapshot.blocks_.reserve(blocks_.size());
    for (Block& block : blocks_) {
        snapshot.blocks_.push_back(block.entries);
        block.shared = true;
    }
    return snapshot;
}

} // namespace nimbrel
