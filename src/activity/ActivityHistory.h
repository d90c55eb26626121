#pragma once

#include "activity/ActivityEntry.h"

#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

namespace nimbrel {

// The activity entries in the order of adding, and the same entries held a second time in
// blocks that are never changed once another thread may read them, so that a snapshot for a
// background write costs a few pointers instead of a copy of the history, whatever its size.
// The ids and the dates of each kind of entry are indexed, so that adding one never walks the
// history.
class ActivityHistory {
  public:
    using Entries = std::vector<NimbrelActivityEntry>;
    using BlockList = std::vector<std::shared_ptr<const Entries>>;

    // The entries when it was taken, whatever happens to the history afterwards.
    class Snapshot {
      public:
        size_t size() const;
        template <typename Visit> void forEach(Visit&& visit) const { forEachFrom(0, visit); }
        // The entries from the `first` one (counting from 0) on.
        template <typename Visit> void forEachFrom(size_t first, Visit&& visit) const {
            size_t skip = first;
            if (sealed_)
                for (const auto& block : *sealed_) {
                    if (skip >= block->size()) {
                        skip -= block->size();
                        continue;
                    }
                    for (size_t i = std::exchange(skip, 0); i < block->size(); ++i)
                        visit((*block)[i]);
                }
            for (size_t i = skip; i < openCount_; ++i)
                visit(openEntries_[i]);
        }
        // The history's lineage when it was taken (see lineage()).
        uint64_t lineage() const { return lineage_; }

      private:
        friend class ActivityHistory;
        uint64_t lineage_ = 0;
        std::shared_ptr<const BlockList> sealed_;
        // The first entries of the block still being filled: later ones go past them, and the
        // block never moves.
        std::shared_ptr<const Entries> open_;
        const NimbrelActivityEntry* openEntries_ = nullptr;
        size_t openCount_ = 0;
    };

    ActivityHistory() = default;
    // A copy would share the block being filled, and fill it for both.
    ActivityHistory(const ActivityHistory&) = delete;
    ActivityHistory& operator=(const ActivityHistory&) = delete;
    ActivityHistory(ActivityHistory&&) = default;
    ActivityHistory& operator=(ActivityHistory&&) = default;

    const Entries& entries() const { return entries_; }
    void assign(Entries entries);
    void append(const NimbrelActivityEntry& entry);
    // Removes the entries dated before `cutoff`; whether any went.
    bool eraseBefore(Date cutoff);
    Snapshot snapshot() const;
    // Changes whenever entries go or are replaced, never when one is appended: of two snapshots
    // of one lineage, the earlier holds the first entries of the later, in the same order.
    uint64_t lineage() const { return lineage_; }

    bool containsId(const Uuid& id) const { return idCounts_.count(id) > 0; }
    // Whether an entry of the same type, title and message is dated within `window` seconds.
    bool hasRepeatOf(const NimbrelActivityEntry& entry, double window) const;
    // Appends the entry unless its id is held or it repeats one within `window` seconds (as
    // hasRepeatOf); whether it was appended.
    bool appendUnlessKnown(const NimbrelActivityEntry& entry, double window);

    // Entries per block: sealing one while a snapshot still holds the list of blocks copies the list.
    static constexpr size_t kBlockSize = 256;

  private:
    // Ordered by a hash of its texts first: a look-up then reads the texts of the entry it finds
    // only, not of every entry it passes, which other threads may just have touched.
    struct Kind {
        explicit Kind(const NimbrelActivityEntry& entry);
        size_t hash;
        NimbrelActivityType type;
        QString title, message;
        bool operator<(const Kind& o) const {
            return std::tie(hash, type, title, message) < std::tie(o.hash, o.type, o.title, o.message);
        }
    };
    // By the id's bytes, without QUuid's own order, which asks each id for its variant.
    struct IdOrder {
        bool operator()(const Uuid& a, const Uuid& b) const;
    };
    void addToBlocks(const NimbrelActivityEntry& entry);
    void sealOpenBlock();
    BlockList& sealedForChange();
    void index(const NimbrelActivityEntry& entry);
    void indexAll();
    void unindex(const NimbrelActivityEntry& entry);

    Entries entries_;
    uint64_t lineage_ = 0;
    // Blocks never changed again (full, or made by a prune), shared with snapshots as one list,
    // and the earliest date of each, so that a prune skips blocks with nothing to drop.
    std::shared_ptr<BlockList> sealed_ = std::make_shared<BlockList>();
    std::vector<Date> sealedEarliest_;
    // The block being filled: its room is reserved, so appending never moves what a snapshot reads.
    std::shared_ptr<Entries> open_;
    Date openEarliest_ = Date::distantFuture();
    // Trees rather than hash tables: no add ever waits for a whole table to be rebuilt.
    std::map<Uuid, int, IdOrder> idCounts_;
    std::map<Kind, std::multiset<double>> datesByKind_; // finite dates only
};

} // namespace nimbrel
