#pragma once

#include <QAbstractListModel>
#include <QVariantList>

namespace nimbrel {

// A list of rows (maps with a "key") for QML repeaters. New rows are matched to the old ones
// by key, so a row that stays keeps its delegate (and its hover state), rows that come or go
// are inserted or removed, and moved rows are moved: the views animate what really changed.
// Delegates read their row as `row`.
class SessionRowsModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
  public:
    using QAbstractListModel::QAbstractListModel;

    int count() const { return static_cast<int>(rows_.size()); }
    const QVariantList& rows() const { return rows_; }
    void setRows(const QVariantList& given);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

  signals:
    void countChanged();

  private:
    int indexOfKey(const QString& key, int from) const;

    QVariantList rows_;
};

} // namespace nimbrel
