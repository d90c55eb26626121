#include "ui/screens/ScreenPreviewData.h"

#include "activity/ActivityStore.h"
#include "model/BlacklistStore.h"
#include "platform/Calendar.h"
#include "platform/LoginItems.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

namespace nimbrel {

QByteArray previewAccountPhoto() {
    QImage image(160, 160, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 160, 160);
    gradient.setColorAt(0, QColor(255, 159, 67));
    gradient.setColorAt(1, QColor(214, 48, 120));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::white);
    QFont font;
    font.setPixelSize(64);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("AL"));
    painter.end();
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return jpeg;
}

void seedSettingsActivityBlacklistPreview(Platform& platform) {
    if (platform.loginItems) platform.loginItems->registerMainApp();

    UserDefaults& defaults = *platform.defaults;
    const Date now = platform.clock->now();
    defaults.setString(QStringLiteral("Nimbrel.settings.lastUpdateCheckedText"),
                       DateFormatter(DateStyle::Short, DateStyle::Short).string(now.addingSeconds(-3 * 3600)));
    defaults.setString(QStringLiteral("Nimbrel.settings.behaviorMode"), QStringLiteral("cycling"));
    defaults.setStringArray(
        BlacklistStore::defaultsKey,
        {QStringLiteral("com.apple.Notes"), QStringLiteral("com.google.Chrome"), QStringLiteral("com.openai.chat")});

    struct Seed {
        int daysAgo;
        double hour;
        NimbrelActivityType type;
        const char* title;
        const char* message;
    };
    const Seed seeds[] = {
        {0, -0.2, NimbrelActivityType::rule, "Rule Matched", "Safari opened your morning websites in a new window."},
        {0, -1.5, NimbrelActivityType::session, "Session Started", "Deep Work replaced the Dock with 5 apps."},
        {0, -2.6, NimbrelActivityType::blacklist, "App Blacklisted", "Google Chrome was added to the blacklist."},
        {0, -3.0, NimbrelActivityType::info, "Update Check Started", "Nimbrel started checking for software updates."},
        {1, -5.0, NimbrelActivityType::error, "Terminal Script Failed", "Terminal did not answer within 10 seconds."},
        {1, -7.0, NimbrelActivityType::session, "Session Ended", "The Dock and wallpapers from before are back."},
        {3, -4.0, NimbrelActivityType::rule, "Windows Arranged", "Mail and Calendar were placed side by side."},
        {6, -2.0, NimbrelActivityType::info, "Cloud Sync Enabled", "Nimbrel will sync rules, sessions and blacklist."},
    };
    NimbrelActivityStore& activity = NimbrelActivityStore::shared(platform);
    const Calendar calendar = Calendar::current();
    for (const Seed& seed : seeds) {
        const Date day = calendar.addingDays(now, -seed.daysAgo);
        activity.add({Uuid::random(), seed.type, QString::fromUtf8(seed.title), QString::fromUtf8(seed.message),
                      day.addingSeconds(seed.hour * 3600)});
    }
}

} // namespace nimbrel
