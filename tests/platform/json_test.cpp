#include "platform/Json.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace nimbrel;
using namespace nimbrel::json;

namespace {

enum class Mode { Minimize, Restore, Cycle };

struct Payload {
    QString title;
    std::optional<qint64> count;
};

} // namespace

template <> struct nimbrel::json::EnumNames<Mode> {
    static constexpr std::array names{"minimize", "restore", "cycle"};
};

namespace {

Reader readerOf(const char* text, DateForm form = DateForm::ISO8601) {
    return Reader(parse(QByteArray(text)).object(), form, "root");
}

// Runs `read` and returns the decode error text, or "<no error>".
template <typename F> QString errorOf(F read) {
    try {
        read();
    } catch (const DecodeError& e) {
        return e.message();
    }
    return "<no error>";
}

} // namespace

TEST(JsonReader, RequiredAndOptionalMembers) {
    const Reader r = readerOf(R"({"name": "Safari", "count": 3, "on": true, "ratio": 0.5,
                                  "missingValue": null, "items": ["a", "b"], "extra": {"x": 1}})");
    EXPECT_EQ(r.string("name"), "Safari");
    EXPECT_EQ(r.integer("count"), 3);
    EXPECT_EQ(r.boolean("on"), true);
    EXPECT_EQ(r.number("ratio"), 0.5);
    EXPECT_EQ(r.number("count"), 3.0);
    EXPECT_EQ(r.stringList("items"), (QStringList{"a", "b"}));
    EXPECT_EQ(r.object("extra").integer("x"), 1);

    // Absent and null read as absent for optional members.
    EXPECT_FALSE(r.optionalString("absent"));
    EXPECT_FALSE(r.optionalString("missingValue"));
    EXPECT_FALSE(r.optionalInteger("missingValue"));
    EXPECT_FALSE(r.optionalObject("absent"));
    EXPECT_EQ(r.optionalString("name"), QString("Safari"));
    EXPECT_FALSE(r.has("missingValue"));
    EXPECT_TRUE(r.has("name"));
}

TEST(JsonReader, EachFailureSaysWhatAndWhere) {
    const Reader r = readerOf(R"({"name": 5, "count": 1.5, "big": 1e300, "flag": "yes", "nothing": null,
                                  "list": ["a", 2], "inner": {"deep": {}}, "id": "not-a-uuid", "blob": "@@",
                                  "mode": "maximize", "when": "2026-12-07", "notObject": 3})");
    EXPECT_EQ(errorOf([&] { r.string("absent"); }), "root.absent: missing member");
    EXPECT_EQ(errorOf([&] { r.string("nothing"); }), "root.nothing: expected a value but found null");
    EXPECT_EQ(errorOf([&] { r.string("name"); }), "root.name: expected a string but found a number");
    EXPECT_EQ(errorOf([&] { r.integer("count"); }), "root.count: expected an integer but found a number");
    EXPECT_EQ(errorOf([&] { r.integer("big"); }), "root.big: number does not fit in a 64-bit integer");
    EXPECT_EQ(errorOf([&] { r.boolean("flag"); }), "root.flag: expected a boolean but found a string");
    EXPECT_EQ(errorOf([&] { r.stringList("list"); }), "root.list[1]: expected a string but found a number");
    EXPECT_EQ(errorOf([&] { r.object("inner").object("deep").string("x"); }), "root.inner.deep.x: missing member");
    EXPECT_EQ(errorOf([&] { r.object("notObject"); }), "root.notObject: expected an object but found a number");
    EXPECT_EQ(errorOf([&] { r.uuid("id"); }), "root.id: attempted to decode UUID from invalid UUID string.");
    EXPECT_EQ(errorOf([&] { r.data("blob"); }), "root.blob: encountered data is not valid Base64.");
    EXPECT_EQ(errorOf([&] { r.enumValue<Mode>("mode"); }),
              "root.mode: cannot initialize from invalid value \"maximize\"");
    EXPECT_EQ(errorOf([&] { r.date("when"); }), "root.when: expected date string to be ISO8601-formatted.");
    EXPECT_EQ(errorOf([&] { r.optionalString("name"); }), "root.name: expected a string but found a number");
    // An optional member that is present must still have the right type.
    EXPECT_EQ(errorOf([&] { r.optionalBoolean("flag"); }), "root.flag: expected a boolean but found a string");
}

TEST(JsonReader, ListsDecodeEachElementWithItsPath) {
    const Reader r = readerOf(R"({"rules": [{"title": "a"}, {"title": "b", "count": 2}, {"count": 3}]})");
    auto decode = [](const Reader& item) { return Payload{item.string("title"), item.optionalInteger("count")}; };
    EXPECT_EQ(errorOf([&] { r.list<Payload>("rules", decode); }), "root.rules[2].title: missing member");
    const Reader good = readerOf(R"({"rules": [{"title": "a"}, {"title": "b", "count": 2}]})");
    const auto items = good.list<Payload>("rules", decode);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].title, "b");
    EXPECT_EQ(items[1].count, 2);
    EXPECT_FALSE(items[0].count);
    EXPECT_EQ(errorOf([&] { readerOf(R"({"rules": [1]})").list<Payload>("rules", decode); }),
              "root.rules[0]: expected an object but found a number");
}

TEST(JsonReader, EnumsAreTheirCaseNames) {
    const Reader r = readerOf(R"({"mode": "cycle", "modes": ["restore", "restore", "minimize"], "bad": ["x"]})");
    EXPECT_EQ(r.enumValue<Mode>("mode"), Mode::Cycle);
    EXPECT_EQ(r.enumList<Mode>("modes"), (std::vector<Mode>{Mode::Restore, Mode::Restore, Mode::Minimize}));
    EXPECT_EQ(errorOf([&] { r.enumList<Mode>("bad"); }), "root.bad: cannot initialize from invalid value \"x\"");
    EXPECT_FALSE(r.optionalEnum<Mode>("absent"));
    EXPECT_EQ(enumName(Mode::Restore), "restore");
    EXPECT_EQ(enumFromName<Mode>("Restore"), std::nullopt); // exact names only
    EXPECT_EQ(enumCount<Mode>(), 3u);
}

TEST(JsonReader, EnumsWithPayloadNeedExactlyOneCase) {
    const std::vector<QString> cases{"open", "close"};
    const auto one = readerOf(R"({"open": {"_0": {"title": "x"}}, "unrelated": 1})").singleCase(cases);
    EXPECT_EQ(one.first, "open");
    EXPECT_EQ(one.second.toObject().value("title").toString(), "x");

    const QString expected = "root: " + kInvalidNumberOfKeys;
    EXPECT_EQ(errorOf([&] { readerOf(R"({})").singleCase(cases); }), expected);
    EXPECT_EQ(errorOf([&] { readerOf(R"({"other": {"_0": {}}})").singleCase(cases); }), expected);
    EXPECT_EQ(errorOf([&] { readerOf(R"({"open": {"_0": {}}, "close": {"_0": {}}})").singleCase(cases); }), expected);
    EXPECT_EQ(errorOf([&] { readerOf(R"({"open": {}})").singleCase(cases); }), "root.open: missing member _0");
    EXPECT_EQ(errorOf([&] { readerOf(R"({"open": 1})").singleCase(cases); }),
              "root.open: expected an object but found a number");
    EXPECT_EQ(kInvalidNumberOfKeys, "Invalid number of keys found, expected one.");
}

TEST(JsonDates, BothFormsRoundTrip) {
    const Date when = *parseISO8601("2026-12-07T08:00:00Z");
    for (DateForm form : {DateForm::SecondsSince2001, DateForm::ISO8601}) {
        const QJsonObject written = Writer(form).set("when", when).object();
        EXPECT_EQ(Reader(written, form).date("when"), when);
    }
    EXPECT_EQ(Writer(DateForm::ISO8601).set("d", when).object().value("d").toString(), "2026-12-07T08:00:00Z");
    EXPECT_EQ(Writer(DateForm::SecondsSince2001).set("d", Date{12.5}).object().value("d").toDouble(), 12.5);

    // Each form refuses the other.
    EXPECT_EQ(errorOf([] { readerOf(R"({"d": 12.5})", DateForm::ISO8601).date("d"); }),
              "root.d: expected a date string but found a number");
    EXPECT_EQ(errorOf([] { readerOf(R"({"d": "2026-12-07T08:00:00Z"})", DateForm::SecondsSince2001).date("d"); }),
              "root.d: expected a date as a number but found a string");
}

TEST(JsonWriter, OptionalAbsentMembersAreLeftOutAndOutputIsSorted) {
    Writer w(DateForm::ISO8601);
    w.set("zeta", 1).set("alpha", QString("a")).set("mode", Mode::Restore);
    w.setOptional("missing", std::optional<QString>{});
    w.setOptional("present", std::optional<qint64>{4});
    w.set("data", QByteArray("hi"));
    w.set("id", *Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f"));
    const QJsonObject o = w.object();
    EXPECT_FALSE(o.contains("missing"));
    EXPECT_EQ(
        serialize(o),
        R"({"alpha":"a","data":"aGk=","id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","mode":"restore","present":4,"zeta":1})");
    EXPECT_EQ(serialize(caseObject("open", QJsonObject{{"b", 1}, {"a", 2}})), R"({"open":{"_0":{"a":2,"b":1}}})");
    EXPECT_EQ(serialize(QJsonValue("text")), "\"text\"");
    EXPECT_EQ(serialize(QJsonValue(2.5)), "2.5");
}

TEST(JsonParse, RejectsWhatIsNotJson) {
    EXPECT_TRUE(errorOf([] { parse("{\"a\": "); }).startsWith("the data is not valid JSON"));
    EXPECT_TRUE(errorOf([] { parse(""); }).startsWith("the data is not valid JSON"));
    EXPECT_EQ(errorOf([] { parse("[1]"); }), "<no error>");
    const auto decoded = tryDecode<int>([] { return int(readerOf(R"({"n": 2})").integer("n")); });
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded.value, 2);
    const auto failed = tryDecode<int>([] { return int(readerOf(R"({})").integer("n")); });
    EXPECT_FALSE(failed);
    EXPECT_EQ(failed.error, "root.n: missing member");
}
