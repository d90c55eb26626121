#include "ui/common/KeyedListModel.h"

#include <set>

namespace nimbrel {

void KeyedRowsModel::applyKeys(const std::vector<QString>& before, const std::vector<QString>& after,
                               const Storage& storage, int role) {
    const int countBefore = count();
    const std::set<QString> afterSet(after.begin(), after.end());
    std::vector<QString> kept = before;
    // Rows that left go first, from the end so the others keep their numbers.
    for (int row = int(kept.size()) - 1; row >= 0; --row) {
        if (afterSet.count(kept[size_t(row)])) continue;
        beginRemoveRows({}, row, row);
        storage.erase(row);
        kept.erase(kept.begin() + row);
        endRemoveRows();
    }
    const std::set<QString> keptSet(kept.begin(), kept.end());
    std::vector<QString> afterOfKept;
    for (const QString& key : after)
        if (keptSet.count(key)) afterOfKept.push_back(key);
    if (kept != afterOfKept || keptSet.size() != kept.size()) {
        beginResetModel();
        storage.assignAll();
        endResetModel();
    } else {
        for (size_t row = 0; row < after.size(); ++row) {
            if (row < kept.size() && kept[row] == after[row]) continue;
            beginInsertRows({}, int(row), int(row));
            storage.insert(int(row), row);
            kept.insert(kept.begin() + qsizetype(row), after[row]);
            endInsertRows();
        }
        storage.assignAll();
        if (!after.empty()) emit dataChanged(index(0), index(int(after.size()) - 1), {role});
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
        before.push_back(row.value(QStringLiteral("id")).toString());
    for (const QVariantMap& row : rows)
        after.push_back(row.value(QStringLiteral("id")).toString());
    applyKeys(before, after,
              {[this](int row) { rows_.erase(rows_.begin() + row); },
               [this, &rows](int row, size_t next) { rows_.insert(rows_.begin() + row, rows[next]); },
               [this, &rows] { rows_ = rows; }},
              RowRole);
}

} // namespace nimbrel
