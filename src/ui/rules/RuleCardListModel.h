#pragma once

#include "ui/rules/RuleCards.h"

#include <QAbstractListModel>

#include <vector>

namespace nimbrel {

// The cards as a list model, so that the view animates a card leaving or arriving: a new
// list of cards is applied as removals, insertions and changes where the order allows,
// and as a reset otherwise.
class RuleCardListModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
  public:
    enum Role { CardRole = Qt::UserRole + 1 };
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(cards_.size()); }
    const std::vector<RuleCardContent>& cards() const { return cards_; }
    void setCards(std::vector<RuleCardContent> cards);

  signals:
    void countChanged();

  private:
    // Turned into QML values only when the view asks, for the rows it shows.
    std::vector<RuleCardContent> cards_;
};

} // namespace nimbrel
