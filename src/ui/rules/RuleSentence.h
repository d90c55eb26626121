#pragma once

#include "model/Rule.h"
#include "platform/Calendar.h"

#include <QHash>
#include <QString>

#include <memory>
#include <variant>
#include <vector>

namespace nimbrel {

// One word of a rule's sentence: how many clicks, on which app, what each action does,
// when the rule is scheduled and its present status.
struct RuleTagPill {
    struct Click {
        std::int64_t count = 1;
    };
    struct App {
        NimbrelRuleAppTarget target;
    };
    struct Folder {
        QString name;
    };
    struct Website {
        QString domain;
    };
    struct Placement {
        NimbrelWindowPlacement placement = NimbrelWindowPlacement::front;
    };
    struct Arrangement {
        QString name;
    };
    struct SystemBehavior {
        NimbrelSystemBehavior behavior = NimbrelSystemBehavior::normalCycle;
    };
    struct Script {
        std::int64_t commandCount = 0;
    };
    struct Schedule {
        NimbrelRuleAvailability availability;
    };
    struct Status {
        std::shared_ptr<const NimbrelRule> rule;
    };
    using Payload =
        std::variant<Click, App, Folder, Website, Placement, Arrangement, SystemBehavior, Script, Schedule, Status>;
    Payload value;

    // "click", "app", "folder", ... in case order.
    QString kindName() const;
    template <typename T> const T* as() const { return std::get_if<T>(&value); }
};

// Times of day in the locale's short style ("9:05 AM"), each formatted once: one redraw of a
// long list repeats a handful of times many times over.
class ShortTimeTexts {
  public:
    QString text(const NimbrelClockTime& time);
    // The time of day of `date` in the current zone.
    QString text(Date date);

  private:
    Calendar calendar_ = Calendar::current();
    DateFormatter formatter_{DateStyle::None, DateStyle::Short, {}, calendar_.timeZone()};
    QHash<std::int64_t, QString> byMinute_;
};

// What a pill's text depends on besides the rule: the moment it is drawn and whether the
// trigger app can be found on this Mac. `times` (optional) remembers formatted times.
struct RuleSentenceContext {
    Date now;
    bool triggerAppAvailable = true;
    ShortTimeTexts* times = nullptr;
};

// The rule's pills: click, app, one or two per action in order, the schedule of a scheduled
// rule, and the status, always last.
std::vector<RuleTagPill> sentencePills(const NimbrelRule& rule);
// The text of a pill (empty for the click pill, whose view shows the count itself).
QString pillLabel(const RuleTagPill& pill, const RuleSentenceContext& context);
// "Every day", "Weekdays", "Weekends" or the days' first letters ("MWF"), then the times.
QString scheduleText(const NimbrelRuleAvailability& availability, ShortTimeTexts* times = nullptr);
// "Unsupported", "Disabled", "Paused until 9:41 AM", "Paused", "Always active" or "Active".
QString statusText(const NimbrelRule& rule, const RuleSentenceContext& context);
// The host of a website action's address: "HTTPS://www.Example.com:8080/x" -> "www.Example.com:8080".
QString websiteDomain(const QString& urlString);
// The symbol of a pill (none for app, click and status, which draw their own).
QString pillSymbol(const RuleTagPill& pill);
QString placementSymbol(NimbrelWindowPlacement placement);
QString arrangementName(NimbrelWindowLayout layout);
QString systemBehaviorLabel(NimbrelSystemBehavior behavior);

} // namespace nimbrel
