#include "ui/rules/RuleCardListModel.h"

#include <algorithm>

namespace nimbrel {

QVariant RuleCardListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(cards_.size())) return {};
    const RuleCardContent& card = cards_[size_t(index.row())];
    if (role == CardRole) return card.toVariant();
    if (role == PillsRole) return card.pillsVariant();
    return {};
}

QHash<int, QByteArray> RuleCardListModel::roleNames() const {
    return {{CardRole, "card"}, {PillsRole, "pills"}};
}

void RuleCardListModel::setCards(std::vector<RuleCardContent> cards) {
    std::vector<QString> before, after;
    for (const RuleCardContent& card : cards_)
        before.push_back(card.id.toString());
    for (const RuleCardContent& card : cards)
        after.push_back(card.id.toString());
    applyKeys(before, after, vectorStorage(cards_, cards), {CardRole, PillsRole});
}

int RuleCardListModel::rowOf(const Uuid& id) const {
    for (size_t row = 0; row < cards_.size(); ++row)
        if (cards_[row].id == id) return int(row);
    return -1;
}

void RuleCardListModel::insertCard(int row, RuleCardContent card) {
    beginInsertRows({}, row, row);
    cards_.insert(cards_.begin() + row, std::move(card));
    endInsertRows();
    emit countChanged();
}

void RuleCardListModel::removeCard(int row) {
    beginRemoveRows({}, row, row);
    cards_.erase(cards_.begin() + row);
    endRemoveRows();
    emit countChanged();
}

void RuleCardListModel::moveCard(int from, int to) {
    if (from == to) return;
    // The model's destination is the row it goes before, counted before the move.
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    if (to > from)
        std::rotate(cards_.begin() + from, cards_.begin() + from + 1, cards_.begin() + to + 1);
    else
        std::rotate(cards_.begin() + to, cards_.begin() + from, cards_.begin() + from + 1);
    endMoveRows();
}

void RuleCardListModel::replaceCard(int row, RuleCardContent card) {
    RuleCardContent& held = cards_[size_t(row)];
    if (held == card) return;
    QList<int> roles;
    if (held.pills == card.pills) {
        roles << CardRole;
    } else {
        roles << PillsRole;
        RuleCardContent rest = card;
        rest.pills = held.pills;
        if (!(held == rest)) roles << CardRole;
    }
    held = std::move(card);
    emit dataChanged(index(row), index(row), roles);
}

} // namespace nimbrel
