#pragma once

#include "activity/ActivityEntry.h"

#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

namespace nimbrel {

// The activity entries in the order of adding, and the same entries held a second time in
// blocks that are never changed once another thread may read them, so that a snapshot for a
// background write costs a few pointers instead of a copy of the history. The ids and the
// dates of each kind of entry are indexed, so that adding one never walks the history.
class ActivityHistory {
  public:
    using Entries = std::vector<NimbrelActivityEntry>;

    // The entries when it was taken, whatever happens to the history afterwards.
    class Snapshot {
      public:
        size_t size() const;
        template <typename Visit> void forEach(Visit&& visit) const {
            for (const auto& block : blocks_)
                for (const NimbrelActivityEntry& entry : *block)
                    visit(entry);
        }

      private:
        friend class ActivityHistory;
        std::vector<std::shared_ptr<const Entries>> blocks_;
    };

    const Entries& entries() const { return entries_; }
    void assign(Entries entries);
    void append(const NimbrelActivityEntry& entry);
    // Removes the entries dated before `cutoff`; whether any went.
    bool eraseBefore(Date cutoff);
    Snapshot snapshot();

    bool containsId(const Uuid& id) const { return idCounts_.count(id) > 0; }
    // Whether an entry of the same type, title and message is dated within `window` seconds.
    bool hasRepeatOf(const NimbrelActivityEntry& entry, double window) const;

    // Entries per block: bounds what one append after a snapshot copies.
    static constexpr size_t kBlockSize = 256;

  private:
    struct Block {
        std::shared_ptr<Entries> entries;
        Date earliest;       // of its entries, so that a prune skips blocks with nothing to drop
        bool shared = false; // in a snapshot: never changed again
    };
    struct Kind {
        NimbrelActivityType type;
        QString title, message;
        bool operator<(const Kind& o) const {
            return std::tie(type, title, message) < std::tie(o.type, o.title, o.message);
        }
    };
    void startBlock();
    void index(const NimbrelActivityEntry& entry);
    void unindex(const NimbrelActivityEntry& entry);

    Entries entries_;
    std::vector<Block> blocks_;
    // Trees rather than hash tables: no add ever waits for a whole table to be rebuilt.
    std::map<Uuid, int> idCounts_;
    std::map<Kind, std::multiset<double>> datesByKind_; // finite dates only
};

} // namespace nimbrel
