#pragma once

#include "ui/common/KeyedListModel.h"
#include "ui/rules/RuleCards.h"

#include <vector>

namespace nimbrel {

// The cards as a keyed list model, so that the view animates a card leaving or arriving.
class RuleCardListModel : public KeyedRowsModel {
    Q_OBJECT
  public:
    enum Role { CardRole = Qt::UserRole + 1, PillsRole };
    using KeyedRowsModel::KeyedRowsModel;

    int count() const override { return int(cards_.size()); }
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const std::vector<RuleCardContent>& cards() const { return cards_; }
    void setCards(std::vector<RuleCardContent> cards);

    // One row at a time, for a change that touched a few cards of a long list.
    int rowOf(const Uuid& id) const;
    void insertCard(int row, RuleCardContent card);
    void removeCard(int row);
    // Moves the row at `from` so that it ends at `to`.
    void moveCard(int from, int to);
    // Tells the view only of the roles that changed: a card whose pills stay keeps their items.
    void replaceCard(int row, RuleCardContent card);

  private:
    // Turned into QML values only when the view asks, for the rows it shows.
    std::vector<RuleCardContent> cards_;
};

} // namespace nimbrel
