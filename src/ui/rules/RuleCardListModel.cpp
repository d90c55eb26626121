#include "ui/rules/RuleCardListModel.h"

namespace nimbrel {

QVariant RuleCardListModel::data(const QModelIndex& index, int role) const {
    if (role != CardRole || !index.isValid() || index.row() >= int(cards_.size())) return {};
    return cards_[size_t(index.row())].toVariant();
}

QHash<int, QByteArray> RuleCardListModel::roleNames() const {
    return {{CardRole, "card"}};
}

void RuleCardListModel::setCards(std::vector<RuleCardContent> cards) {
    std::vector<QString> before, after;
    for (const RuleCardContent& card : cards_)
        before.push_back(card.id.toString());
    for (const RuleCardContent& card : cards)
        after.push_back(card.id.toString());
    applyKeys(before, after, vectorStorage(cards_, cards), {CardRole});
}

} // namespace nimbrel
