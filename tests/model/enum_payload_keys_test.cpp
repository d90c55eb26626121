#include "model/RuleCoding.h"
#include "model/RuleSamples.h"

#include <gtest/gtest.h>

#include <QJsonObject>

namespace nimbrel {
namespace {

using json::DateForm;
using json::Reader;

QJsonObject appPayload() {
    return toJson(
        OpenAppRuleAction{.app = samples::safari(), .placement = NimbrelWindowPlacement::front, .displayTarget = {}},
        DateForm::ISO8601);
}

json::Decoded<NimbrelRuleAction> readAction(const QJsonObject& object) {
    return json::tryDecode<NimbrelRuleAction>(
        [&] { return fromJson<NimbrelRuleAction>(Reader(object, DateForm::ISO8601)); });
}

TEST(EnumPayloadKeys, OneCaseMemberAmongUnknownOnesIsRead) {
    const auto decoded = readAction(QJsonObject{{"openApp", QJsonObject{{"_0", appPayload()}, {"_1", 3}}},
                                                {"comment", "written by a newer version"}});
    ASSERT_TRUE(decoded) << decoded.error.toStdString();
    ASSERT_NE(decoded.value->as<OpenAppRuleAction>(), nullptr);
    EXPECT_EQ(decoded.value->as<OpenAppRuleAction>()->app, samples::safari());
}

TEST(EnumPayloadKeys, NoneOrSeveralCaseMembersFail) {
    for (const QJsonObject& object : {QJsonObject{}, QJsonObject{{"somethingElse", QJsonObject{{"_0", appPayload()}}}},
                                      QJsonObject{{"openApp", QJsonObject{{"_0", appPayload()}}},
                                                  {"openFolder", QJsonObject{{"_0", appPayload()}}}}}) {
        const auto decoded = readAction(object);
        EXPECT_FALSE(decoded.value.has_value());
        EXPECT_TRUE(decoded.error.endsWith(json::kInvalidNumberOfKeys)) << decoded.error.toStdString();
    }
}

TEST(EnumPayloadKeys, CaseNamesMatchWithCase) {
    const auto decoded = readAction(QJsonObject{{"OpenApp", QJsonObject{{"_0", appPayload()}}}});
    EXPECT_TRUE(decoded.error.endsWith(json::kInvalidNumberOfKeys)) << decoded.error.toStdString();
}

TEST(EnumPayloadKeys, PayloadMustSitUnderUnderscoreZero) {
    EXPECT_FALSE(readAction(QJsonObject{{"openApp", QJsonObject{{"_1", appPayload()}}}}));
    EXPECT_FALSE(readAction(QJsonObject{{"openApp", appPayload()}}));
    EXPECT_FALSE(readAction(QJsonObject{{"openApp", QJsonObject{{"_0", "text"}}}}));
    EXPECT_FALSE(readAction(QJsonObject{{"openApp", "text"}}));
    // The payload must be the case's own type.
    EXPECT_FALSE(readAction(QJsonObject{{"openFolder", QJsonObject{{"_0", appPayload()}}}}));
}

TEST(EnumPayloadKeys, LayoutTargetFollowsTheSameRules) {
    const QJsonObject app = toJson(samples::safari(), DateForm::ISO8601);
    const QJsonObject folder = toJson(NimbrelFolderTarget{"Docs", "~/Documents"}, DateForm::ISO8601);
    auto read = [](const QJsonObject& o) {
        return json::tryDecode<NimbrelLayoutTarget>(
            [&] { return fromJson<NimbrelLayoutTarget>(Reader(o, DateForm::ISO8601)); });
    };
    EXPECT_EQ(read(QJsonObject{{"folder", QJsonObject{{"_0", folder}}}, {"x", 1}}).value,
              NimbrelLayoutTarget::folder({"Docs", "~/Documents"}));
    EXPECT_EQ(read(QJsonObject{{"app", QJsonObject{{"_0", app}}}}).value, NimbrelLayoutTarget::app(samples::safari()));
    EXPECT_TRUE(read(QJsonObject{{"app", QJsonObject{{"_0", app}}}, {"folder", QJsonObject{{"_0", folder}}}})
                    .error.endsWith(json::kInvalidNumberOfKeys));
    // "openApp" is an action case, not a layout target case.
    EXPECT_TRUE(read(QJsonObject{{"openApp", QJsonObject{{"_0", app}}}}).error.endsWith(json::kInvalidNumberOfKeys));
}

TEST(EnumPayloadKeys, WrittenAsOneMemberHoldingUnderscoreZero) {
    for (const NimbrelRuleAction& action : samples::everyAction()) {
        const QJsonObject object = toJson(action, DateForm::ISO8601);
        ASSERT_EQ(object.keys(), QStringList{action.caseName()});
        const QJsonObject inner = object.value(action.caseName()).toObject();
        EXPECT_EQ(inner.keys(), QStringList{"_0"});
        EXPECT_EQ(inner.value("_0").toObject().value("id").toString(), action.id().toString());
    }
}

} // namespace
} // namespace nimbrel
