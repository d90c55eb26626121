#include "ui/screens/ScreenNavigation.h"

#include "model/BlacklistSearch.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"

namespace nimbrel {

void goBackToMainScreen(Platform& platform) {
    if (platform.notifications) platform.notifications->post(kShowMainWindowNotification);
}

} // namespace nimbrel
