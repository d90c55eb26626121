#include "sync/CloudPayloads.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace nimbrel;

namespace {

// 2025-03-01T08:15:00Z
constexpr Date kWhen{762509700.0};
const QString kId = QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");

const NimbrelCloudPayloadRecord kRule{
    kId, NimbrelCloudPayloadType::rule, QByteArray(R"({"a":"\/x"})"), "DEV", kWhen, kWhen.addingSeconds(60), 1};
const NimbrelCloudTombstone kTombstone{kId, NimbrelCloudPayloadType::session, "DEV", kWhen, 1};
const NimbrelCloudBlacklistPayload kBlacklist{
    {"/Applications/My App.app", "com.apple.Safari"}, kWhen, "unknown-device", 1};
const NimbrelCloudDeviceRecord kDevice{"ABC/1", "Anna's Mac", "Mac14,2", "active", kWhen, kWhen.addingSeconds(5), 1};

NimbrelCloudSettingsPayload settings(bool withOptionals) {
    NimbrelCloudSettingsPayload p;
    p.syncEnabled = false;
    p.updatedAt = kWhen;
    p.sourceDeviceID = "DEV";
    if (withOptionals) {
        p.customAccountImageData = QByteArray("\x89PNG", 4);
        p.behaviorMode = "cycling";
        p.minimizeAfterCycle = false;
        p.systemNotificationsEnabled = true;
    }
    return p;
}

template <typename T> T decoded(const QByteArray& bytes) {
    return T::fromJson(CloudJSONDecoder().reader(bytes));
}

TEST(CloudPayloadsTest, EveryValueCodesToTheseExactBytesAndBack) {
    struct Case {
        QByteArray encoded;
        QByteArray expected;
        bool roundTrips;
    };
    const Case cases[] = {
        {encodeCloudJSON(kRule.toJson()),
         R"({"createdAt":"2025-03-01T08:15:00Z","objectID":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F",)"
         R"("payload":"eyJhIjoiXC94In0=","payloadType":"rule","schemaVersion":1,"sourceDeviceID":"DEV",)"
         R"("updatedAt":"2025-03-01T08:16:00Z"})",
         decoded<NimbrelCloudPayloadRecord>(encodeCloudJSON(kRule.toJson())) == kRule},
        {encodeCloudJSON(kTombstone.toJson()),
         R"({"deletedAt":"2025-03-01T08:15:00Z","objectID":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F",)"
         R"("payloadType":"session","schemaVersion":1,"sourceDeviceID":"DEV"})",
         decoded<NimbrelCloudTombstone>(encodeCloudJSON(kTombstone.toJson())) == kTombstone},
        {kBlacklist.encoded().value(),
         R"({"blacklistedAppKeys":["\/Applications\/My App.app","com.apple.Safari"],"schemaVersion":1,)"
         R"("sourceDeviceID":"unknown-device","updatedAt":"2025-03-01T08:15:00Z"})",
         NimbrelCloudBlacklistPayload::decode(kBlacklist.encoded().value()) == kBlacklist},
        {encodeCloudJSON(settings(false).toJson()),
         R"({"automaticUpdatesEnabled":true,"liquidGlassEnabled":true,"schemaVersion":1,"sourceDeviceID":"DEV",)"
         R"("syncEnabled":false,"updatedAt":"2025-03-01T08:15:00Z"})",
         decoded<NimbrelCloudSettingsPayload>(encodeCloudJSON(settings(false).toJson())) == settings(false)},
        {encodeCloudJSON(settings(true).toJson()),
         R"({"automaticUpdatesEnabled":true,"behaviorMode":"cycling","customAccountImageData":"iVBORw==",)"
         R"("liquidGlassEnabled":true,"minimizeAfterCycle":false,"schemaVersion":1,"sourceDeviceID":"DEV",)"
         R"("syncEnabled":false,"systemNotificationsEnabled":true,"updatedAt":"2025-03-01T08:15:00Z"})",
         decoded<NimbrelCloudSettingsPayload>(encodeCloudJSON(settings(true).toJson())) == settings(true)},
        {encodeCloudJSON(kDevice.toJson()),
         R"({"createdAt":"2025-03-01T08:15:00Z","deviceID":"ABC\/1","deviceName":"Anna's Mac",)"
         R"("modelIdentifier":"Mac14,2","schemaVersion":1,"status":"active","updatedAt":"2025-03-01T08:15:05Z"})",
         decoded<NimbrelCloudDeviceRecord>(encodeCloudJSON(kDevice.toJson())) == kDevice},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.encoded, c.expected);
        EXPECT_TRUE(c.roundTrips) << c.expected.constData();
    }
}

TEST(CloudPayloadsTest, JSONDatesDropFractionsAndReadersWantEveryKey) {
    NimbrelCloudBlacklistPayload late = kBlacklist;
    late.updatedAt = kWhen.addingSeconds(0.999);
    EXPECT_EQ(late.encoded().value(), kBlacklist.encoded().value()) << "the same payload always gives the same bytes";
    EXPECT_EQ(NimbrelCloudBlacklistPayload::decode(late.encoded().value())->updatedAt, kWhen);

    late.updatedAt = Date{std::numeric_limits<double>::quiet_NaN()};
    ASSERT_FALSE(late.encoded().ok());
    EXPECT_EQ(late.encoded().error().domain, kCloudPayloadErrorDomain);
    EXPECT_FALSE(late.makeRecord().ok()) << "a blacklist that cannot be encoded makes no record";

    const char* broken[] = {
        R"({"blacklistedAppKeys":[],"schemaVersion":1,"updatedAt":"2025-03-01T08:15:00Z"})", // no sourceDeviceID
        R"({"blacklistedAppKeys":[],"schemaVersion":1,"sourceDeviceID":"D","updatedAt":"2025-03-01 08:15:00"})",
        R"({"blacklistedAppKeys":[],"schemaVersion":1,"sourceDeviceID":"D","updatedAt":762509700})",
        R"({"blacklistedAppKeys":[3],"schemaVersion":1,"sourceDeviceID":"D","updatedAt":"2025-03-01T08:15:00Z"})",
        "[1]",
        "not json",
    };
    for (const char* bytes : broken)
        EXPECT_FALSE(NimbrelCloudBlacklistPayload::decode(bytes).has_value()) << bytes;
}

// A record's fields as the test writes them down.
using Fields = CloudFields;

TEST(CloudRecordsTest, EveryRecordHasItsNameTypeAndExactFields) {
    CloudRecord payload(recordTypeOf(kRule.payloadType), payloadRecordID(kRule.payloadType, kRule.objectID));
    kRule.writeTo(payload);
    CloudRecord device("NimbrelDevice", NimbrelCloudDeviceRecord::recordID(kDevice.deviceID));
    kDevice.writeTo(device);
    const CloudRecord blacklist = kBlacklist.makeRecord().value();

    struct Case {
        CloudRecord record;
        QString type, name;
        Fields fields;
        bool readsBack;
    };
    const Case cases[] = {
        {payload, "NimbrelRule", "rule_" + kId,
         Fields{{"objectID", kId},
                {"payloadType", QString("rule")},
                {"payload", kRule.payload},
                {"sourceDeviceID", QString("DEV")},
                {"createdAt", kWhen},
                {"updatedAt", kWhen.addingSeconds(60)},
                {"schemaVersion", qint64(1)}},
         NimbrelCloudPayloadRecord::fromRecord(payload) == kRule},
        {kTombstone.makeRecord(), "NimbrelTombstone", "deleted_session_" + kId,
         Fields{{"objectID", kId},
                {"payloadType", QString("session")},
                {"sourceDeviceID", QString("DEV")},
                {"deletedAt", kWhen},
                {"schemaVersion", qint64(1)}},
         NimbrelCloudTombstone::fromRecord(kTombstone.makeRecord()) == kTombstone},
        {settings(false).makeRecord(), "NimbrelSettings", "settings_primary",
         Fields{{"syncEnabled", false},
                {"liquidGlassEnabled", true},
                {"automaticUpdatesEnabled", true},
                {"updatedAt", kWhen},
                {"sourceDeviceID", QString("DEV")},
                {"schemaVersion", qint64(1)}},
         NimbrelCloudSettingsPayload::fromRecord(settings(false).makeRecord()) == settings(false)},
        {settings(true).makeRecord(), "NimbrelSettings", "settings_primary",
         Fields{{"syncEnabled", false},
                {"liquidGlassEnabled", true},
                {"automaticUpdatesEnabled", true},
                {"customAccountImageData", QByteArray("\x89PNG", 4)},
                {"behaviorMode", QString("cycling")},
                {"minimizeAfterCycle", false},
                {"systemNotificationsEnabled", true},
                {"updatedAt", kWhen},
                {"sourceDeviceID", QString("DEV")},
                {"schemaVersion", qint64(1)}},
         NimbrelCloudSettingsPayload::fromRecord(settings(true).makeRecord()) == settings(true)},
        {blacklist, "NimbrelBlacklist", "blacklist_primary",
         Fields{{"payload", kBlacklist.encoded().value()},
                {"payloadType", QString("blacklist")},
                {"updatedAt", kWhen},
                {"sourceDeviceID", QString("unknown-device")},
                {"schemaVersion", qint64(1)}},
         NimbrelCloudBlacklistPayload::fromRecord(blacklist) == kBlacklist},
        {device, "NimbrelDevice", "device_ABC_1",
         Fields{{"deviceID", QString("ABC/1")},
                {"deviceName", QString("Anna's Mac")},
                {"modelIdentifier", QString("Mac14,2")},
                {"status", QString("active")},
                {"createdAt", kWhen},
                {"updatedAt", kWhen.addingSeconds(5)},
                {"schemaVersion", qint64(1)}},
         NimbrelCloudDeviceRecord::fromRecord(device) == kDevice},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.record.recordType(), c.type);
        EXPECT_EQ(c.record.recordID().recordName, c.name);
        EXPECT_TRUE(c.record.fields() == c.fields) << c.name.toStdString();
        EXPECT_TRUE(c.readsBack) << c.name.toStdString();
    }
    EXPECT_EQ(settings(false).makeRecord().removedKeys(),
              (std::set<QString>{"behaviorMode", "customAccountImageData", "minimizeAfterCycle",
                                 "systemNotificationsEnabled"}))
        << "absent optional settings are written as removed";
}

TEST(CloudRecordsTest, ReadersRejectMissingFieldsOtherKindsAndUnknownTypes) {
    CloudRecord payload(QStringLiteral("NimbrelRule"), payloadRecordID(NimbrelCloudPayloadType::rule, kId));
    kRule.writeTo(payload);
    const CloudRecord tombstone = kTombstone.makeRecord();
    const CloudRecord setting = settings(true).makeRecord();
    CloudRecord device(QStringLiteral("NimbrelDevice"), NimbrelCloudDeviceRecord::recordID(kDevice.deviceID));
    kDevice.writeTo(device);

    struct Case {
        const CloudRecord* base;
        QString key;
        std::optional<CloudValue> value; // nullopt: the field is removed
        bool reads;
    };
    const Case cases[] = {
        {&payload, "schemaVersion", std::nullopt, false},
        {&payload, "payloadType", QString("RULE"), false},
        {&payload, "payloadType", QString("rule "), false},
        {&payload, "payload", QString("text"), false},
        {&payload, "updatedAt", qint64(5), false},
        {&payload, "schemaVersion", qint64(7), true}, // any integer is accepted
        {&tombstone, "deletedAt", std::nullopt, false},
        {&tombstone, "payloadType", QString("folder"), false},
        {&setting, "syncEnabled", QString("true"), false},
        {&setting, "syncEnabled", std::nullopt, false},
        {&setting, "sourceDeviceID", std::nullopt, false},
        {&setting, "behaviorMode", qint64(1), true}, // an optional of another kind reads as absent
        {&device, "status", std::nullopt, false},
        {&device, "createdAt", QString("2025"), false},
    };
    for (const Case& c : cases) {
        CloudRecord r = *c.base;
        if (c.value)
            r.set(c.key, *c.value);
        else
            r.remove(c.key);
        const bool reads = r.recordType() == "NimbrelRule"        ? NimbrelCloudPayloadRecord::fromRecord(r).has_value()
                           : r.recordType() == "NimbrelTombstone" ? NimbrelCloudTombstone::fromRecord(r).has_value()
                           : r.recordType() == "NimbrelSettings"
                               ? NimbrelCloudSettingsPayload::fromRecord(r).has_value()
                               : NimbrelCloudDeviceRecord::fromRecord(r).has_value();
        EXPECT_EQ(reads, c.reads) << r.recordType().toStdString() << " " << c.key.toStdString();
    }
    CloudRecord otherKind = setting;
    otherKind.set("behaviorMode", qint64(1));
    EXPECT_FALSE(NimbrelCloudSettingsPayload::fromRecord(otherKind)->behaviorMode.has_value());

    CloudRecord noPayload = kBlacklist.makeRecord().value();
    noPayload.set("payload", QString("not bytes"));
    EXPECT_FALSE(NimbrelCloudBlacklistPayload::fromRecord(noPayload).has_value());
}

TEST(CloudRecordsTest, RecordNamesAreSanitizedScalarByScalar) {
    const std::pair<QString, QString> cases[] = {
        {kId, kId},
        {"a b/c", "a_b_c"},
        {"a/b", "a_b"},
        {"a b", "a_b"}, // differs only outside the allowed set: the same name as above
        {QString::fromUtf8("Zürich-東京_é"), QString::fromUtf8("Zürich-東京_é")},
        {QString::fromUtf8("e\u0301"), QString::fromUtf8("e\u0301")}, // a combining mark stays
        {QString::fromUtf8("😀x"), "_x"},                              // one scalar, one "_"
        {"a.b:c", "a_b_c"},
        {"", ""},
    };
    for (const auto& [id, name] : cases)
        EXPECT_EQ(sanitizedRecordName(id), name) << id.toStdString();
    EXPECT_EQ(payloadRecordID(NimbrelCloudPayloadType::rule, "").recordName, "rule_");
    EXPECT_EQ(tombstoneRecordID(NimbrelCloudPayloadType::session, "x y").recordName, "deleted_session_x_y");
    EXPECT_EQ(NimbrelCloudDeviceRecord::recordID(kId).recordName, "device_" + kId);
}

TEST(CloudRecordsTest, PayloadTypesMatchTheirRawValuesExactly) {
    const QString recordTypes[] = {"NimbrelRule", "NimbrelSession", "NimbrelBlacklist", "NimbrelSettings"};
    for (size_t i = 0; i < kAllCloudPayloadTypes.size(); ++i) {
        const NimbrelCloudPayloadType type = kAllCloudPayloadTypes[i];
        EXPECT_EQ(cloudPayloadTypeFromRaw(rawValue(type)), type);
        EXPECT_EQ(recordTypeOf(type), recordTypes[i]);
    }
    for (const char* text : {"Rule", "rule ", "", "sessions"})
        EXPECT_FALSE(cloudPayloadTypeFromRaw(text).has_value()) << text;
}

} // namespace
