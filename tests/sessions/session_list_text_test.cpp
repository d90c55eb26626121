#include "AppIdsBlanked.h"
#include "sessions/SessionCoding.h"
#include "sessions/SessionListText.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <functional>

namespace nimbrel::test {
namespace {

NimbrelSession session(const QString& name) {
    NimbrelSession s;
    s.name = name;
    s.createdAt = s.updatedAt = Date{794836800.0};
    s.allowedApps = {{Uuid::random(), "Safari", QStringLiteral("com.apple.Safari"), std::nullopt},
                     {Uuid::random(), " finder.app ", std::nullopt, std::nullopt},
                     {Uuid::random(), "Notes", std::nullopt, QStringLiteral("~/Applications/Notes.app")}};
    s.whitelistedApps = {{Uuid::random(), "Safari again", QStringLiteral(" COM.APPLE.SAFARI "), std::nullopt}};
    s.wallpaperSelections = {
        {Uuid::random(), "Lake.jpg", "~/Pictures/Lake.jpg", NimbrelSessionDisplayTarget::screen(1)}};
    return s;
}

TEST(SessionListText, EveryListIsWhatEncodingTheWholeListWrites) {
    std::vector<NimbrelSession> list;
    const std::vector<std::pair<const char*, std::function<void()>>> steps = {
        {"empty", [] {}},
        {"one", [&] { list.push_back(session("Work")); }},
        {"another", [&] { list.push_back(session("Evening")); }},
        {"a name needing escapes", [&] { list[0].name = QStringLiteral("Line\nbreak \"quoted\" \\ \u00e9\u6f22 \t"); }},
        {"no apps, no pictures, no days",
         [&] {
             list[1].allowedApps.clear();
             list[1].whitelistedApps.clear();
             list[1].wallpaperSelections.clear();
             list[1].scheduleWeekdays = {};
         }},
        {"reordered", [&] { std::swap(list[0], list[1]); }},
        {"a third in the middle", [&] { list.insert(list.begin() + 1, session("Middle")); }},
        {"two of one id", [&] { list.push_back(list[1]); }},
        {"the two of one id differ", [&] { list.back().isPinned = true; }},
        {"the first removed", [&] { list.erase(list.begin()); }},
        {"all removed", [&] { list.clear(); }},
        {"one again", [&] { list.push_back(session("Again")); }},
    };
    SessionListText text;
    for (const auto& [what, step] : steps) {
        step();
        EXPECT_EQ(withAppIdsBlanked(text.render(list)), withAppIdsBlanked(encodeSessionList(list))) << what;
    }
}

} // namespace
} // namespace nimbrel::test
