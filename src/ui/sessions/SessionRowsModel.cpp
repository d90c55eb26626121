#include "ui/sessions/SessionRowsModel.h"

#include <QSet>

namespace nimbrel {

namespace {
QString keyOf(const QVariant& row) {
    return row.toMap().value(QStringLiteral("key")).toString();
}
constexpr int kRowRole = Qt::UserRole + 1;
} // namespace

int SessionRowsModel::indexOfKey(const QString& key, int from) const {
    for (int i = from; i < rows_.size(); ++i)
        if (keyOf(rows_[i]) == key) return i;
    return -1;
}

void SessionRowsModel::setRows(const QVariantList& given) {
    const int before = count();
    // A key that repeats is told apart by its occurrence, so every row has a key of its own.
    QVariantList rows;
    QSet<QString> wanted;
    for (const QVariant& row : given) {
        QVariantMap map = row.toMap();
        QString key = keyOf(row);
        for (int n = 2; wanted.contains(key); ++n)
            key = keyOf(row) + QStringLiteral("#") + QString::number(n);
        map.insert(QStringLiteral("key"), key);
        wanted.insert(key);
        rows.append(map);
    }
    for (int i = count() - 1; i >= 0; --i) {
        if (wanted.contains(keyOf(rows_[i]))) continue;
        beginRemoveRows({}, i, i);
        rows_.removeAt(i);
        endRemoveRows();
    }
    for (int i = 0; i < rows.size(); ++i) {
        const int found = indexOfKey(keyOf(rows[i]), i);
        if (found < 0) {
            beginInsertRows({}, i, i);
            rows_.insert(i, rows[i]);
            endInsertRows();
            continue;
        }
        if (found != i) {
            beginMoveRows({}, found, found, {}, i);
            rows_.move(found, i);
            endMoveRows();
        }
        if (rows_[i] != rows[i]) {
            rows_[i] = rows[i];
            emit dataChanged(index(i), index(i), {kRowRole});
        }
    }
    if (count() != before) emit countChanged();
}

int SessionRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant SessionRowsModel::data(const QModelIndex& index, int role) const {
    if (role != kRowRole || !index.isValid() || index.row() >= count()) return {};
    return rows_[index.row()];
}

QHash<int, QByteArray> SessionRowsModel::roleNames() const {
    return {{kRowRole, "row"}};
}

} // namespace nimbrel
