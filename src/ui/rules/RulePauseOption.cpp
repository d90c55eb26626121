#include "ui/rules/RulePauseOption.h"

#include <array>

namespace nimbrel::rulePause {

namespace {

struct OptionInfo {
    const char* raw;
    const char* title;
    double seconds; // 0: no timed pause
};

constexpr std::array<OptionInfo, 10> kOptions{{
    {"resume", "Resume now", 0},
    {"fiveMinutes", "Pause for 5 minutes", 300},
    {"fifteenMinutes", "Pause for 15 minutes", 900},
    {"thirtyMinutes", "Pause for 30 minutes", 1800},
    {"oneHour", "Pause for 1 hour", 3600},
    {"twoHours", "Pause for 2 hours", 7200},
    {"sixHours", "Pause for 6 hours", 21600},
    {"twelveHours", "Pause for 12 hours", 43200},
    {"indefinite", "Pause indefinitely", 0},
    {"custom", "Custom\u2026", 0},
}};

const OptionInfo& info(RulePauseOption option) {
    return kOptions[static_cast<size_t>(option)];
}

} // namespace

std::vector<RulePauseOption> allCases() {
    std::vector<RulePauseOption> out;
    for (size_t i = 0; i < kOptions.size(); ++i)
        out.push_back(static_cast<RulePauseOption>(i));
    return out;
}

std::vector<RulePauseOption> menuOptions() {
    std::vector<RulePauseOption> out = allCases();
    out.erase(out.begin()); // resume is the paused card's own button
    return out;
}

QString rawValue(RulePauseOption option) {
    return QString::fromLatin1(info(option).raw);
}

std::optional<RulePauseOption> fromRawValue(const QString& text) {
    for (RulePauseOption option : allCases())
        if (rawValue(option) == text) return option;
    return std::nullopt;
}

QString title(RulePauseOption option) {
    return QString::fromUtf8(info(option).title);
}

std::optional<Date> pauseDate(RulePauseOption option, Date now) {
    if (option == RulePauseOption::indefinite) return Date::distantFuture();
    const double seconds = info(option).seconds;
    if (seconds <= 0) return std::nullopt;
    return now.addingSeconds(seconds);
}

} // namespace nimbrel::rulePause
