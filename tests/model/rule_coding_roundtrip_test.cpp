#include "model/RuleCoding.h"
#include "model/RuleSamples.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <limits>

namespace nimbrel {
namespace {

using json::DateForm;

class RuleRoundTrip : public ::testing::TestWithParam<DateForm> {};

TEST_P(RuleRoundTrip, EveryActionKindSurvivesEncodeAndDecode) {
    for (const NimbrelRuleAction& action : samples::everyAction()) {
        SCOPED_TRACE(action.caseName().toStdString());
        const NimbrelRule original = samples::rule({action});
        const auto decoded = decodeRule(encodeRule(original, GetParam()), GetParam());
        ASSERT_TRUE(decoded) << decoded.error.toStdString();
        EXPECT_EQ(*decoded.value, original);
        EXPECT_EQ(decoded.value->actions.front().id(), action.id());
    }
}

TEST_P(RuleRoundTrip, ListKeepsOrderAndEveryField) {
    NimbrelRule second = samples::rule({samples::openApp()});
    second.pausedUntil.reset();
    second.availability = NimbrelRuleAvailability::defaultAvailability();
    second.trigger.app = samples::terminal();
    const std::vector<NimbrelRule> rules{samples::rule(), second};

    const auto decoded = decodeRules(encodeRules(rules, GetParam()), GetParam());
    ASSERT_TRUE(decoded) << decoded.error.toStdString();
    EXPECT_EQ(*decoded.value, rules);
}

TEST_P(RuleRoundTrip, EmptyListIsAnEmptyArray) {
    EXPECT_EQ(encodeRules({}, GetParam()), QByteArray("[]"));
    const auto decoded = decodeRules("[]", GetParam());
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(decoded.value->empty());
}

INSTANTIATE_TEST_SUITE_P(BothDateForms, RuleRoundTrip, ::testing::Values(DateForm::SecondsSince2001, DateForm::ISO8601),
                         [](const auto& info) {
                             return info.param == DateForm::ISO8601 ? std::string("ISO8601")
                                                                    : std::string("SecondsSince2001");
                         });

TEST(RuleWriting, DatesTakeTheChosenForm) {
    NimbrelRule rule = samples::rule({});
    rule.createdAt = Date{1.5};
    const QJsonObject seconds = toJson(rule, DateForm::SecondsSince2001);
    EXPECT_EQ(seconds.value("createdAt").toDouble(), 1.5);
    EXPECT_EQ(seconds.value("pausedUntil").toDouble(), 786'100'000.0);

    const QJsonObject iso = toJson(rule, DateForm::ISO8601);
    EXPECT_EQ(iso.value("createdAt").toString(), QStringLiteral("2001-01-01T00:00:01Z"));
    EXPECT_TRUE(iso.value("updatedAt").isString());
}

TEST(RuleWriting, AbsentOptionalsAreLeftOutNotNull) {
    NimbrelRule rule = samples::rule({samples::openApp()});
    rule.pausedUntil.reset();
    rule.availability = NimbrelRuleAvailability::defaultAvailability();
    rule.trigger.app = {QStringLiteral("Notes"), std::nullopt, std::nullopt};
    const QJsonObject object = toJson(rule, DateForm::ISO8601);

    EXPECT_FALSE(object.contains("pausedUntil"));
    const QJsonObject availability = object.value("availability").toObject();
    EXPECT_FALSE(availability.contains("startTime"));
    EXPECT_FALSE(availability.contains("endTime"));
    const QJsonObject app = object.value("trigger").toObject().value("app").toObject();
    EXPECT_EQ(app.keys(), QStringList{"displayName"});
    const QJsonObject payload =
        object.value("actions").toArray().at(0).toObject().value("openApp").toObject().value("_0").toObject();
    EXPECT_FALSE(payload.contains("displayTarget"));
}

TEST(RuleWriting, MembersAreTheFieldNamesAndUuidsUpperCase) {
    const NimbrelRule rule = samples::rule({samples::arrangeWindows()});
    const QJsonObject object = toJson(rule, DateForm::SecondsSince2001);
    QStringList keys = object.keys();
    EXPECT_EQ(keys, (QStringList{"actions", "availability", "createdAt", "id", "isEnabled", "isPinned", "name",
                                 "pausedUntil", "trigger", "updatedAt"}));
    const QString id = object.value("id").toString();
    EXPECT_EQ(id.size(), 36);
    EXPECT_EQ(id, id.toUpper());
    EXPECT_EQ(id, rule.id.toString());

    const QJsonObject action = object.value("actions").toArray().at(0).toObject();
    EXPECT_EQ(action.keys(), QStringList{"arrangeWindows"});
    const QJsonObject payload = action.value("arrangeWindows").toObject().value("_0").toObject();
    EXPECT_EQ(payload.keys(), (QStringList{"id", "layout", "slots"}));
    EXPECT_EQ(payload.value("layout").toString(), QStringLiteral("dividedInThree"));
    const QJsonObject target = payload.value("slots").toArray().at(1).toObject().value("target").toObject();
    EXPECT_EQ(target.value("folder").toObject().value("_0").toObject().value("path").toString(),
              QStringLiteral("/Users/me/Projects"));
}

TEST(RuleWriting, WeekdaySetIsWrittenOnceEachMondayFirst) {
    const QJsonObject object = toJson(samples::rule({}).availability, DateForm::ISO8601);
    EXPECT_EQ(object.value("activeDays").toArray(), (QJsonArray{"monday", "friday"}));
    EXPECT_EQ(object.value("mode").toString(), QStringLiteral("scheduled"));
}

TEST(RuleReading, UnknownMembersAndNullOptionalsAreAccepted) {
    QJsonObject object = toJson(samples::rule({samples::openFolder()}), DateForm::ISO8601);
    object.insert("pausedUntil", QJsonValue::Null);
    object.insert("futureField", QJsonObject{{"nested", 1}});
    QJsonObject trigger = object.value("trigger").toObject();
    QJsonObject app = trigger.value("app").toObject();
    app.insert("bundleIdentifier", QJsonValue::Null);
    app.insert("path", QJsonValue::Null);
    trigger.insert("app", app);
    object.insert("trigger", trigger);

    const auto decoded = decodeRule(QJsonDocument(object).toJson(), DateForm::ISO8601);
    ASSERT_TRUE(decoded) << decoded.error.toStdString();
    EXPECT_FALSE(decoded.value->pausedUntil.has_value());
    EXPECT_EQ(decoded.value->trigger.app, (NimbrelRuleAppTarget{QStringLiteral("Safari"), std::nullopt, std::nullopt}));
}

TEST(RuleReading, OutOfRangeNumbersAreKeptAsStored) {
    QJsonObject object = toJson(samples::rule({samples::openFolder()}), DateForm::SecondsSince2001);
    QJsonObject trigger = object.value("trigger").toObject();
    trigger.insert("clickCount", qint64(-7));
    object.insert("trigger", trigger);
    QJsonObject availability = object.value("availability").toObject();
    availability.insert("startTime", QJsonObject{{"hour", qint64(9'000'000'000'000'000'000)}, {"minute", -61}});
    object.insert("availability", availability);

    const auto decoded = decodeRule(QJsonDocument(object).toJson(), DateForm::SecondsSince2001);
    ASSERT_TRUE(decoded) << decoded.error.toStdString();
    EXPECT_EQ(decoded.value->trigger.clickCount, -7);
    EXPECT_EQ(decoded.value->availability.startTime, (NimbrelClockTime{9'000'000'000'000'000'000, -61}));
    // And they survive a second round.
    EXPECT_EQ(decodeRule(encodeRule(*decoded.value, DateForm::SecondsSince2001), DateForm::SecondsSince2001).value,
              decoded.value);
}

TEST(RuleReading, WholeSixtyFourBitRangeIsAccepted) {
    const QByteArray text = encodeRule(samples::rule({}), DateForm::ISO8601)
                                .replace("\"clickCount\":2", "\"clickCount\":9223372036854775807")
                                .replace("\"hour\":22", "\"hour\":-9223372036854775808");
    const auto decoded = decodeRule(text, DateForm::ISO8601);
    ASSERT_TRUE(decoded) << decoded.error.toStdString();
    EXPECT_EQ(decoded.value->trigger.clickCount, std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(decoded.value->availability.startTime->hour, std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(decodeRule(encodeRule(*decoded.value, DateForm::ISO8601), DateForm::ISO8601).value, decoded.value);
}

TEST(RuleReading, FractionalSecondsSurviveTheNumericForm) {
    NimbrelRule rule = samples::rule({});
    rule.createdAt = Date{786'000'000.123456};
    const auto decoded = decodeRule(encodeRule(rule, DateForm::SecondsSince2001), DateForm::SecondsSince2001);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded.value->createdAt, rule.createdAt);
}

TEST(CapabilitiesCoding, RoundTripsWithItsOwnKeys) {
    const NimbrelRuleAppCapabilities caps(samples::safari());
    const QJsonObject object = toJson(caps, DateForm::ISO8601);
    EXPECT_EQ(object.keys(), (QStringList{"app", "capabilities"}));
    EXPECT_EQ(fromJson<NimbrelRuleAppCapabilities>(json::Reader(object, DateForm::ISO8601)), caps);
}

} // namespace
} // namespace nimbrel
