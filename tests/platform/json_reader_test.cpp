#include "platform/Json.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>

#include <limits>

namespace nimbrel::json {
namespace {

QString errorOf(const std::function<void()>& read) {
    try {
        read();
    } catch (const DecodeError& e) {
        return e.message();
    }
    return {};
}

const QJsonObject kDocument{
    {"outer", QJsonObject{{"inner", QJsonObject{{"n", 1}}},
                          {"items", QJsonArray{QJsonObject{{"n", 1}}, QJsonObject{{"n", "x"}}, 5}}}},
};

TEST(JsonReaderPaths, ErrorsNameTheFullPath) {
    const Reader root(kDocument, DateForm::ISO8601, QStringLiteral("[3]"));
    EXPECT_EQ(errorOf([&] { root.object("outer").object("inner").string("n"); }),
              QStringLiteral("[3].outer.inner.n: expected a string but found a number"));
    EXPECT_EQ(errorOf([&] { root.object("outer").object("inner").integer("missing"); }),
              QStringLiteral("[3].outer.inner.missing: missing member"));
    EXPECT_EQ(
        errorOf([&] { root.object("outer").list<qint64>("items", [](const Reader& r) { return r.integer("n"); }); }),
        QStringLiteral("[3].outer.items[1].n: expected an integer but found a string"));
    EXPECT_EQ(errorOf([&] { root.object("outer").list<int>("items", [](const Reader&) { return 0; }); }),
              QStringLiteral("[3].outer.items[2]: expected an object but found a number"));
}

TEST(JsonReaderPaths, NestedReaderOutlivesItsParent) {
    // The child keeps what it needs of the parent's path, so a temporary parent is fine.
    const Reader inner = Reader(kDocument, DateForm::ISO8601).object("outer").object("inner");
    EXPECT_EQ(inner.path(), QStringLiteral("outer.inner"));
    EXPECT_EQ(errorOf([&] { inner.boolean("n"); }),
              QStringLiteral("outer.inner.n: expected a boolean but found a number"));
    const auto optional = Reader(kDocument, DateForm::ISO8601).optionalObject("outer");
    ASSERT_TRUE(optional.has_value());
    EXPECT_EQ(optional->memberPath("x"), QStringLiteral("outer.x"));
}

TEST(JsonReaderPaths, DeepNestingAndTopLevelElementsKeepTheirWholePath) {
    // Twelve levels of lists, deeper than the reader keeps its path unbuilt; the second
    // element of each level leads down, the first is a valid leaf.
    QJsonObject deep{{"n", "x"}};
    for (int level = 12; level >= 1; --level)
        deep = QJsonObject{{QStringLiteral("l%1").arg(level), QJsonArray{QJsonObject{{"n", 1}}, deep}}};
    const QJsonArray top{QJsonObject{}, deep};

    const std::function<qint64(const Reader&, int)> descend = [&](const Reader& r, int level) -> qint64 {
        if (r.has("n")) return r.integer("n");
        const auto values = r.list<qint64>(QStringLiteral("l%1").arg(level),
                                           [&](const Reader& element) { return descend(element, level + 1); });
        return values.front();
    };
    QString expected = QStringLiteral("[1]");
    for (int level = 1; level <= 12; ++level)
        expected += QStringLiteral(".l%1[1]").arg(level);
    EXPECT_EQ(errorOf([&] { descend(Reader::fromArrayElement(top[1], DateForm::ISO8601, 1), 1); }),
              expected + QStringLiteral(".n: expected an integer but found a string"));

    EXPECT_EQ(Reader::fromArrayElement(top[1], DateForm::ISO8601, 1).path(), QStringLiteral("[1]"));
    EXPECT_EQ(errorOf([&] { Reader::fromArrayElement(QJsonValue(7), DateForm::ISO8601, 4); }),
              QStringLiteral("[4]: expected an object but found a number"));
}

TEST(JsonReaderCases, CasePayloadReadsTheOneCaseAndNamesItsPath) {
    const std::vector<QString> cases{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    const Reader good(QJsonObject{{"b", QJsonObject{{"_0", QJsonObject{{"n", 2}}}}}, {"other", 1}}, DateForm::ISO8601,
                      QStringLiteral("x"));
    const auto [name, payload] = good.casePayload(cases);
    EXPECT_EQ(name, QStringLiteral("b"));
    EXPECT_EQ(payload.integer("n"), 2);
    EXPECT_EQ(payload.path(), QStringLiteral("x.b._0"));

    const auto errorFor = [&](const QJsonObject& object) {
        return errorOf([&] { Reader(object, DateForm::ISO8601, QStringLiteral("x")).casePayload(cases); });
    };
    EXPECT_EQ(
        errorFor(QJsonObject{{"a", QJsonObject{{"_0", QJsonObject{}}}}, {"c", QJsonObject{{"_0", QJsonObject{}}}}}),
        QStringLiteral("x: ") + kInvalidNumberOfKeys);
    EXPECT_EQ(errorFor(QJsonObject{{"other", 1}}), QStringLiteral("x: ") + kInvalidNumberOfKeys);
    EXPECT_EQ(errorFor(QJsonObject{{"c", 3}}), QStringLiteral("x.c: expected an object but found a number"));
    EXPECT_EQ(errorFor(QJsonObject{{"c", QJsonObject{}}}), QStringLiteral("x.c: missing member _0"));
    EXPECT_EQ(errorFor(QJsonObject{{"c", QJsonObject{{"_0", QJsonValue()}}}}),
              QStringLiteral("x.c._0: expected a value but found null"));
    EXPECT_EQ(errorFor(QJsonObject{{"c", QJsonObject{{"_0", "t"}}}}),
              QStringLiteral("x.c._0: expected an object but found a string"));
}

TEST(JsonReaderIntegers, WholeSixtyFourBitRangeAndNothingBeyond) {
    const QJsonDocument document = parse(R"({"max": 9223372036854775807, "min": -9223372036854775808,
        "over": 9223372036854775808, "huge": 1e300, "half": 2.5, "whole": 3.0})");
    const Reader r(document.object(), DateForm::ISO8601);
    EXPECT_EQ(r.integer("max"), std::numeric_limits<qint64>::max());
    EXPECT_EQ(r.integer("min"), std::numeric_limits<qint64>::min());
    EXPECT_EQ(r.integer("whole"), 3);
    EXPECT_TRUE(errorOf([&] { r.integer("over"); }).endsWith("number does not fit in a 64-bit integer"));
    EXPECT_TRUE(errorOf([&] { r.integer("huge"); }).endsWith("number does not fit in a 64-bit integer"));
    EXPECT_TRUE(errorOf([&] { r.integer("half"); }).endsWith("expected an integer but found a number"));
    EXPECT_EQ(r.optionalInteger("absent"), std::nullopt);
}

} // namespace
} // namespace nimbrel::json
