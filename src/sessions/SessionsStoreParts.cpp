#include "sessions/SessionDockManager.h"
#include "sessions/SessionReminderScheduler.h"
#include "sessions/SessionWallpaperManager.h"
#include "sessions/SessionsStore.h"

#include "sessions/SessionsCloudSync.h"

namespace nimbrel {

NimbrelSessionsStore::Parts NimbrelSessionsStore::Parts::standard(Platform& platform) {
    Parts parts = none();
    parts.dock = std::make_shared<NimbrelSessionDockManager>(platform);
    parts.wallpapers = std::make_shared<NimbrelSessionWallpaperManager>(platform);
    parts.reminders = []() -> SessionReminderControl& { return NimbrelSessionReminderScheduler::shared(); };
    parts.makeCloudSide = [&platform](std::weak_ptr<NimbrelSessionsStore> store) {
        return std::make_unique<SessionsCloudSync>(platform, std::move(store), StoreSyncLinks::shared());
    };
    return parts;
}

} // namespace nimbrel
