#include "ui/rules/RuleCardListModel.h"

#include <algorithm>
#include <set>

namespace nimbrel {

namespace {

std::vector<Uuid> idsOf(const std::vector<RuleCardContent>& cards) {
    std::vector<Uuid> ids;
    ids.reserve(cards.size());
    for (const RuleCardContent& card : cards)
        ids.push_back(card.id);
    return ids;
}

} // namespace

int RuleCardListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(cards_.size());
}

QVariant RuleCardListModel::data(const QModelIndex& index, int role) const {
    if (role != CardRole || !index.isValid() || index.row() >= int(cards_.size())) return {};
    return cards_[size_t(index.row())].toVariant();
}

QHash<int, QByteArray> RuleCardListModel::roleNames() const {
    return {{CardRole, "card"}};
}

void RuleCardListModel::setCards(std::vector<RuleCardContent> cards) {
    const int before = count();
    const std::vector<Uuid> newIds = idsOf(cards);
    const std::set<Uuid> newSet(newIds.begin(), newIds.end());

    // Cards that left go first, from the end so the rows keep their numbers.
    for (int row = int(cards_.size()) - 1; row >= 0; --row) {
        if (newSet.count(cards_[size_t(row)].id)) continue;
        beginRemoveRows({}, row, row);
        cards_.erase(cards_.begin() + row);
        endRemoveRows();
    }
    // The cards that stayed must keep their order for a change to be shown row by row.
    std::vector<Uuid> kept = idsOf(cards_);
    std::vector<Uuid> newOrderOfKept;
    const std::set<Uuid> keptSet(kept.begin(), kept.end());
    for (const Uuid& id : newIds)
        if (keptSet.count(id)) newOrderOfKept.push_back(id);
    if (kept != newOrderOfKept) {
        beginResetModel();
        cards_ = std::move(cards);
        endResetModel();
    } else {
        for (size_t row = 0; row < cards.size(); ++row) {
            if (row < cards_.size() && cards_[row].id == cards[row].id) continue;
            beginInsertRows({}, int(row), int(row));
            cards_.insert(cards_.begin() + qsizetype(row), cards[row]);
            endInsertRows();
        }
        for (size_t row = 0; row < cards.size(); ++row)
            cards_[row] = std::move(cards[row]);
        if (!cards_.empty()) emit dataChanged(index(0), index(int(cards_.size()) - 1), {CardRole});
    }
    if (count() != before) emit countChanged();
}

} // namespace nimbrel
