#pragma once

#include "model/Rule.h"
#include "model/RuleListEdit.h"
#include "ui/rules/RuleCards.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QTimeZone>

#include <cstdint>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace nimbrel {

class FileSystem;
class RuleCardListModel;
class Workspace;

// The rules screen's cards, kept from one change of the store's list to the next: a change
// makes anew only the cards of the rules it touched, and of pauses that have run out since, and
// moves each to its place in the list order, instead of sorting every rule and making every card
// again (which asks the Mac about every trigger app); a list arranged anew keeps the cards of the
// rules it held as they were, moving only those whose place among equal sort keys changed. Every
// card is made anew when the cards missed a change, the list was replaced whole, the locale or the
// time zone changed, or after forget().
class KeptRuleCards {
  public:
    explicit KeptRuleCards(RuleCardListModel& model) : model_(model) {}

    // Brings the cards to `rules`, which `change` made.
    void follow(const std::vector<NimbrelRule>& rules, const RuleListChange& change, const Workspace& workspace,
                const FileSystem& files, Date now);
    // The next follow makes every card anew (what the Mac has may have changed meanwhile).
    void forget() { shown_.reset(); }
    // How many cards were made, all told.
    std::uint64_t cardsMade() const { return made_; }

  private:
    struct Entry {
        Uuid id;
        QByteArray sortKey;
        std::optional<Date> pauseEnd; // when the card would read otherwise
    };

    void remakeAll(const std::vector<NimbrelRule>& rules, RuleCardBuilder& builder, Date now);
    // False when the steps do not fit the list the cards show; then nothing can be trusted.
    bool followSteps(const std::vector<NimbrelRule>& rules, const std::vector<RuleListChange::Step>& steps,
                     RuleCardBuilder& builder, Date now);
    // Replays the steps on the store's order; the ids they put in and took out.
    bool replay(const std::vector<RuleListChange::Step>& steps, QSet<Uuid>& putIn, QSet<Uuid>& takenOut);
    // Takes the store's order from `rules`, arranged anew, and follows it.
    bool followArrangement(const std::vector<NimbrelRule>& rules, const std::vector<Uuid>& arrangedAnew,
                           RuleCardBuilder& builder, Date now);
    // Brings the cards to the store's order as replayed or arranged: `remade` made anew, those of
    // `takenOut` no longer in the list gone, and, when the change `reordered` the rules that stay,
    // the others moved only where their place among cards of equal sort key changed.
    bool place(const std::vector<NimbrelRule>& rules, QSet<Uuid> remade, const QSet<Uuid>& takenOut, bool reordered,
               RuleCardBuilder& builder, Date now);
    // Takes out of `order_` each run of one sort key whose store positions are out of order now.
    std::vector<Entry> takeOutOfOrderTies();
    Entry entryFor(const NimbrelRule& rule, Date now);
    // Where an entry of `key` for the rule at `storePosition` goes in `order_`.
    size_t placeFor(const QByteArray& key, size_t storePosition) const;
    // Puts the made cards, and the `moved` ones as they are, where `order_` has them, each after
    // the card before it.
    void placeRows(QHash<Uuid, RuleCardContent> cards, QSet<Uuid> moved);

    RuleCardListModel& model_;
    std::optional<std::uint64_t> shown_; // the change the cards show
    std::vector<Entry> order_;           // the rows, in order
    std::vector<Uuid> storeOrder_;       // the store's list, by id
    QHash<Uuid, size_t> storePosition_;
    std::set<std::pair<Date, Uuid>> pauseEnds_;
    std::uint64_t made_ = 0;
    // The locale and zone the cards were made in.
    QByteArray locale_;
    QTimeZone zone_;
};

} // namespace nimbrel
