#pragma once

#include <QAbstractListModel>
#include <QVariantMap>

#include <functional>
#include <vector>

namespace nimbrel {

// A list model whose rows are known by a key. A new list is applied as removals, insertions
// and changes where the order allows, and as a reset otherwise, so that the view keeps the
// delegates of rows that stay (with their focus and motion) and animates those that come and go.
class KeyedRowsModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
  public:
    using QAbstractListModel::QAbstractListModel;
    virtual int count() const = 0;
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : count(); }

  signals:
    void countChanged();

  protected:
    // How a subclass changes its rows in between the notifications.
    struct Storage {
        std::function<void(int row)> erase;
        std::function<void(int row, size_t next)> insert; // the new list's row `next`, at `row`
        std::function<void()> assignAll;                  // takes the whole new list
    };
    void applyKeys(const std::vector<QString>& before, const std::vector<QString>& after, const Storage& storage,
                   int role);
};

// Keyed rows of QML values: each row a map with an "id", reached as the role "row".
class KeyedListModel : public KeyedRowsModel {
    Q_OBJECT
  public:
    enum Role { RowRole = Qt::UserRole + 1 };
    using KeyedRowsModel::KeyedRowsModel;

    int count() const override { return int(rows_.size()); }
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
    const std::vector<QVariantMap>& rows() const { return rows_; }
    void setRows(std::vector<QVariantMap> rows);

  private:
    std::vector<QVariantMap> rows_;
};

} // namespace nimbrel
