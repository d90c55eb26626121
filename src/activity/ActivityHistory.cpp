#include "activity/ActivityHistory.h"

#include <QHashFunctions>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace nimbrel {

size_t ActivityHistory::Snapshot::size() const {
    size_t n = openCount_;
    if (sealed_)
        for (const auto& block : *sealed_)
            n += block->size();
    return n;
}

ActivityHistory::Kind::Kind(const NimbrelActivityEntry& entry)
    : hash(qHash(entry.title) ^ (qHash(entry.message) * 31) ^ size_t(entry.type)), type(entry.type), title(entry.title),
      message(entry.message) {}

bool ActivityHistory::IdOrder::operator()(const Uuid& a, const Uuid& b) const {
    const QUuid& x = a.qUuid();
    const QUuid& y = b.qUuid();
    if (x.data1 != y.data1) return x.data1 < y.data1;
    if (x.data2 != y.data2) return x.data2 < y.data2;
    if (x.data3 != y.data3) return x.data3 < y.data3;
    return std::memcmp(x.data4, y.data4, sizeof x.data4) < 0;
}

void ActivityHistory::index(const NimbrelActivityEntry& entry) {
    ++idCounts_[entry.id];
    // A date that is not finite is never within a window of another, so it is left out.
    if (std::isfinite(entry.date.secondsSinceReferenceDate))
        datesByKind_[Kind(entry)].insert(entry.date.secondsSinceReferenceDate);
}

void ActivityHistory::unindex(const NimbrelActivityEntry& entry) {
    if (const auto it = idCounts_.find(entry.id); it != idCounts_.end() && --it->second == 0) idCounts_.erase(it);
    if (!std::isfinite(entry.date.secondsSinceReferenceDate)) return;
    const auto kind = datesByKind_.find(Kind(entry));
    if (kind == datesByKind_.end()) return;
    if (const auto date = kind->second.find(entry.date.secondsSinceReferenceDate); date != kind->second.end())
        kind->second.erase(date);
    if (kind->second.empty()) datesByKind_.erase(kind);
}

namespace {
// Whether one of `dates` lies within `window` seconds of the entry's date.
bool holdsDateNear(const std::multiset<double>& dates, const NimbrelActivityEntry& entry, double window) {
    const double at = entry.date.secondsSinceReferenceDate;
    // A second of slack around the window, so that rounding of its ends never hides a date
    // that the exact test below accepts.
    for (auto it = dates.lower_bound(at - window - 1); it != dates.end() && *it <= at + window + 1; ++it)
        if (std::abs(Date{*it}.secondsSince(entry.date)) <= window) return true;
    return false;
}
} // namespace

bool ActivityHistory::hasRepeatOf(const NimbrelActivityEntry& entry, double window) const {
    if (!std::isfinite(entry.date.secondsSinceReferenceDate)) return false;
    const auto kind = datesByKind_.find(Kind(entry));
    return kind != datesByKind_.end() && holdsDateNear(kind->second, entry, window);
}

bool ActivityHistory::appendUnlessKnown(const NimbrelActivityEntry& entry, double window) {
    // One walk down each index finds both whether the entry is known and where it goes.
    const auto id = idCounts_.lower_bound(entry.id);
    if (id != idCounts_.end() && !IdOrder{}(entry.id, id->first)) return false;
    const bool dated = std::isfinite(entry.date.secondsSinceReferenceDate);
    auto kind = datesByKind_.end();
    if (dated) {
        Kind key(entry);
        kind = datesByKind_.lower_bound(key);
        if (kind != datesByKind_.end() && !(key < kind->first)) {
            if (holdsDateNear(kind->second, entry, window)) return false;
        } else {
            kind = datesByKind_.emplace_hint(kind, std::move(key), std::multiset<double>{});
        }
    }
    entries_.push_back(entry);
    idCounts_.emplace_hint(id, entry.id, 1);
    if (dated) kind->second.insert(entry.date.secondsSinceReferenceDate);
    addToBlocks(entry);
    return true;
}

void ActivityHistory::assign(Entries entries) {
    entries_ = std::move(entries);
    ++lineage_;
    sealed_ = std::make_shared<BlockList>();
    sealedEarliest_.clear();
    open_.reset();
    idCounts_.clear();
    datesByKind_.clear();
    indexAll();
    for (const NimbrelActivityEntry& entry : entries_)
        addToBlocks(entry);
}

void ActivityHistory::indexAll() {
    // In order of the indexes' keys, so that each insertion goes beside the one before instead
    // of walking down a tree whose nodes are all over memory.
    std::vector<const NimbrelActivityEntry*> sorted;
    sorted.reserve(entries_.size());
    for (const NimbrelActivityEntry& entry : entries_)
        sorted.push_back(&entry);
    std::sort(sorted.begin(), sorted.end(), [](const auto* a, const auto* b) { return IdOrder{}(a->id, b->id); });
    for (const NimbrelActivityEntry* entry : sorted)
        ++idCounts_.try_emplace(idCounts_.end(), entry->id, 0)->second;

    std::vector<std::pair<Kind, double>> kinds;
    kinds.reserve(entries_.size());
    for (const NimbrelActivityEntry& entry : entries_)
        if (std::isfinite(entry.date.secondsSinceReferenceDate))
            kinds.emplace_back(Kind(entry), entry.date.secondsSinceReferenceDate);
    std::sort(kinds.begin(), kinds.end());
    auto kind = datesByKind_.end();
    for (auto& [key, date] : kinds) {
        if (kind == datesByKind_.end() || kind->first < key)
            kind = datesByKind_.emplace_hint(datesByKind_.end(), std::move(key), std::multiset<double>{});
        kind->second.insert(kind->second.end(), date);
    }
}

void ActivityHistory::append(const NimbrelActivityEntry& entry) {
    entries_.push_back(entry);
    index(entry);
    addToBlocks(entry);
}

void ActivityHistory::addToBlocks(const NimbrelActivityEntry& entry) {
    if (!open_ || open_->size() >= kBlockSize) {
        sealOpenBlock();
        open_ = std::make_shared<Entries>();
        open_->reserve(kBlockSize);
        openEarliest_ = Date::distantFuture();
    }
    open_->push_back(entry); // within the reserved room: the entries before it stay where they are
    openEarliest_ = std::min(openEarliest_, entry.date);
}

ActivityHistory::BlockList& ActivityHistory::sealedForChange() {
    if (sealed_.use_count() > 1) {
        sealed_ = std::make_shared<BlockList>(*sealed_); // a snapshot reads the list: change a copy
    } else {
        // The last snapshot has let go of the list; what it read comes before what changes now.
        std::atomic_thread_fence(std::memory_order_acquire);
    }
    return *sealed_;
}

void ActivityHistory::sealOpenBlock() {
    if (!open_) return;
    sealedForChange().push_back(std::move(open_));
    sealedEarliest_.push_back(openEarliest_);
    open_.reset();
}

bool ActivityHistory::eraseBefore(Date cutoff) {
    const auto holdsOld = [cutoff](Date earliest) { return earliest < cutoff; };
    if (std::none_of(sealedEarliest_.begin(), sealedEarliest_.end(), holdsOld) && !(open_ && holdsOld(openEarliest_)))
        return false;
    const auto old = [cutoff](const NimbrelActivityEntry& e) { return e.date < cutoff; };
    std::erase_if(entries_, [&](const NimbrelActivityEntry& e) {
        if (!old(e)) return false;
        unindex(e);
        return true;
    });
    ++lineage_;
    // Blocks with old entries are replaced by filtered copies, never changed in place; the
    // block being filled is sealed with the others.
    auto kept = std::make_shared<BlockList>();
    std::vector<Date> keptEarliest;
    kept->reserve(sealed_->size() + 1);
    keptEarliest.reserve(sealed_->size() + 1);
    const auto keep = [&](const std::shared_ptr<const Entries>& block, Date earliest) {
        if (!holdsOld(earliest)) {
            kept->push_back(block);
            keptEarliest.push_back(earliest);
            return;
        }
        auto filtered = std::make_shared<Entries>();
        Date filteredEarliest = Date::distantFuture();
        for (const NimbrelActivityEntry& e : *block) {
            if (old(e)) continue;
            filtered->push_back(e);
            filteredEarliest = std::min(filteredEarliest, e.date);
        }
        if (filtered->empty()) return;
        kept->push_back(std::move(filtered));
        keptEarliest.push_back(filteredEarliest);
    };
    for (size_t i = 0; i < sealed_->size(); ++i)
        keep((*sealed_)[i], sealedEarliest_[i]);
    if (open_) keep(open_, openEarliest_);
    sealed_ = std::move(kept);
    sealedEarliest_ = std::move(keptEarliest);
    open_.reset();
    return true;
}

ActivityHistory::Snapshot ActivityHistory::snapshot() const {
    Snapshot snapshot;
    snapshot.lineage_ = lineage_;
    snapshot.sealed_ = sealed_;
    if (open_) {
        snapshot.open_ = open_;
        snapshot.openEntries_ = open_->data();
        snapshot.openCount_ = open_->size();
    }
    return snapshot;
}

} // namespace nimbrel
