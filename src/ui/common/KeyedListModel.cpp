#include "ui/common/KeyedListModel.h"

namespace nimbrel {

std::vector<QString> KeyedRowsModel::uniqueKeys(const std::vector<QString>& keys, QSet<QString>* all) {
    std::vector<QString> unique;
    unique.reserve(keys.size());
    QSet<QString> local;
    QSet<QString>& taken = all ? *all : local;
    taken.reserve(qsizetype(keys.size()));
    for (const QString& key : keys) {
        QString own = key;
        for (int n = 2; taken.contains(own); ++n)
            own = key + QStringLiteral("#") + QString::number(n);
        taken.insert(own);
        unique.push_back(std::move(own));
    }
    return unique;
}

void KeyedRowsModel::applyKeys(const std::vector<QString>& before, const std::vector<QString>& after,
                               const Storage& storage, const QList<int>& roles) {
    const int countBefore = count();
    std::vector<QString> current = uniqueKeys(before);
    QSet<QString> wantedSet;
    const std::vector<QString> wanted = uniqueKeys(after, &wantedSet);
    // Rows that left go first, from the end so the others keep their numbers.
    for (int row = int(current.size()) - 1; row >= 0; --row) {
        if (wantedSet.contains(current[size_t(row)])) continue;
        beginRemoveRows({}, row, row);
        storage.erase(row);
        current.erase(current.begin() + row);
        endRemoveRows();
    }
    // Then each place in turn gets its row: a new one inserted, or an old one moved up from
    // further down; rows before this place are already final.
    for (int row = 0; row < int(wanted.size()); ++row) {
        const auto found = std::find(current.begin() + row, current.end(), wanted[size_t(row)]);
        if (found == current.end()) {
            beginInsertRows({}, row, row);
            storage.insert(row);
            current.insert(current.begin() + row, wanted[size_t(row)]);
            endInsertRows();
            continue;
        }
        const int from = int(found - current.begin());
        if (from != row) {
            beginMoveRows({}, from, from, {}, row);
            storage.move(from, row);
            std::rotate(current.begin() + row, found, found + 1);
            endMoveRows();
        }
        if (storage.update(row)) emit dataChanged(index(row), index(row), roles);
    }
    if (count() != countBefore) emit countChanged();
}

QVariant KeyedListModel::data(const QModelIndex& index, int role) const {
    if (role != RowRole || !index.isValid() || index.row() >= count()) return {};
    return rows_[size_t(index.row())];
}

QHash<int, QByteArray> KeyedListModel::roleNames() const {
    return {{RowRole, "row"}};
}

void KeyedListModel::setRows(std::vector<QVariantMap> rows) {
    std::vector<QString> before, after;
    for (const QVariantMap& row : rows_)
        before.push_back(keyOf(row));
    for (const QVariantMap& row : rows)
        after.push_back(keyOf(row));
    after = uniqueKeys(after);
    for (size_t i = 0; i < rows.size(); ++i)
        if (keyOf(rows[i]) != after[i]) rows[i].insert(keyName_, after[i]);
    applyKeys(before, after, vectorStorage(rows_, rows), {RowRole});
}

void KeyedListModel::setRows(const QVariantList& rows) {
    std::vector<QVariantMap> maps;
    maps.reserve(size_t(rows.size()));
    for (const QVariant& row : rows)
        maps.push_back(row.toMap());
    setRows(std::move(maps));
}

} // namespace nimbrel
