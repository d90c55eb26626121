#include "sync/CloudPayloads.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace nimbrel;

namespace {

// 2025-03-01T08:15:00Z
constexpr Date kWhen{762509700.0};

TEST(CloudPayloadsTest, PayloadTypesMatchTheirRawValuesExactly) {
    EXPECT_EQ(rawValue(NimbrelCloudPayloadType::session), QStringLiteral("session"));
    EXPECT_EQ(cloudPayloadTypeFromRaw(QStringLiteral("settings")), NimbrelCloudPayloadType::settings);
    EXPECT_FALSE(cloudPayloadTypeFromRaw(QStringLiteral("Rule")).has_value());
    EXPECT_FALSE(cloudPayloadTypeFromRaw(QStringLiteral("rule ")).has_value());
}

TEST(CloudPayloadsTest, BlacklistPayloadCodesCompactSortedAndStable) {
    NimbrelCloudBlacklistPayload p{{QStringLiteral("com.apple.Safari"), QStringLiteral("/Applications/My App.app")},
                                   kWhen.addingSeconds(0.75),
                                   QStringLiteral("DEVICE"),
                                   1};
    const QByteArray bytes = p.encoded();
    EXPECT_EQ(bytes, QByteArray(R"({"blacklistedAppKeys":["com.apple.Safari","\/Applications\/My App.app"],)"
                                R"("schemaVersion":1,"sourceDeviceID":"DEVICE","updatedAt":"2025-03-01T08:15:00Z"})"));
    EXPECT_EQ(p.encoded(), bytes);

    const auto back = NimbrelCloudBlacklistPayload::decode(bytes);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->blacklistedAppKeys, p.blacklistedAppKeys);
    EXPECT_EQ(back->updatedAt, kWhen) << "the fraction of a second is dropped";

    EXPECT_FALSE(NimbrelCloudBlacklistPayload::decode(R"({"blacklistedAppKeys":[],"schemaVersion":1,)"
                                                      R"("updatedAt":"2025-03-01T08:15:00Z"})")
                     .has_value())
        << "all four keys are required";
    EXPECT_FALSE(NimbrelCloudBlacklistPayload::decode("not json").has_value());
    EXPECT_FALSE(NimbrelCloudBlacklistPayload::decode("[1]").has_value());
}

TEST(CloudPayloadsTest, SettingsPayloadLeavesOutAbsentOptionals) {
    NimbrelCloudSettingsPayload p;
    p.syncEnabled = false;
    p.updatedAt = kWhen;
    p.sourceDeviceID = QStringLiteral("unknown-device");
    QJsonObject o = p.toJson();
    EXPECT_EQ(o.size(), 6);
    EXPECT_FALSE(o.contains("behaviorMode"));

    auto back = NimbrelCloudSettingsPayload::fromJson(json::Reader(o, json::DateForm::ISO8601));
    EXPECT_EQ(back, p);

    p.customAccountImageData = QByteArray("\x89PNG", 4);
    p.behaviorMode = QStringLiteral("cycling");
    p.minimizeAfterCycle = false;
    p.systemNotificationsEnabled = true;
    o = p.toJson();
    EXPECT_EQ(o.size(), 10);
    EXPECT_EQ(o.value("customAccountImageData").toString(), QStringLiteral("iVBORw=="));
    EXPECT_EQ(NimbrelCloudSettingsPayload::fromJson(json::Reader(o, json::DateForm::ISO8601)), p);

    o.remove("syncEnabled");
    EXPECT_THROW(NimbrelCloudSettingsPayload::fromJson(json::Reader(o, json::DateForm::ISO8601)), json::DecodeError);
}

TEST(CloudPayloadsTest, RecordsAndTombstonesRoundTripAndRejectUnknownTypes) {
    const NimbrelCloudPayloadRecord r{QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"),
                                      NimbrelCloudPayloadType::rule,
                                      QByteArray(R"({"a":1})"),
                                      QStringLiteral("DEV"),
                                      kWhen,
                                      kWhen.addingSeconds(60),
                                      1};
    QJsonObject o = r.toJson();
    EXPECT_EQ(o.value("payloadType").toString(), QStringLiteral("rule"));
    EXPECT_EQ(NimbrelCloudPayloadRecord::fromJson(json::Reader(o, json::DateForm::ISO8601)), r);
    o.insert("payloadType", QStringLiteral("RULE"));
    EXPECT_THROW(NimbrelCloudPayloadRecord::fromJson(json::Reader(o, json::DateForm::ISO8601)), json::DecodeError);

    const NimbrelCloudTombstone t{r.objectID, NimbrelCloudPayloadType::session, QStringLiteral("DEV"), kWhen, 1};
    EXPECT_EQ(NimbrelCloudTombstone::fromJson(json::Reader(t.toJson(), json::DateForm::ISO8601)), t);
    EXPECT_EQ(encodeCloudJSON(t.toJson()),
              QByteArray(R"({"deletedAt":"2025-03-01T08:15:00Z","objectID":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F",)"
                         R"("payloadType":"session","schemaVersion":1,"sourceDeviceID":"DEV"})"));
}

TEST(CloudPayloadsTest, PayloadEncoderWritesIsoDatesWithSortedKeys) {
    const CloudJSONEncoder encoder = NimbrelCloudPayloadRecord::makeJSONEncoder();
    const QJsonObject object = json::Writer(encoder.dateForm)
                                   .set(QStringLiteral("updatedAt"), kWhen.addingSeconds(0.5))
                                   .set(QStringLiteral("path"), QStringLiteral("/Applications"))
                                   .object();
    EXPECT_EQ(encoder.encode(object), QByteArray(R"({"path":"\/Applications","updatedAt":"2025-03-01T08:15:00Z"})"));
}

} // namespace
