#include "ui/common/KeyedListModel.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include <algorithm>

namespace nimbrel {
namespace {

// "a:1" is the row with key "a" and value "1".
std::vector<QVariantMap> rowsOf(const QStringList& texts) {
    std::vector<QVariantMap> rows;
    for (const QString& text : texts)
        rows.push_back({{"key", text.section(':', 0, 0)}, {"value", text.section(':', 1)}});
    return rows;
}

QStringList textsOf(const std::vector<QVariantMap>& rows) {
    QStringList texts;
    for (const QVariantMap& row : rows)
        texts << row.value("key").toString() + ":" + row.value("value").toString();
    return texts;
}

TEST(KeyedListModel, AppliesANewListAsTheRemovalsInsertionsMovesAndChangesItNeeds) {
    const struct {
        QStringList before, after;
        QStringList shown; // the rows afterwards, with repeated keys made unique
        int removed, inserted, moved, changed;
    } cases[] = {
        {{}, {"a:1", "b:1"}, {"a:1", "b:1"}, 0, 2, 0, 0},
        {{"a:1", "c:1"}, {"a:1", "b:1", "c:1"}, {"a:1", "b:1", "c:1"}, 0, 1, 0, 0},
        {{"a:1", "b:1", "c:1"}, {"a:1", "c:1"}, {"a:1", "c:1"}, 1, 0, 0, 0},
        {{"a:1", "b:1", "c:1"}, {"c:1", "a:1", "b:1"}, {"c:1", "a:1", "b:1"}, 0, 0, 1, 0},
        {{"a:1", "b:1", "c:1"}, {"c:1", "b:1", "a:1"}, {"c:1", "b:1", "a:1"}, 0, 0, 2, 0},
        {{"a:1", "b:1", "c:1"}, {"a:1", "b:2", "c:1"}, {"a:1", "b:2", "c:1"}, 0, 0, 0, 1},
        {{"a:1", "b:1", "c:1"}, {"c:2", "d:1", "a:1"}, {"c:2", "d:1", "a:1"}, 1, 1, 1, 1},
        {{"a:1", "a:2"}, {"a:1", "a:3"}, {"a:1", "a#2:3"}, 0, 0, 0, 1},
        {{"a:1"}, {"a:1", "a:2", "a:3"}, {"a:1", "a#2:2", "a#3:3"}, 0, 2, 0, 0},
        {{"a:1", "a:2", "b:1"}, {"b:1", "a:1"}, {"b:1", "a:1"}, 1, 0, 1, 0},
        {{"a:1", "b:1"}, {}, {}, 2, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.before.join(' ') + " -> " + c.after.join(' ')).toStdString());
        KeyedListModel model(QStringLiteral("key"));
        model.setRows(rowsOf(c.before));
        const QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

        // A copy of the view's rows, kept up to date by the signals alone.
        std::vector<QVariantMap> mirror = model.rows();
        int removed = 0, inserted = 0, moved = 0, changed = 0, resets = 0, counts = 0;
        const auto rowAt = [&](int row) { return model.data(model.index(row), KeyedListModel::RowRole).toMap(); };
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved, [&](const QModelIndex&, int first, int last) {
            mirror.erase(mirror.begin() + first, mirror.begin() + last + 1);
            removed += last - first + 1;
        });
        QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&](const QModelIndex&, int first, int last) {
            for (int row = first; row <= last; ++row)
                mirror.insert(mirror.begin() + row, rowAt(row));
            inserted += last - first + 1;
        });
        QObject::connect(&model, &QAbstractItemModel::rowsMoved,
                         [&](const QModelIndex&, int first, int last, const QModelIndex&, int to) {
                             ASSERT_EQ(first, last);
                             ASSERT_LT(to, first); // rows are only ever brought up
                             std::rotate(mirror.begin() + to, mirror.begin() + first, mirror.begin() + first + 1);
                             ++moved;
                         });
        QObject::connect(&model, &QAbstractItemModel::dataChanged,
                         [&](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                             for (int row = topLeft.row(); row <= bottomRight.row(); ++row, ++changed)
                                 mirror[size_t(row)] = rowAt(row);
                         });
        QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++resets; });
        QObject::connect(&model, &KeyedRowsModel::countChanged, [&] { ++counts; });

        model.setRows(rowsOf(c.after));
        EXPECT_EQ(textsOf(model.rows()), c.shown);
        EXPECT_EQ(textsOf(mirror), c.shown);
        EXPECT_EQ(removed, c.removed);
        EXPECT_EQ(inserted, c.inserted);
        EXPECT_EQ(moved, c.moved);
        EXPECT_EQ(changed, c.changed);
        EXPECT_EQ(resets, 0);
        EXPECT_EQ(counts, c.before.size() == c.after.size() ? 0 : 1);
    }
}

} // namespace
} // namespace nimbrel
