#pragma once

// A fresh platform for store tests: virtual time, in-memory defaults, real files under a
// temporary folder, and recording stand-ins for notifications, updates, keychain and signature.

#include "platform/Calendar.h"
#include "platform/CloudDatabase.h"
#include "platform/CodeSignature.h"
#include "platform/Files.h"
#include "platform/Keychain.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/RecordingUserNotifications.h"
#include "platform/SharedInstance.h"
#include "platform/SystemInfo.h"
#include "platform/UserDefaults.h"
#include "platform/UserNotifications.h"
#include "platform/VirtualScheduler.h"
#include "platform/local/ScriptedUpdateFramework.h"
#include "platform/local/SqliteCloudService.h"

#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace nimbrel::testing {

class FixedSystemInfo final : public SystemInfo {
  public:
    OperatingSystemVersion os{15, 0, 0};
    OperatingSystemVersion operatingSystemVersion() const override { return os; }
    QString modelIdentifier() const override { return QStringLiteral("Mac14,2"); }
    QString hostLocalizedName() const override { return QStringLiteral("Test Mac"); }
    QString userName() const override { return QStringLiteral("anna"); }
    QString userFullName() const override { return QStringLiteral("Anna Example"); }
    unsigned userId() const override { return 501; }
};

// 2026-03-10 12:00:00 UTC
inline constexpr Date kStart{794836800.0};

struct StorePlatform {
    QTemporaryDir dir;
    VirtualScheduler scheduler{kStart};
    NotificationCenter notifications;
    InMemoryUserDefaults defaults;
    RecordingUserNotifications userNotifications{scheduler, scheduler};
    ScriptedUpdateFramework updater{scheduler};
    FixedCodeSignature codeSignature;
    InMemoryKeychain keychain;
    FixedSystemInfo systemInfo;
    FixedMainBundle mainBundle{QStringLiteral("com.nimbrel.app")};
    // The cloud: a database file in the temporary folder, made at its first use.
    SqliteCloudService cloud{scheduler, dir.path() + QStringLiteral("/CloudDatabase.sqlite")};
    Platform platform;
    std::unique_ptr<ScopedPlatform> installed;

    StorePlatform() {
        setCurrentTimeZone(QTimeZone("UTC"));
        platform.scheduler = &scheduler;
        platform.clock = &scheduler;
        platform.notifications = &notifications;
        platform.defaults = &defaults;
        platform.locations = Locations::underRoot(dir.path());
        platform.userNotifications = &userNotifications;
        platform.updater = &updater;
        platform.codeSignature = &codeSignature;
        platform.keychain = &keychain;
        platform.systemInfo = &systemInfo;
        platform.mainBundle = &mainBundle;
        platform.cloud = &cloud;
        notifications.setRecording(true);
        installed = std::make_unique<ScopedPlatform>(platform);
    }
    ~StorePlatform() {
        resetSharedInstances();
        installed.reset();
        setCurrentTimeZone(QTimeZone());
    }

    void entitleCloudKit() {
        codeSignature.setEntitlements({
            {QStringLiteral("com.apple.developer.icloud-services"), QStringList{QStringLiteral("CloudKit")}},
            {QStringLiteral("com.apple.developer.icloud-container-identifiers"),
             QStringList{QStringLiteral("iCloud.com.nimbrel.app")}},
        });
    }

    // Names of the notifications posted so far, with `name`.
    size_t postedCount(const QString& name) const {
        size_t n = 0;
        for (const auto& p : notifications.posted())
            if (p.name == name) ++n;
        return n;
    }
};

} // namespace nimbrel::testing
