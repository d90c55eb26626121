#pragma once

#include "platform/Date.h"
#include "platform/Published.h"
#include "sync/CloudKitAccountStatus.h"

#include <functional>
#include <memory>
#include <optional>

namespace nimbrel {

struct Platform;

inline const QString kCloudKitBecameAvailableNotification = QStringLiteral("Nimbrel.cloudKitBecameAvailable");

// Where the account answer comes from. The cloud subsystem supplies the real one; the
// completion may run later and must be delivered on the main thread.
class CloudAccountStatusSource {
  public:
    virtual ~CloudAccountStatusSource() = default;
    virtual void accountStatus(std::function<void(NimbrelCloudKitAccountStatus)> completion) = 0;
};

// The state of the user's cloud account, asked once per process and then only reported.
class NimbrelCloudKitStatusProvider : public std::enable_shared_from_this<NimbrelCloudKitStatusProvider> {
  public:
    explicit NimbrelCloudKitStatusProvider(Platform& platform, std::shared_ptr<CloudAccountStatusSource> source = {});

    static NimbrelCloudKitStatusProvider& shared();
    static std::shared_ptr<NimbrelCloudKitStatusProvider> sharedPtr();

    Published<NimbrelCloudKitAccountStatus> status{NimbrelCloudKitAccountStatus::checking()};
    Published<std::optional<Date>> lastCheckedAt;

    // Asks for the account status; the answer arrives later through `status`. Posts
    // "Nimbrel.cloudKitBecameAvailable" when the account is available.
    void refresh();

    static QString containerIdentifier(Platform& platform);
    // The signature carries "com.apple.developer.icloud-services" with CloudKit and the container.
    static bool hasCloudKitEntitlements(Platform& platform);
    static bool hasCloudKitEntitlements();
    static bool hasContainerEntitlement(Platform& platform);

  private:
    void apply(const NimbrelCloudKitAccountStatus& answer);

    Platform& platform_;
    std::shared_ptr<CloudAccountStatusSource> source_;
};

} // namespace nimbrel
