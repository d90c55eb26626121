#include "sync/DeviceIdentity.h"

#include "sync/CloudPayloads.h"

#include "model/StorePlatform.h"
#include "platform/Log.h"
#include "platform/Uuid.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace nimbrel;
using nimbrel::testing::StorePlatform;

namespace {

const QString kService = NimbrelDeviceIdentityProvider::keychainService;
const QString kAccount = NimbrelDeviceIdentityProvider::keychainAccount;

// A keychain whose item is missing and whose writes fail, as a full disk would make them.
class UnwritableKeychain final : public InMemoryKeychain {
  public:
    int add(const QString&, const QString&, const QByteArray&, const QString&) override { return errSecIO; }
    int update(const QString&, const QString&, const QByteArray&, const QString&) override { return errSecIO; }
};

class DeviceIdentityTest : public ::testing::Test {
  protected:
    StorePlatform env;
    std::vector<QString> lines;
    LogSink previous = setLogSink([this](const QString& line) { lines.push_back(line); });
    ~DeviceIdentityTest() override { setLogSink(previous); }

    std::optional<QByteArray> storedData() {
        QByteArray data;
        if (env.keychain.copyMatching(kService, kAccount, &data) != errSecSuccess) return std::nullopt;
        return data;
    }
};

TEST_F(DeviceIdentityTest, FirstUseMakesAndStoresAnIdentityThatOutlivesARestart) {
    const QString keychainFile = env.dir.path() + QStringLiteral("/keychain.json");
    auto keychain = std::make_unique<FileKeychain>(keychainFile);
    env.platform.keychain = keychain.get();
    env.scheduler.advance(0.75);
    const NimbrelDeviceIdentity first = NimbrelDeviceIdentity::current();
    ASSERT_TRUE(Uuid::parse(first.id).has_value());
    EXPECT_EQ(first.id, first.id.toUpper());
    EXPECT_EQ(keychain->accessibility(kService, kAccount), kKeychainAccessibleAfterFirstUnlockThisDeviceOnly);
    EXPECT_EQ(first.createdAt, env.scheduler.now());
    EXPECT_EQ(env.defaults.dateValue(NimbrelDeviceIdentityProvider::createdAtDefaultsKey), first.createdAt);
    EXPECT_EQ(first.deviceName, QStringLiteral("Test Mac"));
    EXPECT_EQ(first.modelIdentifier, QStringLiteral("Mac14,2"));

    // The cache answers for the rest of the process, without the Keychain.
    keychain->setForcedStatus(errSecInteractionNotAllowed);
    EXPECT_EQ(NimbrelDeviceIdentity::current(), first);

    // A new process: the Keychain read again from its file, the same defaults.
    resetSharedInstances();
    keychain = std::make_unique<FileKeychain>(keychainFile);
    env.platform.keychain = keychain.get();
    env.scheduler.advance(3600);
    EXPECT_EQ(NimbrelDeviceIdentity::current(), first);
    EXPECT_EQ(NimbrelDeviceIdentityProvider::storedDeviceIDOrUnknown(env.platform), first.id);
}

TEST_F(DeviceIdentityTest, UnusableItemsAreReplacedButAnUnreadableKeychainIsLeftAlone) {
    struct Case {
        const char* name;
        std::optional<QByteArray> item; // nullopt: no item
        int readStatus;                 // answered by every read
        bool writesWork;                // or every call answers readStatus
        bool saved;                     // a new id goes to the Keychain
    };
    const Case cases[] = {
        {"missing item", std::nullopt, errSecSuccess, true, true},
        {"empty item", QByteArray(), errSecSuccess, true, true},
        {"item not UTF-8", QByteArray("\xff\xfe\xfd", 3), errSecSuccess, true, true},
        {"locked keychain", QByteArray("KEPT"), errSecInteractionNotAllowed, false, false},
        {"access denied", QByteArray("KEPT"), errSecAuthFailed, false, false},
        // A read that fails while writes work must not overwrite the stored id either.
        {"locked for reads only", QByteArray("KEPT"), errSecInteractionNotAllowed, true, false},
        {"reads denied only", QByteArray("KEPT"), errSecAuthFailed, true, false},
    };
    auto blockReads = [&](int status, bool writesWork) {
        env.keychain.setForcedStatus(writesWork ? errSecSuccess : status);
        env.keychain.setReadStatus(writesWork ? status : errSecSuccess);
    };
    for (const Case& c : cases) {
        resetSharedInstances();
        blockReads(errSecSuccess, true);
        env.keychain.remove(kService, kAccount);
        if (c.item) env.keychain.add(kService, kAccount, *c.item, kKeychainAccessibleWhenUnlocked);
        blockReads(c.readStatus, c.writesWork);

        const NimbrelDeviceIdentity identity = NimbrelDeviceIdentity::current();
        EXPECT_TRUE(Uuid::parse(identity.id).has_value()) << c.name;
        EXPECT_EQ(NimbrelDeviceIdentity::current().id, identity.id) << c.name << ": one id for the process";

        blockReads(errSecSuccess, true);
        if (c.saved) {
            EXPECT_EQ(storedData(), std::optional<QByteArray>(identity.id.toUtf8())) << c.name;
            EXPECT_EQ(NimbrelDeviceIdentityProvider::storedDeviceID(), identity.id) << c.name;
        } else {
            EXPECT_EQ(storedData(), c.item) << c.name << ": no phantom device is stored";
            blockReads(c.readStatus, c.writesWork);
            EXPECT_EQ(NimbrelDeviceIdentityProvider::storedDeviceIDOrUnknown(env.platform), kUnknownDeviceID) << c.name;
        }
    }
}

TEST_F(DeviceIdentityTest, AFailedSaveIsPrintedAndTheProcessKeepsItsId) {
    UnwritableKeychain keychain;
    env.platform.keychain = &keychain;
    const NimbrelDeviceIdentity identity = NimbrelDeviceIdentity::current();
    EXPECT_TRUE(Uuid::parse(identity.id).has_value());
    EXPECT_EQ(NimbrelDeviceIdentity::current().id, identity.id);
    EXPECT_EQ(lines, std::vector<QString>{"NimbrelDeviceIdentityProvider: failed to save device ID to Keychain "
                                          "status=-36"});
    EXPECT_EQ(NimbrelDeviceIdentityProvider::storedDeviceIDOrUnknown(env.platform), QStringLiteral("unknown-device"));
}

TEST_F(DeviceIdentityTest, CreationDateIsKeptApartFromTheId) {
    const Date old = nimbrel::testing::kStart.addingSeconds(-86400);
    env.defaults.setDate(NimbrelDeviceIdentityProvider::createdAtDefaultsKey, old);
    EXPECT_EQ(NimbrelDeviceIdentity::current().createdAt, old) << "a lost Keychain item keeps the stored date";

    resetSharedInstances();
    env.defaults.setString(NimbrelDeviceIdentityProvider::createdAtDefaultsKey, QStringLiteral("yesterday"));
    EXPECT_EQ(NimbrelDeviceIdentity::current().createdAt, env.scheduler.now());
    EXPECT_EQ(env.defaults.dateValue(NimbrelDeviceIdentityProvider::createdAtDefaultsKey), env.scheduler.now());
}

TEST_F(DeviceIdentityTest, HostNameAndModelFallBack) {
    class Info final : public SystemInfo {
      public:
        QString host, model;
        OperatingSystemVersion operatingSystemVersion() const override { return {15, 0, 0}; }
        QString modelIdentifier() const override { return model; }
        QString hostLocalizedName() const override { return host; }
        QString userName() const override { return {}; }
        QString userFullName() const override { return {}; }
        unsigned userId() const override { return 0; }
    } info;
    env.platform.systemInfo = &info;
    const std::pair<QString, QString> names[] = {
        {QStringLiteral("  Anna's Mac \n"), QStringLiteral("Anna's Mac")},
        {QStringLiteral(" \t\n"), QStringLiteral("This Mac")},
        {QString(), QStringLiteral("This Mac")},
    };
    for (const auto& [host, expected] : names) {
        info.host = host;
        EXPECT_EQ(NimbrelDeviceIdentity::currentDeviceName(env.platform), expected);
    }
    const std::pair<QString, QString> models[] = {
        {QStringLiteral("Mac14,2"), QStringLiteral("Mac14,2")},
        {QStringLiteral(" Mac15,3\n"), QStringLiteral("Mac15,3")},
        {QStringLiteral("Mac16,1") + QChar(0) + QStringLiteral("junk"), QStringLiteral("Mac16,1")},
        {QString(QChar(0)) + QStringLiteral("Mac"), QStringLiteral("Mac")},
        {QStringLiteral("   "), QStringLiteral("Mac")},
    };
    for (const auto& [model, expected] : models) {
        info.model = model;
        EXPECT_EQ(NimbrelDeviceIdentity::currentModelIdentifier(env.platform), expected);
    }
    env.platform.systemInfo = nullptr;
    EXPECT_EQ(NimbrelDeviceIdentity::currentDeviceName(env.platform), QStringLiteral("This Mac"));
    EXPECT_EQ(NimbrelDeviceIdentity::currentModelIdentifier(env.platform), QStringLiteral("Mac"));
}

TEST_F(DeviceIdentityTest, IdentityCodesWithItsFourKeysAllRequired) {
    // 2025-03-01T08:15:00Z
    const NimbrelDeviceIdentity identity{"E621E1F8-C36C-495A-93FC-0C247A3E6E5F", "Anna's Mac", "Mac14,2",
                                         Date{762509700.0}};
    const QByteArray expected = R"({"createdAt":"2025-03-01T08:15:00Z","deviceName":"Anna's Mac",)"
                                R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","modelIdentifier":"Mac14,2"})";
    EXPECT_EQ(encodeCloudJSON(identity.toJson()), expected);
    auto decode = [](const QJsonObject& object) {
        return json::tryDecode<NimbrelDeviceIdentity>(
            [&] { return NimbrelDeviceIdentity::fromJson(json::Reader(object, json::DateForm::ISO8601)); });
    };
    EXPECT_EQ(decode(identity.toJson()).value, identity);
    for (const char* key : {"id", "deviceName", "modelIdentifier", "createdAt"}) {
        QJsonObject missing = identity.toJson();
        missing.remove(QString::fromLatin1(key));
        EXPECT_FALSE(decode(missing).value.has_value()) << key;
    }
}

} // namespace
