#include "ui/rules/RuleSentence.h"

#include "platform/Calendar.h"
#include "ui/rules/RuleState.h"

#include <QStringList>

namespace nimbrel {

namespace {

template <class... Fs> struct Overloaded : Fs... { using Fs::operator()...; };

std::int64_t nonBlankCommandCount(const TerminalScriptRuleAction& action) {
    std::int64_t count = 0;
    for (const TerminalScriptCommand& command : action.commands)
        if (!command.command.trimmed().isEmpty()) ++count;
    return count;
}

void appendActionPills(const NimbrelRuleAction& action, std::vector<RuleTagPill>& pills) {
    using Pill = RuleTagPill;
    std::visit(
        Overloaded{
            [&](const OpenFolderRuleAction& a) {
                pills.push_back({Pill::Folder{a.folder.displayName}});
                if (a.placement != NimbrelWindowPlacement::front) pills.push_back({Pill::Placement{a.placement}});
            },
            [&](const OpenAppRuleAction& a) {
                if (a.placement != NimbrelWindowPlacement::front) pills.push_back({Pill::Placement{a.placement}});
            },
            [&](const OpenBrowserWebsiteRuleAction& a) {
                pills.push_back({Pill::Website{websiteDomain(a.urlString)}});
                if (a.openingMode == NimbrelBrowserOpeningMode::newWindow &&
                    a.placement != NimbrelWindowPlacement::front)
                    pills.push_back({Pill::Placement{a.placement}});
            },
            [&](const ArrangeWindowsRuleAction& a) { pills.push_back({Pill::Arrangement{arrangementName(a.layout)}}); },
            [&](const SystemBehaviorRuleAction& a) { pills.push_back({Pill::SystemBehavior{a.behavior}}); },
            [&](const TerminalScriptRuleAction& a) { pills.push_back({Pill::Script{nonBlankCommandCount(a)}}); },
        },
        action.value);
}

} // namespace

QString ShortTimeTexts::text(const NimbrelClockTime& time) {
    if (time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59) return time.displayText();
    const std::int64_t key = time.hour * 60 + time.minute;
    auto it = byMinute_.find(key);
    if (it != byMinute_.end()) return *it;
    // As NimbrelClockTime::displayText, with one formatter for the whole redraw.
    const std::optional<Date> date = calendar_.date(2001, 1, 1, int(time.hour), int(time.minute));
    return *byMinute_.insert(key, date ? formatter_.string(*date) : time.displayText());
}

QString ShortTimeTexts::text(Date date) {
    const DateComponents parts = calendar_.components(date);
    // The short style shows hours and minutes only, so the same minute of the day reads alike.
    const std::int64_t key = -1 - (std::int64_t(parts.hour) * 60 + parts.minute);
    auto it = byMinute_.find(key);
    if (it == byMinute_.end()) it = byMinute_.insert(key, formatter_.string(date));
    return *it;
}

QString RuleTagPill::kindName() const {
    static const std::array names{"click",          "app",    "folder",   "website", "placement", "arrangement",
                                  "systemBehavior", "script", "schedule", "status"};
    return QString::fromLatin1(names[value.index()]);
}

std::vector<RuleTagPill> sentencePills(const NimbrelRule& rule) {
    std::vector<RuleTagPill> pills;
    pills.reserve(rule.actions.size() * 2 + 4);
    pills.push_back({RuleTagPill::Click{rule.trigger.clickCount}});
    pills.push_back({RuleTagPill::App{rule.trigger.app}});
    for (const NimbrelRuleAction& action : rule.actions)
        appendActionPills(action, pills);
    if (rule.availability.mode == NimbrelRuleAvailabilityMode::scheduled)
        pills.push_back({RuleTagPill::Schedule{rule.availability}});
    pills.push_back({RuleTagPill::Status{std::make_shared<const NimbrelRule>(rule)}});
    return pills;
}

QString pillLabel(const RuleTagPill& pill, const RuleSentenceContext& context) {
    using Pill = RuleTagPill;
    return std::visit(
        Overloaded{
            [](const Pill::Click&) { return QString(); },
            [](const Pill::App& p) { return p.target.displayName; },
            [](const Pill::Folder& p) { return p.name; },
            [](const Pill::Website& p) { return p.domain; },
            [](const Pill::Placement& p) { return title(p.placement); },
            [](const Pill::Arrangement& p) { return p.name; },
            [](const Pill::SystemBehavior& p) { return systemBehaviorLabel(p.behavior); },
            [](const Pill::Script& p) {
                return QString::number(p.commandCount) + QStringLiteral(" command") +
                       (p.commandCount == 1 ? QString() : QStringLiteral("s"));
            },
            [&context](const Pill::Schedule& p) { return scheduleText(p.availability, context.times); },
            [&context](const Pill::Status& p) { return p.rule ? statusText(*p.rule, context) : QString(); },
        },
        pill.value);
}

QString scheduleText(const NimbrelRuleAvailability& availability, ShortTimeTexts* times) {
    QString days;
    const NimbrelWeekdaySet& active = availability.activeDays;
    if (active == allWeekdays())
        days = QStringLiteral("Every day");
    else if (active == workWeekdays())
        days = QStringLiteral("Weekdays");
    else if (active == weekendWeekdays())
        days = QStringLiteral("Weekends");
    else
        for (NimbrelWeekday day : active) // the set iterates Monday first
            days += shortName(day).left(1);
    auto shown = [times](const NimbrelClockTime& t) { return times ? times->text(t) : t.displayText(); };
    if (availability.startTime && availability.endTime)
        days += QLatin1Char(' ') + shown(*availability.startTime) + QChar(0x2013) + shown(*availability.endTime);
    return days;
}

QString statusText(const NimbrelRule& rule, const RuleSentenceContext& context) {
    switch (ruleState(rule, context.now, context.triggerAppAvailable)) {
    case RuleState::unsupported:
        return QStringLiteral("Unsupported");
    case RuleState::disabled:
        return QStringLiteral("Disabled");
    case RuleState::paused:
        if (isTimedPause(*rule.pausedUntil)) {
            const Date end = *rule.pausedUntil;
            return QStringLiteral("Paused until ") +
                   (context.times ? context.times->text(end)
                                  : DateFormatter(DateStyle::None, DateStyle::Short).string(end));
        }
        return QStringLiteral("Paused");
    case RuleState::active:
        break;
    }
    if (rule.availability.mode == NimbrelRuleAvailabilityMode::always) return rule.availability.summaryText();
    return QStringLiteral("Active");
}

QString websiteDomain(const QString& urlString) {
    QString text = urlString.trimmed();
    if (!text.isEmpty() && !text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) &&
        !text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        text.prepend(QStringLiteral("https://"));
    // Schemes in any letter case: the card wants the host, never the scheme itself.
    text.remove(QStringLiteral("https://"), Qt::CaseInsensitive);
    text.remove(QStringLiteral("http://"), Qt::CaseInsensitive);
    const QStringList pieces = text.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (!pieces.isEmpty()) return pieces.first();
    return urlString.isEmpty() ? QStringLiteral("website") : urlString;
}

QString placementSymbol(NimbrelWindowPlacement placement) {
    static const std::array symbols{"rectangle.center.inset.filled",
                                    "arrow.up.left.and.arrow.down.right",
                                    "arrow.up.left.and.arrow.down.right",
                                    "rectangle.lefthalf.inset.filled",
                                    "rectangle.righthalf.inset.filled",
                                    "arrow.up.left",
                                    "arrow.up.right",
                                    "arrow.down.left",
                                    "arrow.down.right"};
    return QString::fromLatin1(symbols[static_cast<size_t>(placement)]);
}

QString pillSymbol(const RuleTagPill& pill) {
    using Pill = RuleTagPill;
    return std::visit(Overloaded{
                          [](const Pill::Click&) { return QStringLiteral("cursorarrow.click"); },
                          [](const Pill::App&) { return QString(); },
                          [](const Pill::Folder&) { return QStringLiteral("folder.fill"); },
                          [](const Pill::Website&) { return QStringLiteral("globe"); },
                          [](const Pill::Placement& p) { return placementSymbol(p.placement); },
                          [](const Pill::Arrangement&) { return QStringLiteral("square.split.2x1.fill"); },
                          [](const Pill::SystemBehavior&) { return QStringLiteral("gearshape.fill"); },
                          [](const Pill::Script&) { return QStringLiteral("terminal.fill"); },
                          [](const Pill::Schedule&) { return QStringLiteral("clock.fill"); },
                          [](const Pill::Status&) { return QString(); },
                      },
                      pill.value);
}

QString arrangementName(NimbrelWindowLayout layout) {
    static const std::array names{"Full Size", "Side by Side", "Divided in 3", "Divided in 4"};
    return QString::fromLatin1(names[static_cast<size_t>(layout)]);
}

QString systemBehaviorLabel(NimbrelSystemBehavior behavior) {
    static const std::array labels{"Normal Cycle", "Ignore", "Minimize", "Restore", "Hide"};
    return QString::fromLatin1(labels[static_cast<size_t>(behavior)]);
}

} // namespace nimbrel
