#include "sessions/SessionCoding.h"
#include "support/QtPrinters.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

const Date kNow{794836800.0}; // 2026-03-10 12:00:00 UTC
const QString kId = QStringLiteral("6A2F41A0-7B8C-4D2E-9F10-112233445566");

json::Decoded<std::vector<NimbrelSession>> decodeOne(const QString& members) {
    return decodeSessionList(QStringLiteral("[{\"id\": \"%1\"%2}]").arg(kId, members).toUtf8(), kNow);
}

TEST(SessionCoding, AnObjectWithOnlyAnIdTakesEveryDefault) {
    const auto decoded = decodeOne({});
    ASSERT_TRUE(decoded) << decoded.error.toStdString();
    const NimbrelSession& s = decoded.value->front();
    EXPECT_EQ(s.id.toString(), kId);
    EXPECT_EQ(s.name, "Session");
    EXPECT_TRUE(s.isEnabled);
    EXPECT_FALSE(s.isPinned);
    EXPECT_TRUE(s.allowedApps.empty() && s.whitelistedApps.empty() && s.wallpaperSelections.empty());
    EXPECT_EQ(s.scheduleStartTime, (NimbrelSessionClockTime{9, 0}));
    EXPECT_EQ(s.scheduleEndTime, (NimbrelSessionClockTime{17, 0}));
    EXPECT_EQ(s.scheduleWeekdays.size(), 7u);
    EXPECT_TRUE(s.syncWallpapersAcrossDisplays);
    EXPECT_EQ(s.menuBarSymbolName, "NIMBREL_MENU_BAR");
    EXPECT_TRUE(s.whitelistAllApps);
    EXPECT_TRUE(s.remindBeforeSession);
    EXPECT_EQ(s.remindBeforeSessionSeconds, 120);
    EXPECT_EQ(s.createdAt, kNow);
    EXPECT_EQ(s.updatedAt, kNow);
}

TEST(SessionCoding, LegacyWallpaperKeysGiveOneSelectionOnlyWhenComplete) {
    const struct {
        const char* members;
        bool selection;
    } cases[] = {
        {R"(, "usesCustomWallpaper": true, "wallpaperPath": "~/Pictures/a.jpg")", true},
        {R"(, "usesCustomWallpaper": false, "wallpaperPath": "~/Pictures/a.jpg")", false},
        {R"(, "usesCustomWallpaper": true, "wallpaperPath": "")", false},
        {R"(, "usesCustomWallpaper": true)", false},
        {R"(, "usesCustomWallpaper": true, "wallpaperPath": "~/Pictures/a.jpg", "wallpaperSelections": [
              {"id": "11111111-2222-3333-4444-555555555555", "displayName": "b.jpg", "path": "/b.jpg",
               "displayTarget": {"type": "screenIndex", "index": 1}}])",
         false},
    };
    for (const auto& c : cases) {
        const auto decoded = decodeOne(QString::fromUtf8(c.members));
        ASSERT_TRUE(decoded) << c.members;
        const auto& selections = decoded.value->front().wallpaperSelections;
        if (!c.selection) {
            const bool onlyStored = selections.empty() || (selections.size() == 1 && selections[0].path == "/b.jpg");
            EXPECT_TRUE(onlyStored) << c.members;
            continue;
        }
        ASSERT_EQ(selections.size(), 1u);
        EXPECT_EQ(selections.front().displayName, "a.jpg");
        EXPECT_EQ(selections.front().path, "~/Pictures/a.jpg");
        EXPECT_EQ(selections.front().displayTarget, NimbrelSessionDisplayTarget::automatic());

        // Written back, the selection is kept and the old keys are gone.
        const QJsonObject written = encodeSession(decoded.value->front());
        EXPECT_EQ(written.size(), 17);
        EXPECT_FALSE(written.contains("usesCustomWallpaper") || written.contains("wallpaperPath"));
        EXPECT_EQ(written.value("wallpaperSelections").toArray().size(), 1);
    }
}

TEST(SessionCoding, DisplayTargets) {
    const struct {
        const char* target;
        std::optional<NimbrelSessionDisplayTarget> expected;
    } cases[] = {
        {R"({"type": "automatic"})", NimbrelSessionDisplayTarget::automatic()},
        {R"({"type": "automatic", "index": 3})", NimbrelSessionDisplayTarget::automatic()},
        {R"({"type": "screenIndex", "index": 1})", NimbrelSessionDisplayTarget::screen(1)},
        {R"({"type": "screenIndex"})", std::nullopt},
        {R"({"type": "mirror", "index": 0})", std::nullopt},
        {R"({"index": 0})", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto decoded = decodeOne(QStringLiteral(R"(, "wallpaperSelections": [{"id": "%1", "displayName": "a",
            "path": "/a.jpg", "displayTarget": %2}])")
                                           .arg(kId, QString::fromUtf8(c.target)));
        ASSERT_EQ(bool(decoded), c.expected.has_value()) << c.target << " " << decoded.error.toStdString();
        if (c.expected) {
            EXPECT_EQ(decoded.value->front().wallpaperSelections.front().displayTarget, *c.expected);
        }
    }
}

TEST(SessionCoding, AWrongTypeFailsTheWholeListWhileNullsAndUnknownKeysDoNot) {
    const struct {
        const char* members;
        bool decodes;
    } cases[] = {
        {R"(, "name": null, "isPinned": null, "createdAt": null, "somethingNew": [1, 2])", true},
        {R"(, "isEnabled": "yes")", false},
        {R"(, "remindBeforeSessionSeconds": 1.5)", false},
        {R"(, "scheduleWeekdays": ["monday", "someday"])", false},
        {R"(, "allowedApps": [{"displayName": "No id"}])", false},
        {R"(, "createdAt": "2026-03-10 12:00")", false},
        {R"(, "usesCustomWallpaper": "true")", false},
    };
    for (const auto& c : cases) {
        const QByteArray list = QStringLiteral(R"([{"id": "%1", "name": "Fine"}, {"id": "%1"%2}])")
                                    .arg(kId, QString::fromUtf8(c.members))
                                    .toUtf8();
        const auto decoded = decodeSessionList(list, kNow);
        EXPECT_EQ(bool(decoded), c.decodes) << c.members;
        if (!c.decodes) {
            EXPECT_FALSE(decoded.error.isEmpty());
        }
    }
}

TEST(SessionCoding, WritingAndReadingKeepsEverythingButTheAppsIds) {
    NimbrelSession s;
    s.name = QStringLiteral("Deep Work");
    s.isPinned = true;
    s.allowedApps = {NimbrelSessionApp{Uuid::random(), "Safari", QStringLiteral("com.apple.Safari"), std::nullopt},
                     NimbrelSessionApp{Uuid::random(), "Tool", std::nullopt, QStringLiteral("~/Applications/Tool.app")},
                     NimbrelSessionApp{Uuid::random(), "Safari again", QStringLiteral("COM.APPLE.SAFARI"), {}}};
    s.scheduleStartTime = {22, 30};
    s.scheduleEndTime = {6, 0};
    s.scheduleWeekdays = {NimbrelSessionWeekday::monday, NimbrelSessionWeekday::saturday};
    s.wallpaperSelections = {{Uuid::random(), "b.jpg", "/b.jpg", NimbrelSessionDisplayTarget::screen(2)}};
    s.createdAt = Date{kNow.secondsSinceReferenceDate - 86400};
    s.updatedAt = Date{kNow.secondsSinceReferenceDate + 0.75}; // fractions are dropped

    const auto back = decodeSessionList(encodeSessionList({s}), kNow);
    ASSERT_TRUE(back) << back.error.toStdString();
    NimbrelSession read = back.value->front();
    EXPECT_EQ(read.updatedAt, kNow);
    ASSERT_EQ(read.allowedApps.size(), 2u); // the repeated Safari is dropped on writing
    EXPECT_EQ(read.allowedApps[1].path, QStringLiteral("~/Applications/Tool.app"));
    read.allowedApps = s.allowedApps = {};
    read.updatedAt = s.updatedAt;
    EXPECT_EQ(read, s);
}

} // namespace
} // namespace nimbrel
