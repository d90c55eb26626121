#include "StoreSeeds.h"

#include "platform/Calendar.h"

#include <array>

namespace nimbrel::seed {

namespace {

struct KnownApp {
    const char* name;
    const char* identifier;
    const char* path;
};
// Apps the simulated Mac has installed; the generated ones beside them are missing there.
constexpr std::array kKnownApps{
    KnownApp{"Safari", "com.apple.Safari", "/Applications/Safari.app"},
    KnownApp{"Mail", "com.apple.mail", "/System/Applications/Mail.app"},
    KnownApp{"Notes", "com.apple.Notes", "/System/Applications/Notes.app"},
    KnownApp{"Terminal", "com.apple.Terminal", "/System/Applications/Utilities/Terminal.app"},
    KnownApp{"Google Chrome", "com.google.Chrome", "/Applications/Google Chrome.app"},
};

NimbrelRuleAppTarget ruleApp(int i) {
    if (i % 4 == 0) {
        const KnownApp& app = kKnownApps[size_t(i / 4) % kKnownApps.size()];
        return {QString::fromLatin1(app.name), QString::fromLatin1(app.identifier), QString::fromLatin1(app.path)};
    }
    return {QStringLiteral("Tool %1").arg(i), QStringLiteral("com.example.tool%1").arg(i),
            QStringLiteral("/Applications/Tool %1.app").arg(i)};
}

NimbrelRuleAction ruleAction(int i, int k) {
    const auto placement = static_cast<NimbrelWindowPlacement>((i + k) % 9);
    switch ((i + k) % 4) {
    case 0:
        return NimbrelRuleAction::openFolder(
            {.folder = {QStringLiteral("Project %1").arg(i), QStringLiteral("~/Documents/Projects/p%1").arg(i)},
             .placement = placement,
             .displayTarget = std::nullopt});
    case 1:
        return NimbrelRuleAction::openBrowserWebsite(
            {.browser = ruleApp(0),
             .urlString = QStringLiteral("https://example.com/board/%1?view=week").arg(i),
             .openingMode = static_cast<NimbrelBrowserOpeningMode>(k % 2),
             .placement = placement,
             .displayTarget = std::nullopt});
    case 2:
        return NimbrelRuleAction::openApp({.app = ruleApp(i + k + 1), .placement = placement, .displayTarget = {}});
    default:
        return NimbrelRuleAction::runTerminalScript(
            {.terminalApp = ruleApp(12),
             .commands = {{.command = QStringLiteral("cd ~/src/project-%1 && git status").arg(i)}},
             .stopOnFirstFailure = true});
    }
}

NimbrelSessionApp sessionApp(int i) {
    if (i % 3 == 0) {
        const KnownApp& app = kKnownApps[size_t(i / 3) % kKnownApps.size()];
        return {Uuid::random(), QString::fromLatin1(app.name), QString::fromLatin1(app.identifier),
                QString::fromLatin1(app.path)};
    }
    return {Uuid::random(), QStringLiteral("Helper %1").arg(i), QStringLiteral("com.example.helper%1").arg(i),
            QStringLiteral("/Applications/Helper %1.app").arg(i)};
}

} // namespace

std::vector<NimbrelRule> rules(int count, Date now) {
    std::vector<NimbrelRule> out;
    out.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        std::vector<NimbrelRuleAction> actions;
        for (int k = 0; k < 1 + i % 4; ++k)
            actions.push_back(ruleAction(i, k));
        NimbrelRule rule =
            NimbrelRule::make(QStringLiteral("Morning set-up %1").arg(i), i % 5 != 0, i % 11 == 0,
                              {1 + i % 3, ruleApp(i)}, std::move(actions), now.addingSeconds(-60.0 * (count - i)));
        if (i % 3 == 0) {
            rule.availability = {NimbrelRuleAvailabilityMode::scheduled,
                                 {NimbrelWeekday::monday, NimbrelWeekday::wednesday, NimbrelWeekday::friday},
                                 NimbrelClockTime{8, 30},
                                 NimbrelClockTime{18, 0}};
        }
        out.push_back(std::move(rule));
    }
    return out;
}

QStringList blacklistedApps(int count) {
    QStringList keys;
    keys.reserve(count);
    for (int i = 0; i < count; ++i)
        keys << QStringLiteral("com.blocked.app%1").arg(i, 5, 10, QLatin1Char('0'));
    keys.sort();
    return keys;
}

std::vector<NimbrelSession> sessions(int count, Date now) {
    const int hour = Calendar::current().components(now).hour;
    std::vector<NimbrelSession> out;
    out.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        NimbrelSession s;
        s.name = QStringLiteral("Focus %1").arg(i, 4, 10, QLatin1Char('0'));
        s.isPinned = i % 13 == 0;
        s.whitelistAllApps = i % 2 == 0;
        // From two to twenty-one hours ahead, so that no session runs while measured.
        const int start = (hour + 2 + i % 20) % 24;
        s.scheduleStartTime = {start, (i * 7) % 30};
        s.scheduleEndTime = {start, 30 + (i * 7) % 30};
        for (int a = 0; a < 8; ++a)
            s.allowedApps.push_back(sessionApp(i + a));
        for (int a = 0; a < 6; ++a)
            s.whitelistedApps.push_back(sessionApp(i * 6 + a + 1));
        if (i % 2)
            s.wallpaperSelections.push_back({Uuid::random(), QStringLiteral("Lake.jpg"),
                                             QStringLiteral("~/Pictures/Wallpapers/Lake.jpg"),
                                             NimbrelSessionDisplayTarget::automatic()});
        s.createdAt = s.updatedAt = now.addingSeconds(-3600.0 * (count - i));
        out.push_back(std::move(s));
    }
    return out;
}

std::vector<NimbrelActivityEntry> activity(int count, Date now) {
    static const std::array<QString, 6> kTitles{QStringLiteral("Session Started"), QStringLiteral("Rule Triggered"),
                                                QStringLiteral("App Blacklisted"), QStringLiteral("App Whitelisted"),
                                                QStringLiteral("Rule Failed"),     QStringLiteral("Sync Completed")};
    std::vector<NimbrelActivityEntry> out;
    out.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const auto type = static_cast<NimbrelActivityType>(i % 6);
        out.push_back({Uuid::random(), type, kTitles[size_t(i % 6)],
                       QStringLiteral("Rule %1 opened its websites in Safari").arg(i),
                       now.addingSeconds(-29.0 * 86400 * (count - i) / count)});
    }
    return out;
}

} // namespace nimbrel::seed
