#pragma once

#include "platform/Date.h"
#include "platform/ProgramIdentity.h"
#include "platform/Published.h"
#include "sync/CloudKitAccountStatus.h"

#include <memory>
#include <optional>

namespace nimbrel {

struct Platform;
class CloudContainer;

inline const QString kCloudKitBecameAvailableNotification = QStringLiteral("Nimbrel.cloudKitBecameAvailable");

// The state of the user's cloud account for the program's container, asked once per process
// and then only reported. Bound to the main thread.
class NimbrelCloudKitStatusProvider : public std::enable_shared_from_this<NimbrelCloudKitStatusProvider> {
  public:
    // The container a signed program without its own setting uses.
    static inline const QString kFixedContainerIdentifier = kNimbrelCloudKitContainerIdentifier;
    static inline const QString kContainerInfoKey = QStringLiteral("NimbrelCloudKitContainerIdentifier");

    explicit NimbrelCloudKitStatusProvider(Platform& platform) : platform_(platform) {}

    static NimbrelCloudKitStatusProvider& shared();
    static std::shared_ptr<NimbrelCloudKitStatusProvider> sharedPtr();

    Published<NimbrelCloudKitAccountStatus> status{NimbrelCloudKitAccountStatus::checking()};
    Published<std::optional<Date>> lastCheckedAt;
    // True once this Mac's registration found its device id kept nowhere but in this process:
    // it waits for a launch that can read the id from the Keychain.
    Published<bool> deviceRegistrationWaitsForKeychain{false};
    // Made by the first refresh that passes the entitlement test, then reused.
    const std::shared_ptr<CloudContainer>& container() const { return container_; }

    // Asks for the account status; the answer arrives later through `status`. Without the
    // entitlements it ends at once in an error status, so nothing waits for an answer.
    void refresh();
    // Sets deviceRegistrationWaitsForKeychain and tells the user, once.
    void noteDeviceRegistrationWaitsForKeychain();

    // The bundle's "NimbrelCloudKitContainerIdentifier" when it is non-blank text, else
    // "iCloud." + the bundle identifier, else the fixed identifier. Computed at every call.
    static QString containerIdentifier(Platform& platform);
    static QString containerIdentifier();
    // The signature carries "com.apple.developer.icloud-services" (a list of texts with
    // "CloudKit" or "CloudKit-Anonymous") and the container.
    static bool hasCloudKitEntitlements(Platform& platform);
    static bool hasCloudKitEntitlements();
    static bool hasContainerEntitlement(Platform& platform);

  private:
    void apply(const NimbrelCloudKitAccountStatus& answer, const QString& message);
    Date now() const;

    Platform& platform_;
    std::shared_ptr<CloudContainer> container_;
};

} // namespace nimbrel
