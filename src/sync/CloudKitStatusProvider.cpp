#include "sync/CloudKitStatusProvider.h"

#include "activity/ActivityRecorder.h"
#include "platform/CodeSignature.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/ProgramIdentity.h"
#include "platform/Scheduler.h"
#include "platform/SharedInstance.h"

namespace nimbrel {

namespace {
const QString kServicesEntitlement = QStringLiteral("com.apple.developer.icloud-services");
const QString kContainersEntitlement = QStringLiteral("com.apple.developer.icloud-container-identifiers");
const QString kFixedContainer = kNimbrelCloudKitContainerIdentifier;

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
} // namespace

NimbrelCloudKitStatusProvider::NimbrelCloudKitStatusProvider(Platform& platform,
                                                             std::shared_ptr<CloudAccountStatusSource> source)
    : platform_(platform), source_(std::move(source)) {}

std::shared_ptr<NimbrelCloudKitStatusProvider> NimbrelCloudKitStatusProvider::sharedPtr() {
    return sharedInstancePtr<NimbrelCloudKitStatusProvider>(
        [] { return std::make_shared<NimbrelCloudKitStatusProvider>(Platform::current()); });
}

NimbrelCloudKitStatusProvider& NimbrelCloudKitStatusProvider::shared() {
    return *sharedPtr();
}

QString NimbrelCloudKitStatusProvider::containerIdentifier(Platform&) {
    // The bundle's own setting is not available on this machine; the built-in identifier stands.
    return kFixedContainer;
}

namespace {
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

void NimbrelCloudKitStatusProvider::refresh() {
    status.set(NimbrelCloudKitAccountStatus::checking());
    if (!hasCloudKitEntitlements(platform_) || !source_) {
        status.set(NimbrelCloudKitAccountStatus::error(QStringLiteral("Sync is not configured for this build.")));
        lastCheckedAt.set(platform_.clock ? platform_.clock->now() : Date{});
        recordNimbrelActivity(platform_, NimbrelActivityType::error, QStringLiteral("Device Sync Unavailable"),
                              QStringLiteral("Sync is unavailable at the moment."));
        return;
    }
    std::weak_ptr<NimbrelCloudKitStatusProvider> weak = weak_from_this();
    Scheduler* scheduler = platform_.scheduler;
    source_->accountStatus([weak, scheduler](NimbrelCloudKitAccountStatus answer) {
        auto deliver = [weak, answer] {
            if (auto self = weak.lock()) self->apply(answer);
        };
        if (scheduler)
            scheduler->postFromAnyThread(deliver);
        else
            deliver();
    });
}

void NimbrelCloudKitStatusProvider::apply(const NimbrelCloudKitAccountStatus& answer) {
    using K = NimbrelCloudKitAccountStatus::Kind;
    lastCheckedAt.set(platform_.clock ? platform_.clock->now() : Date{});
    status.set(answer);
    if (answer.kind == K::error) {
        recordNimbrelActivity(platform_, NimbrelActivityType::error, QStringLiteral("Sync Failed"),
                              answer.errorMessage);
    } else if (answer.kind == K::available) {
        if (platform_.notifications) platform_.notifications->post(kCloudKitBecameAvailableNotification);
    } else {
        recordNimbrelActivity(platform_, NimbrelActivityType::info, QStringLiteral("Sync Unavailable"),
                              unavailableMessage(answer.kind));
    }
}

} // namespace nimbrel
