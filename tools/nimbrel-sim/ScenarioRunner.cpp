#include "ScenarioRunner.h"

#include "ScenarioRun.h"

#include <QJsonDocument>

namespace nimbrel::simtool {

ScenarioRunner::ScenarioRunner(QString workFolder) : workFolder_(std::move(workFolder)) {}

bool ScenarioRunner::load(const QByteArray& json, QString* error) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (!doc.isObject()) {
        if (error) *error = QStringLiteral("the scenario is not a JSON object: ") + parseError.errorString();
        return false;
    }
    const QJsonObject o = doc.object();
    if (o.contains(QStringLiteral("timeline")) && !o.value(QStringLiteral("timeline")).isArray()) {
        if (error) *error = QStringLiteral("\"timeline\" must be an array of steps");
        return false;
    }
    if (o.contains(QStringLiteral("start")) && !parseISO8601(o.value(QStringLiteral("start")).toString())) {
        if (error) *error = QStringLiteral("\"start\" must be an ISO 8601 date like 2026-12-07T09:00:00Z");
        return false;
    }
    if (o.contains(QStringLiteral("launchProgram")) && !o.value(QStringLiteral("launchProgram")).isBool()) {
        if (error) *error = QStringLiteral("\"launchProgram\" must be true or false");
        return false;
    }
    if (o.contains(QStringLiteral("secondMac")) && !o.value(QStringLiteral("secondMac")).isObject()) {
        if (error) *error = QStringLiteral("\"secondMac\" must be an object like a scenario without a timeline");
        return false;
    }
    scenario_ = o;
    return true;
}

QStringList ScenarioRunner::run() {
    if (!scenario_.contains(QStringLiteral("secondMac"))) {
        ScenarioRun run(scenario_, workFolder_, launchHook_);
        return run.play(saveState_);
    }
    // Two Macs of one account: the scenario is the first, "secondMac" the second (its own
    // desktop, defaults, files and launch), one cloud file and one timeline for both.
    const QString cloudFile = workFolder_ + QStringLiteral("/SharedCloud.sqlite");
    Transcript transcript(scenarioStart(scenario_), workFolder_);
    transcript.raw(QStringLiteral("# scenario: ") +
                   scenario_.value(QStringLiteral("description")).toString(QStringLiteral("(untitled)")));
    transcript.keepIdsOf(QJsonDocument(scenario_).toJson(QJsonDocument::Compact));
    QJsonObject second = scenario_.value(QStringLiteral("secondMac")).toObject();
    second.insert(QStringLiteral("start"), scenario_.value(QStringLiteral("start")));
    // Without a zone of its own the second Mac is in the scenario's.
    if (!second.contains(QStringLiteral("timeZone")) && scenario_.contains(QStringLiteral("timeZone")))
        second.insert(QStringLiteral("timeZone"), scenario_.value(QStringLiteral("timeZone")));
    ScenarioRun a(scenario_, workFolder_ + QStringLiteral("/A"), launchHook_,
                  {QStringLiteral("A"), cloudFile, &transcript});
    ScenarioRun b(second, workFolder_ + QStringLiteral("/B"), launchHook_,
                  {QStringLiteral("B"), cloudFile, &transcript});
    a.pair(b);
    return a.play(saveState_);
}

} // namespace nimbrel::simtool
