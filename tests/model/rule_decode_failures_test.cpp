#include "model/RuleCoding.h"
#include "model/RuleSamples.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>

namespace nimbrel {
namespace {

using json::DateForm;

QJsonObject sampleObject(DateForm form = DateForm::SecondsSince2001) {
    return toJson(samples::rule(), form);
}

// Applies `edit` to a copy of the sample rule's JSON and decodes it; returns the error text.
QString decodeError(const std::function<void(QJsonObject&)>& edit, DateForm form = DateForm::SecondsSince2001) {
    QJsonObject object = sampleObject(form);
    edit(object);
    const auto decoded = decodeRule(QJsonDocument(object).toJson(), form);
    EXPECT_FALSE(decoded.value.has_value());
    return decoded.error;
}

// Replaces a member of a nested object found along `path`.
void setAt(QJsonObject& root, const QStringList& path, const QJsonValue& value) {
    if (path.size() == 1) {
        if (value.isUndefined())
            root.remove(path.front());
        else
            root.insert(path.front(), value);
        return;
    }
    QJsonObject child = root.value(path.front()).toObject();
    setAt(child, path.mid(1), value);
    root.insert(path.front(), child);
}

TEST(RuleDecodeFailures, MissingRequiredMembers) {
    // Including the ones that have a value when a rule is built in code.
    for (const QString key :
         {"id", "name", "isEnabled", "isPinned", "trigger", "availability", "actions", "createdAt", "updatedAt"}) {
        SCOPED_TRACE(key.toStdString());
        const QString error = decodeError([&](QJsonObject& o) { o.remove(key); });
        EXPECT_TRUE(error.contains(key)) << error.toStdString();
    }
    EXPECT_FALSE(decodeError([](QJsonObject& o) {
                     setAt(o, {"trigger", "clickCount"}, QJsonValue::Undefined);
                 }).isEmpty());
    EXPECT_FALSE(decodeError([](QJsonObject& o) {
                     setAt(o, {"trigger", "app", "displayName"}, QJsonValue::Undefined);
                 }).isEmpty());
    EXPECT_FALSE(decodeError([](QJsonObject& o) {
                     setAt(o, {"availability", "activeDays"}, QJsonValue::Undefined);
                 }).isEmpty());
    EXPECT_FALSE(decodeError([](QJsonObject& o) {
                     setAt(o, {"availability", "startTime", "minute"}, QJsonValue::Undefined);
                 }).isEmpty());
}

TEST(RuleDecodeFailures, RequiredMemberGivenAsNull) {
    EXPECT_FALSE(decodeError([](QJsonObject& o) { o.insert("isPinned", QJsonValue::Null); }).isEmpty());
}

TEST(RuleDecodeFailures, WrongJsonTypes) {
    EXPECT_FALSE(decodeError([](QJsonObject& o) { o.insert("isEnabled", 1); }).isEmpty());
    EXPECT_FALSE(decodeError([](QJsonObject& o) { o.insert("name", 5); }).isEmpty());
    EXPECT_FALSE(decodeError([](QJsonObject& o) { o.insert("actions", QJsonObject{}); }).isEmpty());
    EXPECT_FALSE(decodeError([](QJsonObject& o) { setAt(o, {"trigger", "clickCount"}, "2"); }).isEmpty());
    EXPECT_FALSE(decodeError([](QJsonObject& o) { setAt(o, {"trigger", "clickCount"}, 2.5); }).isEmpty());
    EXPECT_FALSE(decodeError([](QJsonObject& o) { setAt(o, {"trigger", "app"}, "Safari"); }).isEmpty());
    // An optional member that is present must still have the right type.
    EXPECT_FALSE(decodeError([](QJsonObject& o) { setAt(o, {"trigger", "app", "path"}, false); }).isEmpty());
}

TEST(RuleDecodeFailures, UnknownOrMiscasedEnumValues) {
    EXPECT_FALSE(decodeError([](QJsonObject& o) { setAt(o, {"availability", "mode"}, "Always"); }).isEmpty());
    EXPECT_FALSE(decodeError([](QJsonObject& o) {
                     setAt(o, {"availability", "activeDays"}, QJsonArray{"monday", "Tuesday"});
                 }).isEmpty());
    EXPECT_FALSE(decodeError([](QJsonObject& o) {
                     setAt(o, {"availability", "activeDays"}, QJsonArray{"monday", 3});
                 }).isEmpty());
}

TEST(RuleDecodeFailures, InvalidUuids) {
    EXPECT_FALSE(decodeError([](QJsonObject& o) { o.insert("id", "not-a-uuid"); }).isEmpty());
    EXPECT_FALSE(
        decodeError([](QJsonObject& o) { o.insert("id", "{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}"); }).isEmpty());
}

TEST(RuleDecodeFailures, LowerCaseUuidIsReadAndWrittenUpperCase) {
    QJsonObject object = sampleObject();
    object.insert("id", "e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
    const auto decoded = decodeRule(QJsonDocument(object).toJson(), DateForm::SecondsSince2001);
    ASSERT_TRUE(decoded) << decoded.error.toStdString();
    EXPECT_EQ(decoded.value->id.toString(), QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"));
}

TEST(RuleDecodeFailures, DateInTheOtherForm) {
    const QByteArray numeric = encodeRule(samples::rule(), DateForm::SecondsSince2001);
    const QByteArray iso = encodeRule(samples::rule(), DateForm::ISO8601);
    EXPECT_FALSE(decodeRule(numeric, DateForm::ISO8601));
    EXPECT_FALSE(decodeRule(iso, DateForm::SecondsSince2001));
    EXPECT_FALSE(decodeError([](QJsonObject& o) { o.insert("createdAt", "yesterday"); }, DateForm::ISO8601).isEmpty());
}

TEST(RuleDecodeFailures, NotJsonOrNotAnObject) {
    EXPECT_FALSE(decodeRule("{\"id\":", DateForm::ISO8601));
    EXPECT_FALSE(decodeRule("", DateForm::ISO8601));
    EXPECT_FALSE(decodeRule("[]", DateForm::ISO8601));
    EXPECT_FALSE(decodeRules("{}", DateForm::ISO8601));
    EXPECT_FALSE(decodeRules("[1]", DateForm::ISO8601));
    EXPECT_FALSE(decodeRules("\xff\xfe[]", DateForm::ISO8601));
}

TEST(RuleDecodeFailures, OneBadRuleFailsTheWholeList) {
    QJsonArray list{sampleObject(), sampleObject(), sampleObject()};
    QJsonObject broken = sampleObject();
    setAt(broken, {"trigger", "app", "displayName"}, QJsonValue::Undefined);
    list.replace(1, broken);
    const auto decoded = decodeRules(QJsonDocument(list).toJson(), DateForm::SecondsSince2001);
    EXPECT_FALSE(decoded.value.has_value());
    // The error names where the fault is.
    EXPECT_TRUE(decoded.error.contains("[1]")) << decoded.error.toStdString();
    EXPECT_TRUE(decoded.error.contains("displayName")) << decoded.error.toStdString();
}

TEST(RuleDecodeFailures, FaultDeepInsideAnActionFailsTheRule) {
    const QString error = decodeError([](QJsonObject& o) {
        QJsonArray actions = o.value("actions").toArray();
        QJsonObject action = actions.at(5).toObject(); // the terminal script
        QJsonObject payload = action.value("runTerminalScript").toObject().value("_0").toObject();
        QJsonArray commands = payload.value("commands").toArray();
        QJsonObject command = commands.at(1).toObject();
        command.remove("command");
        commands.replace(1, command);
        payload.insert("commands", commands);
        action.insert("runTerminalScript", QJsonObject{{"_0", payload}});
        actions.replace(5, action);
        o.insert("actions", actions);
    });
    EXPECT_TRUE(error.contains("command")) << error.toStdString();
}

TEST(RuleDecodeFailures, HugeNumbersThatDoNotFitAreRefusedNotWrapped) {
    EXPECT_FALSE(
        decodeRule(encodeRule(samples::rule(), DateForm::ISO8601).replace("\"clickCount\":2", "\"clickCount\":1e30"),
                   DateForm::ISO8601));
}

} // namespace
} // namespace nimbrel
