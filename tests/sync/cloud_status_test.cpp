#include "sync/CloudKitStatusProvider.h"
#include "sync/DeviceIdentity.h"

#include "activity/ActivityRecorder.h"
#include "model/StorePlatform.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace nimbrel;
using nimbrel::testing::StorePlatform;
using Status = NimbrelCloudKitAccountStatus;

namespace {

const QString kServices = QStringLiteral("com.apple.developer.icloud-services");
const QString kContainers = QStringLiteral("com.apple.developer.icloud-container-identifiers");
const QString kContainer = QStringLiteral("iCloud.com.nimbrel.app");

// Answers the account check when the test says so.
class ManualAccountSource final : public CloudAccountStatusSource {
  public:
    void accountStatus(std::function<void(Status)> completion) override { pending.push_back(std::move(completion)); }
    void answer(const Status& status) {
        for (auto& c : std::exchange(pending, {}))
            c(status);
    }
    std::vector<std::function<void(Status)>> pending;
};

class CloudStatusTest : public ::testing::Test {
  protected:
    StorePlatform env;
    std::shared_ptr<ManualAccountSource> source = std::make_shared<ManualAccountSource>();

    std::vector<Notification> activities() const {
        std::vector<Notification> out;
        for (const auto& n : env.notifications.posted())
            if (n.name == kRecordActivityNotification) out.push_back(n);
        return out;
    }
};

TEST_F(CloudStatusTest, TitlesAndEquality) {
    EXPECT_EQ(Status::checking().title(), QStringLiteral("Checking Apple servers…"));
    EXPECT_EQ(Status::available().title(), QStringLiteral("Connected to Apple"));
    EXPECT_EQ(Status::noAccount().title(), QStringLiteral("No Apple Account"));
    EXPECT_EQ(Status::restricted().title(), QStringLiteral("Sync Restricted"));
    EXPECT_EQ(Status::couldNotDetermine().title(), QStringLiteral("Sync Unknown"));
    EXPECT_EQ(Status::temporarilyUnavailable().title(), QStringLiteral("Sync Temporarily Unavailable"));
    EXPECT_EQ(Status::error(QStringLiteral("Disk on fire")).title(), QStringLiteral("Sync Error"));
    EXPECT_EQ(Status::error("a"), Status::error("a"));
    EXPECT_NE(Status::error("a"), Status::error("b"));
    EXPECT_NE(Status::checking(), Status::available());
}

TEST_F(CloudStatusTest, EntitlementsMustBeListsOfTextsWithCloudKitAndTheContainer) {
    auto check = [&](QVariant services, QVariant containers) {
        QVariantMap e;
        if (services.isValid()) e.insert(kServices, services);
        if (containers.isValid()) e.insert(kContainers, containers);
        env.codeSignature.setEntitlements(e);
        return NimbrelCloudKitStatusProvider::hasCloudKitEntitlements(env.platform);
    };
    const QStringList containers{kContainer};
    EXPECT_TRUE(check(QStringList{"CloudKit"}, containers));
    EXPECT_TRUE(check(QStringList{"CloudKit-Anonymous"}, containers));
    EXPECT_TRUE(
        check(QVariantList{QStringLiteral("CloudDocuments"), QStringLiteral("CloudKit")}, QVariantList{kContainer}));
    EXPECT_FALSE(check(QStringLiteral("CloudKit"), containers)) << "a single text is not a list";
    EXPECT_FALSE(check(QVariantList{QStringLiteral("CloudKit"), 3}, containers));
    EXPECT_FALSE(check(QStringList{"CloudDocuments"}, containers));
    EXPECT_FALSE(check(QStringList{"CloudKit"}, QVariant()));
    EXPECT_FALSE(check(QStringList{"CloudKit"}, QStringList{kContainer.toLower()}));
    EXPECT_FALSE(check(QVariant(), containers));
    env.platform.codeSignature = nullptr;
    EXPECT_FALSE(NimbrelCloudKitStatusProvider::hasCloudKitEntitlements(env.platform));
}

TEST_F(CloudStatusTest, RefreshWithoutEntitlementsReportsAnUnconfiguredBuild) {
    auto provider = std::make_shared<NimbrelCloudKitStatusProvider>(env.platform, source);
    provider->refresh();
    EXPECT_EQ(provider->status.get(), Status::error(QStringLiteral("Sync is not configured for this build.")));
    EXPECT_EQ(provider->lastCheckedAt.get(), std::optional<Date>(env.scheduler.now()));
    EXPECT_TRUE(source->pending.empty());
    ASSERT_EQ(activities().size(), 1u);
    EXPECT_EQ(activities()[0].userInfo.value("title").toString(), QStringLiteral("Device Sync Unavailable"));
    EXPECT_EQ(activities()[0].userInfo.value("type").toString(), QStringLiteral("error"));
}

TEST_F(CloudStatusTest, AnswersArriveLaterAndAnnounceAnAvailableAccount) {
    env.entitleCloudKit();
    auto provider = std::make_shared<NimbrelCloudKitStatusProvider>(env.platform, source);
    std::vector<Status> seen;
    auto token = provider->status.observe([&](const Status& s) { seen.push_back(s); });

    provider->refresh();
    source->answer(Status::available());
    EXPECT_EQ(provider->status.get(), Status::checking()) << "applied on the main thread, later";
    env.scheduler.runUntilIdle();
    EXPECT_EQ(provider->status.get(), Status::available());
    EXPECT_EQ(env.postedCount(kCloudKitBecameAvailableNotification), 1u);
    EXPECT_TRUE(activities().empty());
    EXPECT_EQ(seen, std::vector<Status>{Status::available()});
}

TEST_F(CloudStatusTest, UnavailableAndFailedAnswersAreRecorded) {
    env.entitleCloudKit();
    auto provider = std::make_shared<NimbrelCloudKitStatusProvider>(env.platform, source);
    provider->refresh();
    source->answer(Status::couldNotDetermine());
    env.scheduler.runUntilIdle();
    provider->refresh();
    source->answer(Status::error(QStringLiteral("The network connection was lost.")));
    env.scheduler.runUntilIdle();

    const auto recorded = activities();
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[0].userInfo.value("title").toString(), QStringLiteral("Sync Unavailable"));
    EXPECT_EQ(recorded[0].userInfo.value("type").toString(), QStringLiteral("info"));
    EXPECT_EQ(recorded[0].userInfo.value("message").toString(),
              QStringLiteral("Nimbrel could not determine Apple account availability."));
    EXPECT_EQ(recorded[1].userInfo.value("title").toString(), QStringLiteral("Sync Failed"));
    EXPECT_EQ(recorded[1].userInfo.value("message").toString(), QStringLiteral("The network connection was lost."));
    EXPECT_EQ(env.postedCount(kCloudKitBecameAvailableNotification), 0u);
}

TEST_F(CloudStatusTest, AnAnswerForAProviderThatIsGoneDoesNothing) {
    env.entitleCloudKit();
    auto provider = std::make_shared<NimbrelCloudKitStatusProvider>(env.platform, source);
    provider->refresh();
    provider.reset();
    source->answer(Status::available());
    env.scheduler.runUntilIdle();
    EXPECT_EQ(env.postedCount(kCloudKitBecameAvailableNotification), 0u);
    EXPECT_TRUE(activities().empty());
}

TEST_F(CloudStatusTest, StoredDeviceIDIsReadFromTheKeychainOnly) {
    const QString service = NimbrelDeviceIdentityProvider::keychainService;
    const QString account = NimbrelDeviceIdentityProvider::keychainAccount;
    EXPECT_FALSE(NimbrelDeviceIdentityProvider::storedDeviceID().has_value());
    EXPECT_EQ(NimbrelDeviceIdentityProvider::storedDeviceIDOrUnknown(env.platform), QStringLiteral("unknown-device"));

    env.keychain.add(service, account, QByteArray());
    EXPECT_FALSE(NimbrelDeviceIdentityProvider::storedDeviceID().has_value()) << "empty";
    env.keychain.update(service, account, QByteArray("\xff\xfe", 2));
    EXPECT_FALSE(NimbrelDeviceIdentityProvider::storedDeviceID().has_value()) << "not UTF-8";
    env.keychain.update(service, account, QByteArray("ABC-Ü"));
    EXPECT_EQ(NimbrelDeviceIdentityProvider::storedDeviceID(), std::optional<QString>(QStringLiteral("ABC-Ü")));

    env.keychain.setForcedStatus(errSecInteractionNotAllowed); // locked
    EXPECT_FALSE(NimbrelDeviceIdentityProvider::storedDeviceID().has_value());
    env.keychain.setForcedStatus(errSecSuccess);
    env.platform.keychain = nullptr;
    EXPECT_FALSE(NimbrelDeviceIdentityProvider::storedDeviceID().has_value());
}

} // namespace
