// The timeline's steps that change rules and sessions as their screens do: through the stores'
// operations, by name or by an id that need not be stored.
#include "ScenarioRun.h"

#include "model/RuleCoding.h"
#include "model/RulesStore.h"
#include "platform/SharedInstance.h"
#include "sessions/SessionCoding.h"
#include "sessions/SessionsStore.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace nimbrel::simtool {

namespace {

// A rule of the rules screen's simplest kind: a tap on the app's Dock tile does what the
// Dock tap behaviour does.
NimbrelRule ruleFor(const QString& name, const QString& app, Date now) {
    NimbrelRuleTrigger trigger{1, NimbrelRuleAppTarget{app, std::nullopt, std::nullopt}};
    return NimbrelRule::make(name, true, false, trigger,
                             {NimbrelRuleAction::runSystemBehavior(SystemBehaviorRuleAction{})}, now);
}

// "rule": a rule as its cloud payload holds it (dates in ISO 8601).
std::optional<NimbrelRule> givenRule(ScenarioRun& run, const QJsonObject& step) {
    const QByteArray bytes = QJsonDocument(step.value(QStringLiteral("rule")).toObject()).toJson();
    json::Decoded<NimbrelRule> decoded = decodeRule(bytes, json::DateForm::ISO8601);
    if (!decoded) run.error(QStringLiteral("not a rule: ") + decoded.error);
    return decoded.value;
}

// "session": a session as "Sessions.json" holds it.
std::optional<NimbrelSession> givenSession(ScenarioRun& run, const QJsonObject& step) {
    const QByteArray bytes = QJsonDocument(step.value(QStringLiteral("session")).toObject()).toJson();
    json::Decoded<NimbrelSession> decoded = decodeSessionData(bytes, run.scheduler().now());
    if (!decoded) run.error(QStringLiteral("not a session: ") + decoded.error);
    return decoded.value;
}

// The rule a step names: the first stored rule of its "name", or any "id" (stored or not;
// one that is not stands as a rule of that id and the step's name).
std::optional<NimbrelRule> namedRule(ScenarioRun& run, const QJsonObject& step) {
    const QString name = step.value(QStringLiteral("name")).toString();
    const std::vector<NimbrelRule> rules = NimbrelRulesStore::shared().rules().get();
    if (step.contains(QStringLiteral("id"))) {
        const auto id = Uuid::parse(step.value(QStringLiteral("id")).toString());
        if (!id) {
            run.error(QStringLiteral("\"id\" is not a UUID"));
            return std::nullopt;
        }
        auto it = std::find_if(rules.begin(), rules.end(), [&](const NimbrelRule& r) { return r.id == *id; });
        if (it != rules.end()) return *it;
        NimbrelRule missing = ruleFor(name, QStringLiteral("Mail"), run.scheduler().now());
        missing.id = *id;
        return missing;
    }
    auto it = std::find_if(rules.begin(), rules.end(), [&](const NimbrelRule& r) { return r.name == name; });
    if (it == rules.end()) {
        run.error(QStringLiteral("no rule named \"%1\"").arg(name));
        return std::nullopt;
    }
    return *it;
}

// "id" or the stored session of that "name".
std::optional<Uuid> namedSession(ScenarioRun& run, const QJsonObject& step) {
    if (step.contains(QStringLiteral("id"))) {
        const auto id = Uuid::parse(step.value(QStringLiteral("id")).toString());
        if (!id) run.error(QStringLiteral("\"id\" is not a UUID"));
        return id;
    }
    const QString name = step.value(QStringLiteral("name")).toString();
    const std::vector<NimbrelSession> sessions = NimbrelSessionsStore::shared().sessions().get();
    auto it = std::find_if(sessions.begin(), sessions.end(), [&](const NimbrelSession& s) { return s.name == name; });
    if (it == sessions.end()) {
        run.error(QStringLiteral("no session named \"%1\"").arg(name));
        return std::nullopt;
    }
    return it->id;
}

QString ruleText(const QJsonObject& step) {
    return step.contains(QStringLiteral("id"))
               ? step.value(QStringLiteral("id")).toString()
               : QStringLiteral("\"%1\"").arg(step.value(QStringLiteral("name")).toString());
}

// When a pause asked for ends: "seconds" from now, or "until" an ISO 8601 date or
// "indefinitely".
std::optional<Date> pauseEnd(ScenarioRun& run, const QJsonObject& step, QString* text) {
    const QJsonValue until = step.value(QStringLiteral("until"));
    if (step.value(QStringLiteral("seconds")).toDouble() > 0) {
        const double seconds = step.value(QStringLiteral("seconds")).toDouble();
        *text = QStringLiteral("for %1 s").arg(seconds);
        return run.scheduler().now().addingSeconds(seconds);
    }
    if (until.toString() == QLatin1String("indefinitely")) {
        *text = QStringLiteral("indefinitely");
        return Date::distantFuture();
    }
    if (auto date = parseISO8601(until.toString())) {
        *text = QStringLiteral("until ") + iso8601String(*date);
        return date;
    }
    run.error(
        QStringLiteral("pauseRule needs \"seconds\" above 0, or \"until\": an ISO 8601 date or \"indefinitely\""));
    return std::nullopt;
}

bool ruleStep(ScenarioRun& run, const QString& what, const QJsonObject& step) {
    NimbrelRulesStore& store = NimbrelRulesStore::shared();
    const QString name = step.value(QStringLiteral("name")).toString();
    if (what == QLatin1String("addRule")) {
        if (step.contains(QStringLiteral("rule"))) {
            run.step(
                QStringLiteral("add rule \"%1\"").arg(step[QStringLiteral("rule")][QStringLiteral("name")].toString()));
            if (auto rule = givenRule(run, step)) store.addRule(*rule);
            return true;
        }
        const QString app = step.value(QStringLiteral("app")).toString(QStringLiteral("Mail"));
        run.step(QStringLiteral("add rule \"%1\" for a tap on %2").arg(name, app));
        store.addRule(ruleFor(name, app, run.scheduler().now()));
    } else if (what == QLatin1String("updateRule")) {
        // The editor's save of a rule, also of one whose id is not stored (any more).
        run.step(QStringLiteral("update rule ") + step[QStringLiteral("rule")][QStringLiteral("id")].toString());
        if (auto rule = givenRule(run, step)) store.updateRule(*rule);
    } else if (what == QLatin1String("renameRule")) {
        const QString to = step.value(QStringLiteral("to")).toString();
        run.step(QStringLiteral("rename rule %1 to \"%2\"").arg(ruleText(step), to));
        if (auto rule = namedRule(run, step)) {
            rule->name = to;
            store.updateRule(*rule);
        }
    } else if (what == QLatin1String("deleteRule")) {
        run.step(QStringLiteral("delete rule ") + ruleText(step));
        if (auto rule = namedRule(run, step)) store.deleteRule(*rule);
    } else if (what == QLatin1String("pauseRule") || what == QLatin1String("resumeRule")) {
        const bool pause = what == QLatin1String("pauseRule");
        QString text;
        const std::optional<Date> end = pause ? pauseEnd(run, step, &text) : std::nullopt;
        if (pause && !end) return true;
        run.step(pause ? QStringLiteral("pause rule %1 %2").arg(ruleText(step), text)
                       : QStringLiteral("resume rule ") + ruleText(step));
        if (auto rule = namedRule(run, step)) store.pauseRule(rule->id, end);
    } else {
        return false;
    }
    return true;
}

bool sessionStep(ScenarioRun& run, const QString& what, const QJsonObject& step) {
    NimbrelSessionsStore& store = NimbrelSessionsStore::shared();
    if (what == QLatin1String("addSession")) {
        const QString name = step.value(QStringLiteral("name")).toString();
        run.step(QStringLiteral("add session \"%1\"").arg(name));
        NimbrelSession session;
        session.name = name;
        session.scheduleWeekdays.clear(); // kept, never active
        store.addSession(session);
    } else if (what == QLatin1String("saveSession")) {
        // What the sessions editor's save does: a session with a new id is added, one with a stored id replaced.
        run.step(QStringLiteral("save session \"%1\"")
                     .arg(step[QStringLiteral("session")][QStringLiteral("name")].toString()));
        const auto session = givenSession(run, step);
        if (!session) return true;
        const auto& stored = store.sessions().get();
        if (std::any_of(stored.begin(), stored.end(), [&](const NimbrelSession& s) { return s.id == session->id; }))
            store.updateSession(*session);
        else
            store.addSession(*session);
    } else if (what == QLatin1String("updateSession")) {
        // The editor's save, also of a session whose id is not stored (any more).
        run.step(QStringLiteral("update session ") + step[QStringLiteral("session")][QStringLiteral("id")].toString());
        if (const auto session = givenSession(run, step)) store.updateSession(*session);
    } else if (what == QLatin1String("deleteSession")) {
        run.step(QStringLiteral("delete session ") + ruleText(step));
        if (const auto id = namedSession(run, step)) store.deleteSession(*id);
    } else {
        return false;
    }
    return true;
}

} // namespace

bool runEditStep(ScenarioRun& run, const QString& what, const QJsonObject& step) {
    static const QStringList kSteps{"addRule",    "updateRule", "renameRule",  "deleteRule",    "pauseRule",
                                    "resumeRule", "addSession", "saveSession", "updateSession", "deleteSession"};
    if (!kSteps.contains(what)) return false;
    if (!run.program().isRunning()) {
        run.error(QStringLiteral("%1: the program is not running").arg(what));
        return true;
    }
    // The sessions store starts 1 s after the launch; a step does not make it earlier.
    if (what.endsWith(QLatin1String("Session")) && !hasSharedInstance<NimbrelSessionsStore>()) {
        run.error(QStringLiteral("%1: the sessions store is not running").arg(what));
        return true;
    }
    return ruleStep(run, what, step) || sessionStep(run, what, step);
}

} // namespace nimbrel::simtool
