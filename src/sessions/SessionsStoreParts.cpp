#include "sessions/SessionDockManager.h"
#include "sessions/SessionReminderScheduler.h"
#include "sessions/SessionWallpaperManager.h"
#include "sessions/SessionsStore.h"

namespace nimbrel {

NimbrelSessionsStore::Parts NimbrelSessionsStore::Parts::standard(Platform& platform) {
    Parts parts = none();
    parts.dock = std::make_shared<NimbrelSessionDockManager>(platform);
    parts.wallpapers = std::make_shared<NimbrelSessionWallpaperManager>(platform);
    parts.reminders = []() -> SessionReminderControl& { return NimbrelSessionReminderScheduler::shared(); };
    return parts;
}

} // namespace nimbrel
