#include "platform/Calendar.h"
#include "platform/TextServices.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

int sign(int v) {
    return (v > 0) - (v < 0);
}

// Sorting by keys must give the order of the pairwise comparison, equal names included.
TEST(SortKeys, OrderLikeTheLocalizedCaseInsensitiveComparison) {
    setCurrentLocaleName("en_US");
    const QStringList names{"alpha", "Alpha", "ALPHA", "beta", "Éclair", "eclair", "zeta", "Zoë", "zoe", "", "10", "9"};
    for (const QString& a : names)
        for (const QString& b : names) {
            const QByteArray ka = localizedCaseInsensitiveSortKey(a), kb = localizedCaseInsensitiveSortKey(b);
            EXPECT_EQ(sign(localizedCaseInsensitiveCompare(a, b)), sign(ka.compare(kb)))
                << a.toStdString() << " / " << b.toStdString();
        }
    std::vector<QString> sorted{"b", "B", "a", "A"};
    stableSortByKey(sorted, [](const QString& s) { return localizedCaseInsensitiveSortKey(s); });
    EXPECT_EQ(sorted, (std::vector<QString>{"a", "A", "b", "B"}));
    setCurrentLocaleName({});
}

} // namespace
} // namespace nimbrel
