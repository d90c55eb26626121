#include "ui/rules/KeptRuleCards.h"

#include "platform/Calendar.h"
#include "ui/rules/RuleCardListModel.h"
#include "ui/rules/RulesListLogic.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <utility>

namespace nimbrel {

void KeptRuleCards::follow(const std::vector<NimbrelRule>& rules, const RuleListChange& change,
                           const Workspace& workspace, const FileSystem& files, Date now) {
    RuleCardBuilder builder(workspace, files, now);
    // What a card's texts and the list order depend on besides the rule and the moment.
    const QByteArray locale = currentLocaleName();
    const QTimeZone zone = currentTimeZone();
    const bool sameStyle = locale == locale_ && sameLocalTimes(zone, zone_, now);
    const bool inStep = shown_ && sameStyle && size_t(storePosition_.size()) == storeOrder_.size();
    bool followed = false;
    if (inStep && *shown_ == change.number)
        followed = followSteps(rules, {}, builder, now); // only pauses that ran out
    else if (inStep && *shown_ + 1 == change.number && change.steps)
        followed = followSteps(rules, *change.steps, builder, now);
    else if (inStep && *shown_ + 1 == change.number && change.arrangedAnew)
        followed = followArrangement(rules, *change.arrangedAnew, builder, now);
    if (!followed) remakeAll(rules, builder, now);
    shown_ = change.number;
    locale_ = locale;
    zone_ = zone;
}

KeptRuleCards::Entry KeptRuleCards::entryFor(const NimbrelRule& rule, Date now) {
    std::optional<Date> pauseEnd;
    // An enabled rule's card reads otherwise once its pause has run out.
    if (rule.isEnabled && rule.pausedUntil && *rule.pausedUntil > now) {
        pauseEnd = *rule.pausedUntil;
        pauseEnds_.insert({*pauseEnd, rule.id});
    }
    return {rule.id, ruleSortKey(rule), pauseEnd};
}

void KeptRuleCards::remakeAll(const std::vector<NimbrelRule>& rules, RuleCardBuilder& builder, Date now) {
    storeOrder_.clear();
    storePosition_.clear();
    pauseEnds_.clear();
    storeOrder_.reserve(rules.size());
    storePosition_.reserve(qsizetype(rules.size()));
    std::vector<Entry> entries;
    entries.reserve(rules.size());
    for (size_t i = 0; i < rules.size(); ++i) {
        storeOrder_.push_back(rules[i].id);
        storePosition_.insert(rules[i].id, i);
        entries.push_back(entryFor(rules[i], now));
    }
    std::vector<size_t> order(rules.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return entries[a].sortKey < entries[b].sortKey; });
    order_.clear();
    order_.reserve(rules.size());
    std::vector<RuleCardContent> cards;
    cards.reserve(rules.size());
    for (size_t i : order) {
        order_.push_back(std::move(entries[i]));
        cards.push_back(builder.card(rules[i]));
    }
    made_ += rules.size();
    model_.setCards(std::move(cards));
}

bool KeptRuleCards::replay(const std::vector<RuleListChange::Step>& steps, QSet<Uuid>& putIn, QSet<Uuid>& takenOut) {
    size_t firstShifted = std::numeric_limits<size_t>::max();
    for (const RuleListChange::Step& step : steps) {
        const auto at = storeOrder_.begin() + std::ptrdiff_t(step.position);
        switch (step.kind) {
        case RuleListEdit::Kind::replace:
            if (step.position >= storeOrder_.size()) return false;
            if (*at != step.id) takenOut.insert(*at);
            *at = step.id;
            putIn.insert(step.id);
            break;
        case RuleListEdit::Kind::insert:
            if (step.position > storeOrder_.size()) return false;
            storeOrder_.insert(at, step.id);
            if (!step.moved) putIn.insert(step.id); // a moved card is placed again only if it must
            firstShifted = std::min(firstShifted, step.position);
            break;
        case RuleListEdit::Kind::erase:
            if (step.position >= storeOrder_.size() || *at != step.id) return false;
            storeOrder_.erase(at);
            takenOut.insert(step.id);
            firstShifted = std::min(firstShifted, step.position);
            break;
        }
    }
    for (const Uuid& id : takenOut)
        storePosition_.remove(id);
    for (size_t i = firstShifted; i < storeOrder_.size(); ++i)
        storePosition_.insert(storeOrder_[i], i);
    for (auto id = putIn.begin(); id != putIn.end();) {
        if (storePosition_.contains(*id)) {
            ++id;
            continue;
        }
        const auto found = std::find(storeOrder_.begin(), storeOrder_.end(), *id);
        if (found != storeOrder_.end()) {
            storePosition_.insert(*id, size_t(found - storeOrder_.begin()));
            ++id;
        } else { // put in and taken out again
            takenOut.insert(*id);
            id = putIn.erase(id);
        }
    }
    // A list that holds one id twice is made anew at every change.
    return size_t(storePosition_.size()) == storeOrder_.size();
}

size_t KeptRuleCards::placeFor(const QByteArray& key, size_t storePosition) const {
    const auto at = std::lower_bound(order_.begin(), order_.end(), std::pair(&key, storePosition),
                                     [this](const Entry& entry, const auto& wanted) {
                                         if (entry.sortKey != *wanted.first) return entry.sortKey < *wanted.first;
                                         return storePosition_.value(entry.id) < wanted.second;
                                     });
    return size_t(at - order_.begin());
}

bool KeptRuleCards::followSteps(const std::vector<NimbrelRule>& rules, const std::vector<RuleListChange::Step>& steps,
                                RuleCardBuilder& builder, Date now) {
    QSet<Uuid> remade, takenOut;
    if (!replay(steps, remade, takenOut) || storeOrder_.size() != rules.size()) return false;
    // Only a move can change the order of the rules that stay.
    const bool moved = std::any_of(steps.begin(), steps.end(), [](const auto& step) { return step.moved; });
    return place(rules, std::move(remade), takenOut, moved, builder, now);
}

bool KeptRuleCards::followArrangement(const std::vector<NimbrelRule>& rules, const std::vector<Uuid>& arrangedAnew,
                                      RuleCardBuilder& builder, Date now) {
    // The positions are written over those of the same ids (no table made anew), and the ids no
    // longer in the list taken out.
    const std::vector<Uuid> before = std::exchange(storeOrder_, {});
    storeOrder_.reserve(rules.size());
    for (size_t i = 0; i < rules.size(); ++i) {
        storeOrder_.push_back(rules[i].id);
        storePosition_.insert(rules[i].id, i);
    }
    QSet<Uuid> takenOut;
    for (const Uuid& id : before) {
        const auto at = storePosition_.constFind(id);
        if (at == storePosition_.constEnd() || *at >= rules.size() || storeOrder_[*at] != id) {
            takenOut.insert(id);
            storePosition_.remove(id);
        }
    }
    // A list that holds one id twice is made anew at every change.
    if (size_t(storePosition_.size()) != storeOrder_.size()) return false;
    QSet<Uuid> remade;
    for (const Uuid& id : arrangedAnew)
        remade.insert(id);
    return place(rules, std::move(remade), takenOut, true, builder, now);
}

bool KeptRuleCards::place(const std::vector<NimbrelRule>& rules, QSet<Uuid> remade, const QSet<Uuid>& takenOut,
                          bool reordered, RuleCardBuilder& builder, Date now) {
    // Cards whose pause has run out read otherwise now.
    while (!pauseEnds_.empty() && pauseEnds_.begin()->first <= now) {
        remade.insert(pauseEnds_.begin()->second);
        pauseEnds_.erase(pauseEnds_.begin());
    }
    QSet<Uuid> gone;
    for (const Uuid& id : takenOut)
        if (!storePosition_.contains(id)) gone.insert(id);
    for (const Uuid& id : gone)
        remade.remove(id);

    if (!remade.isEmpty() || !gone.isEmpty()) {
        std::erase_if(order_, [&](const Entry& entry) {
            if (!remade.contains(entry.id) && !gone.contains(entry.id)) return false;
            if (entry.pauseEnd) pauseEnds_.erase({*entry.pauseEnd, entry.id});
            return true;
        });
    }
    for (const Uuid& id : gone)
        if (const int row = model_.rowOf(id); row >= 0) model_.removeCard(row);

    QSet<Uuid> moved;
    for (Entry& entry : reordered ? takeOutOfOrderTies() : std::vector<Entry>{}) {
        const size_t place = placeFor(entry.sortKey, storePosition_.value(entry.id));
        moved.insert(entry.id);
        order_.insert(order_.begin() + std::ptrdiff_t(place), std::move(entry));
    }
    QHash<Uuid, RuleCardContent> cards;
    cards.reserve(remade.size());
    for (const Uuid& id : remade) {
        const size_t position = storePosition_.value(id, rules.size());
        if (position >= rules.size() || rules[position].id != id) return false;
        const NimbrelRule& rule = rules[position];
        Entry entry = entryFor(rule, now);
        const size_t place = placeFor(entry.sortKey, position);
        order_.insert(order_.begin() + std::ptrdiff_t(place), std::move(entry));
        cards.insert(id, builder.card(rule));
        ++made_;
    }
    placeRows(std::move(cards), std::move(moved));
    return order_.size() == rules.size() && model_.count() == int(rules.size());
}

std::vector<KeptRuleCards::Entry> KeptRuleCards::takeOutOfOrderTies() {
    const auto outOfOrder = [this](size_t i) {
        return order_[i].sortKey == order_[i + 1].sortKey &&
               storePosition_.value(order_[i].id) > storePosition_.value(order_[i + 1].id);
    };
    size_t first = 0;
    while (first + 1 < order_.size() && !outOfOrder(first))
        ++first;
    if (first + 1 >= order_.size()) return {};
    // Each run of one sort key that is out of order leaves whole; the others stay in order.
    std::vector<Entry> taken, kept;
    kept.reserve(order_.size());
    for (size_t start = 0; start < order_.size();) {
        size_t end = start + 1;
        bool inOrder = true;
        for (; end < order_.size() && order_[end].sortKey == order_[start].sortKey; ++end)
            inOrder = inOrder && !outOfOrder(end - 1);
        for (size_t i = start; i < end; ++i)
            (inOrder ? kept : taken).push_back(std::move(order_[i]));
        start = end;
    }
    order_ = std::move(kept);
    return taken;
}

void KeptRuleCards::placeRows(QHash<Uuid, RuleCardContent> cards, QSet<Uuid> moved) {
    // In list order, each right after the card before it (which is in its final place already, or
    // was not moved at all): the cards that were not placed again keep their order.
    for (size_t i = 0; i < order_.size() && !(cards.isEmpty() && moved.isEmpty()); ++i) {
        const auto card = cards.find(order_[i].id);
        if (card == cards.end() && !moved.remove(order_[i].id)) continue;
        const int from = model_.rowOf(order_[i].id);
        int to = i == 0 ? 0 : model_.rowOf(order_[i - 1].id) + 1;
        if (from >= 0 && from < to) --to;
        if (from >= 0) model_.moveCard(from, to);
        if (card == cards.end()) continue; // moved as it is
        if (from < 0)
            model_.insertCard(to, std::move(*card));
        else
            model_.replaceCard(to, std::move(*card));
        cards.erase(card);
    }
}

} // namespace nimbrel
