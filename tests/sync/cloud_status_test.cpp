#include "sync/CloudKitStatusProvider.h"

#include "activity/ActivityRecorder.h"
#include "model/StorePlatform.h"
#include "platform/CloudDatabase.h"
#include "platform/MainBundle.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace nimbrel;
using nimbrel::testing::StorePlatform;
using Status = NimbrelCloudKitAccountStatus;

namespace {

const QString kServices = QStringLiteral("com.apple.developer.icloud-services");
const QString kContainers = QStringLiteral("com.apple.developer.icloud-container-identifiers");
const QString kContainer = QStringLiteral("iCloud.com.nimbrel.app");

class CloudStatusTest : public ::testing::Test {
  protected:
    StorePlatform env;
    std::shared_ptr<NimbrelCloudKitStatusProvider> provider =
        std::make_shared<NimbrelCloudKitStatusProvider>(env.platform);

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

TEST_F(CloudStatusTest, ContainerIdentifierComesFromTheBundle) {
    struct Case {
        QVariant infoValue;
        std::optional<QString> bundleID;
        QString expected;
    };
    const Case cases[] = {
        {QStringLiteral("iCloud.com.example.sync"), QStringLiteral("com.nimbrel.app"), "iCloud.com.example.sync"},
        {QStringLiteral("  iCloud.x  "), QStringLiteral("com.nimbrel.app"), "  iCloud.x  "}, // kept as stored
        {QStringLiteral(" \n\t"), QStringLiteral("com.nimbrel.app"), "iCloud.com.nimbrel.app"},
        {QVariant(42), QStringLiteral("org.example.app"), "iCloud.org.example.app"}, // not text: no value
        {QVariantList{QStringLiteral("iCloud.a")}, QStringLiteral("org.example.app"), "iCloud.org.example.app"},
        {QVariant(), QStringLiteral("  "), kContainer},
        {QVariant(), std::nullopt, kContainer},
    };
    for (const Case& c : cases) {
        FixedMainBundle bundle(c.bundleID);
        if (c.infoValue.isValid()) bundle.setInfoValue(NimbrelCloudKitStatusProvider::kContainerInfoKey, c.infoValue);
        env.platform.mainBundle = &bundle;
        EXPECT_EQ(NimbrelCloudKitStatusProvider::containerIdentifier(env.platform), c.expected)
            << c.expected.toStdString();
    }
    env.platform.mainBundle = nullptr;
    EXPECT_EQ(NimbrelCloudKitStatusProvider::containerIdentifier(env.platform), kContainer);

    // A container setting with spaces is looked up as written, so the usual entitlement misses it.
    env.platform.mainBundle = &env.mainBundle;
    env.mainBundle.setInfoValue(NimbrelCloudKitStatusProvider::kContainerInfoKey,
                                QStringLiteral(" iCloud.com.nimbrel.app"));
    env.entitleCloudKit();
    EXPECT_FALSE(NimbrelCloudKitStatusProvider::hasCloudKitEntitlements(env.platform));
}

TEST_F(CloudStatusTest, RefreshWithoutEntitlementsEndsInAnErrorAndMakesNoContainer) {
    provider->refresh();
    EXPECT_EQ(provider->status.get(), Status::error(QStringLiteral("Sync is not configured for this build.")));
    EXPECT_EQ(provider->status.get().title(), QStringLiteral("Sync Error"));
    EXPECT_EQ(provider->lastCheckedAt.get(), std::optional<Date>(env.scheduler.now()));
    EXPECT_EQ(provider->container(), nullptr);
    ASSERT_EQ(activities().size(), 1u);
    EXPECT_EQ(activities()[0].userInfo.value("title").toString(), QStringLiteral("Device Sync Unavailable"));
    EXPECT_EQ(activities()[0].userInfo.value("message").toString(),
              QStringLiteral("Sync is unavailable at the moment."));
    EXPECT_EQ(activities()[0].userInfo.value("type").toString(), QStringLiteral("error"));
}

TEST_F(CloudStatusTest, EachAccountAnswerBecomesItsStatusActivityAndNotification) {
    env.entitleCloudKit();
    struct Case {
        CloudAccountState state;
        std::optional<CloudError> error;
        Status status;
        QString title; // of the activity; empty: none
        QString message;
    };
    const CloudError lost = CloudError::make(CloudError::networkFailure, QStringLiteral("The connection was lost."));
    const Case cases[] = {
        {CloudAccountState::available, std::nullopt, Status::available(), {}, {}},
        {CloudAccountState::noAccount, std::nullopt, Status::noAccount(), "Sync Unavailable",
         "Sign in to Apple to sync rules, sessions and blacklist."},
        {CloudAccountState::restricted, std::nullopt, Status::restricted(), "Sync Unavailable",
         "Sync access is restricted on this Mac."},
        {CloudAccountState::couldNotDetermine, std::nullopt, Status::couldNotDetermine(), "Sync Unavailable",
         "Nimbrel could not determine Apple account availability."},
        {CloudAccountState::temporarilyUnavailable, std::nullopt, Status::temporarilyUnavailable(), "Sync Unavailable",
         "Sync is temporarily unavailable. Try again later."},
        {CloudAccountState::available, lost, Status::error(lost.localizedDescription), "Sync Failed",
         lost.localizedDescription},
    };
    for (const Case& c : cases) {
        env.notifications.clearPosted();
        auto p = std::make_shared<NimbrelCloudKitStatusProvider>(env.platform);
        env.cloud.conditions().account = c.state;
        env.cloud.conditions().accountCheckError = c.error;
        p->refresh();
        EXPECT_EQ(p->status.get(), Status::checking()) << "the answer comes later";
        env.scheduler.runUntilIdle();
        EXPECT_EQ(p->status.get(), c.status) << c.message.toStdString();
        EXPECT_EQ(p->lastCheckedAt.get(), std::optional<Date>(env.scheduler.now()));
        EXPECT_EQ(env.postedCount(kCloudKitBecameAvailableNotification), c.status == Status::available() ? 1u : 0u);
        const auto recorded = activities();
        ASSERT_EQ(recorded.size(), c.title.isEmpty() ? 0u : 1u);
        if (!c.title.isEmpty()) {
            EXPECT_EQ(recorded[0].userInfo.value("title").toString(), c.title);
            EXPECT_EQ(recorded[0].userInfo.value("message").toString(), c.message);
            EXPECT_EQ(recorded[0].userInfo.value("type").toString(), c.error ? "error" : "info");
        }
    }
}

TEST_F(CloudStatusTest, TheContainerIsMadeOnceAndAnAnswerForAGoneProviderDoesNothing) {
    env.entitleCloudKit();
    provider->refresh();
    const auto container = provider->container();
    ASSERT_NE(container, nullptr);
    EXPECT_EQ(container->identifier(), kContainer);
    provider->refresh();
    EXPECT_EQ(provider->container(), container);
    env.scheduler.runUntilIdle();

    env.notifications.clearPosted();
    auto gone = std::make_shared<NimbrelCloudKitStatusProvider>(env.platform);
    gone->refresh();
    gone.reset();
    env.scheduler.runUntilIdle();
    EXPECT_EQ(env.postedCount(kCloudKitBecameAvailableNotification), 0u);
    EXPECT_TRUE(activities().empty());
}

} // namespace
