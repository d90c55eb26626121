#pragma once

#include <QAbstractListModel>
#include <QSet>
#include <QVariantList>
#include <QVariantMap>

#include <algorithm>
#include <functional>
#include <vector>

namespace nimbrel {

// A list model whose rows are known by a key. A new list is matched to the old one by key:
// rows that left are removed, rows that came are inserted, rows that moved are moved, and only
// rows whose content changed are reported changed. The view keeps the delegates of rows that
// stay (with their focus, hover and motion) and animates what really changed.
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
    // How a subclass changes its rows in between the notifications. The new list is taken in
    // order, so its row `row` is the one that goes to `row`; a move brings a later row up. A
    // changed row is reported for `roles` (none: for all of them).
    struct Storage {
        std::function<void(int row)> erase;
        std::function<void(int row)> insert;
        std::function<void(int from, int to)> move;
        std::function<bool(int row)> update; // false when the row was already equal
    };
    void applyKeys(const std::vector<QString>& before, const std::vector<QString>& after, const Storage& storage,
                   const QList<int>& roles);
    // The storage of rows kept in a vector, taking `next`'s rows as they are needed.
    template <class Row> static Storage vectorStorage(std::vector<Row>& rows, std::vector<Row>& next) {
        return {
            [&rows](int row) { rows.erase(rows.begin() + row); },
            [&rows, &next](int row) { rows.insert(rows.begin() + row, std::move(next[size_t(row)])); },
            [&rows](int from, int to) { std::rotate(rows.begin() + to, rows.begin() + from, rows.begin() + from + 1); },
            [&rows, &next](int row) {
                const bool changed = !(rows[size_t(row)] == next[size_t(row)]);
                // An equal row is taken too: a caller that hands the same (shared) rows again
                // is then compared at once, not field by field.
                rows[size_t(row)] = std::move(next[size_t(row)]);
                return changed;
            }};
    }

    // A key that repeats is told apart by its occurrence ("k", "k#2", ...), so every row has a
    // key of its own. `all`, when given, gets the keys returned.
    static std::vector<QString> uniqueKeys(const std::vector<QString>& keys, QSet<QString>* all = nullptr);
};

// Keyed rows of QML values: each row a map keyed by its `keyName` entry, reached as the role
// "row". A repeated key is made unique in the row itself, so a delegate that hands its row's
// key back names that one row.
class KeyedListModel : public KeyedRowsModel {
    Q_OBJECT
  public:
    enum Role { RowRole = Qt::UserRole + 1 };
    explicit KeyedListModel(QString keyName = QStringLiteral("id"), QObject* parent = nullptr)
        : KeyedRowsModel(parent), keyName_(std::move(keyName)) {}

    int count() const override { return int(rows_.size()); }
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
    const std::vector<QVariantMap>& rows() const { return rows_; }
    void setRows(std::vector<QVariantMap> rows);
    void setRows(const QVariantList& rows);

  private:
    QString keyOf(const QVariantMap& row) const { return row.value(keyName_).toString(); }

    QString keyName_;
    std::vector<QVariantMap> rows_;
};

} // namespace nimbrel
