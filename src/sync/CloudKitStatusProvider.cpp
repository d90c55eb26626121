#include "sync/CloudKitStatusProvider.h"

#include "activity/ActivityRecorder.h"
#include "platform/CloudDatabase.h"
#include "platform/CodeSignature.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "platform/SharedInstance.h"

namespace nimbrel {

namespace {
const QString kServicesEntitlement = QStringLiteral("com.apple.developer.icloud-services");
const QString kContainersEntitlement = QStringLiteral("com.apple.developer.icloud-container-identifiers");

QString unavailableMessage(NimbrelCloudKitAccountStatus::Kind kind) {
    using K = NimbrelCloudKitAccountStatus::Kind;
    switch (kind) {
    case K::noAccount:
        return QStringLiteral("Sign in to Apple to sync rules, sessions and blacklist.");
    case K::restricted:
        return QStringLiteral("Sync access is restricted on this Mac.");
    case K::temporarilyUnavailable:
        return QStringLiteral("Sync is temporarily unavailable. Try again later.");
    default:
        return QStringLiteral("Nimbrel could not determine Apple account availability.");
    }
}

NimbrelCloudKitAccountStatus statusOf(CloudAccountState state) {
    switch (state) {
    case CloudAccountState::available:
        return NimbrelCloudKitAccountStatus::available();
    case CloudAccountState::restricted:
        return NimbrelCloudKitAccountStatus::restricted();
    case CloudAccountState::noAccount:
        return NimbrelCloudKitAccountStatus::noAccount();
    case CloudAccountState::temporarilyUnavailable:
        return NimbrelCloudKitAccountStatus::temporarilyUnavailable();
    case CloudAccountState::couldNotDetermine:
        break;
    }
    return NimbrelCloudKitAccountStatus::couldNotDetermine();
}

// The entitlement as a list of texts; nullopt when absent or of any other kind.
std::optional<QStringList> textListEntitlement(Platform& platform, const QString& key) {
    if (!platform.codeSignature) return std::nullopt;
    const QVariant value = platform.codeSignature->valueForEntitlement(key);
    if (value.typeId() == QMetaType::QStringList) return value.toStringList();
    if (value.typeId() != QMetaType::QVariantList) return std::nullopt;
    QStringList out;
    for (const QVariant& item : value.toList()) {
        if (item.typeId() != QMetaType::QString) return std::nullopt;
        out.append(item.toString());
    }
    return out;
}
} // namespace

std::shared_ptr<NimbrelCloudKitStatusProvider> NimbrelCloudKitStatusProvider::sharedPtr() {
    return sharedInstancePtr<NimbrelCloudKitStatusProvider>(
        [] { return std::make_shared<NimbrelCloudKitStatusProvider>(Platform::current()); });
}

NimbrelCloudKitStatusProvider& NimbrelCloudKitStatusProvider::shared() {
    return *sharedPtr();
}

QString NimbrelCloudKitStatusProvider::containerIdentifier(Platform& platform) {
    if (platform.mainBundle) {
        const QVariant value = platform.mainBundle->infoValue(kContainerInfoKey);
        // Blank text does not count; text that counts is returned as stored, spaces included.
        if (value.typeId() == QMetaType::QString && !value.toString().trimmed().isEmpty()) return value.toString();
        const std::optional<QString> bundle = platform.mainBundle->bundleIdentifier();
        if (bundle && !bundle->trimmed().isEmpty()) return QStringLiteral("iCloud.") + *bundle;
    }
    return kFixedContainerIdentifier;
}

QString NimbrelCloudKitStatusProvider::containerIdentifier() {
    return containerIdentifier(Platform::current());
}

bool NimbrelCloudKitStatusProvider::hasContainerEntitlement(Platform& platform) {
    const auto containers = textListEntitlement(platform, kContainersEntitlement);
    return containers && containers->contains(containerIdentifier(platform));
}

bool NimbrelCloudKitStatusProvider::hasCloudKitEntitlements(Platform& platform) {
    const auto services = textListEntitlement(platform, kServicesEntitlement);
    if (!services) return false;
    if (!services->contains(QStringLiteral("CloudKit")) && !services->contains(QStringLiteral("CloudKit-Anonymous")))
        return false;
    return hasContainerEntitlement(platform);
}

bool NimbrelCloudKitStatusProvider::hasCloudKitEntitlements() {
    return hasCloudKitEntitlements(Platform::current());
}

Date NimbrelCloudKitStatusProvider::now() const {
    return platform_.clock ? platform_.clock->now() : Date{};
}

void NimbrelCloudKitStatusProvider::refresh() {
    status.set(NimbrelCloudKitAccountStatus::checking());
    // A platform without a cloud is a build that is not configured for it either.
    if (!hasCloudKitEntitlements(platform_) || !platform_.cloud) {
        status.set(NimbrelCloudKitAccountStatus::error(QStringLiteral("Sync is not configured for this build.")));
        lastCheckedAt.set(now());
        recordNimbrelActivity(platform_, NimbrelActivityType::error, QStringLiteral("Device Sync Unavailable"),
                              QStringLiteral("Sync is unavailable at the moment."));
        return;
    }
    std::weak_ptr<NimbrelCloudKitStatusProvider> weak = weak_from_this();
    if (!container_) {
        container_ = platform_.cloud->container(containerIdentifier(platform_));
        // A damaged records file is set aside and a fresh one used; the user learns of it here.
        platform_.cloud->setDamageHandler([weak](const QString& problem) {
            if (auto self = weak.lock())
                recordNimbrelActivity(self->platform_, NimbrelActivityType::error,
                                      QStringLiteral("Cloud Database Damaged"), problem);
        });
    }

    Scheduler* scheduler = platform_.scheduler;
    container_->accountStatus([weak, scheduler](CloudAccountState state, std::optional<CloudError> error) {
        const NimbrelCloudKitAccountStatus answer =
            error ? NimbrelCloudKitAccountStatus::error(error->localizedDescription) : statusOf(state);
        const QString message = error ? error->localizedDescription : QString();
        auto task = [weak, answer, message] {
            if (auto self = weak.lock()) self->apply(answer, message);
        };
        if (scheduler)
            scheduler->postFromAnyThread(task);
        else
            task();
    });
}

void NimbrelCloudKitStatusProvider::noteDeviceRegistrationWaitsForKeychain() {
    if (deviceRegistrationWaitsForKeychain.get()) return;
    deviceRegistrationWaitsForKeychain.set(true);
    recordNimbrelActivity(platform_, NimbrelActivityType::info, QStringLiteral("Device Registration Waiting"),
                          QStringLiteral("This Mac will be registered for sync once its Keychain can be read."));
}

void NimbrelCloudKitStatusProvider::apply(const NimbrelCloudKitAccountStatus& answer, const QString& message) {
    using K = NimbrelCloudKitAccountStatus::Kind;
    lastCheckedAt.set(now());
    status.set(answer);
    if (answer.kind == K::error) {
        recordNimbrelActivity(platform_, NimbrelActivityType::error, QStringLiteral("Sync Failed"), message);
    } else if (answer.kind == K::available) {
        if (platform_.notifications) platform_.notifications->post(kCloudKitBecameAvailableNotification);
    } else {
        recordNimbrelActivity(platform_, NimbrelActivityType::info, QStringLiteral("Sync Unavailable"),
                              unavailableMessage(answer.kind));
    }
}

} // namespace nimbrel
