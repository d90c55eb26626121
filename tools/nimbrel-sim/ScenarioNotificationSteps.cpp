// The Mac's notification center in a scenario: requests pending before the program starts, the
// user's answer to the permission, adds that fail, late completions, and the permission prompt.
#include "ScenarioRun.h"

#include <QJsonArray>

namespace nimbrel::simtool {

namespace {

using Authorization = RecordingUserNotifications::Authorization;

QString optionsText(unsigned options) {
    QStringList names;
    if (options & NotificationAlert) names << QStringLiteral("alert");
    if (options & NotificationSound) names << QStringLiteral("sound");
    if (options & NotificationBadge) names << QStringLiteral("badge");
    return names.join(QStringLiteral(", "));
}

} // namespace

void TranscriptUserNotifications::requestAuthorization(unsigned options, AuthorizationCompletion completion) {
    if (showRequests_) {
        static const std::map<Authorization, QString> outcomes{
            {Authorization::granted, QStringLiteral("granted")},
            {Authorization::denied, QStringLiteral("denied")},
            {Authorization::notDetermined, QStringLiteral("the prompt is shown")}};
        tell_(
            QStringLiteral("authorization requested (%1): %2").arg(optionsText(options), outcomes.at(authorization())));
    }
    RecordingUserNotifications::requestAuthorization(options, std::move(completion));
}

QStringList applyNotificationCenter(ScenarioRun& run, const QJsonObject& members, QStringList* done) {
    static const std::map<QString, Authorization> authorizations{
        {QStringLiteral("granted"), Authorization::granted},
        {QStringLiteral("denied"), Authorization::denied},
        {QStringLiteral("notDetermined"), Authorization::notDetermined},
    };
    TranscriptUserNotifications& center = run.userNotifications();
    QStringList problems;
    auto note = [done](const QString& text) {
        if (done) *done << text;
    };
    if (members.contains(QStringLiteral("authorization"))) {
        const QString name = members.value(QStringLiteral("authorization")).toString();
        if (const auto it = authorizations.find(name); it != authorizations.end()) {
            center.setAuthorization(it->second);
            note(QStringLiteral("authorization ") + name);
        } else {
            problems << QStringLiteral("notificationCenter: \"authorization\" is granted, denied or notDetermined");
        }
    }
    if (members.contains(QStringLiteral("addError"))) {
        const QString error = members.value(QStringLiteral("addError")).toString();
        center.setAddError(error);
        note(error.isEmpty() ? QStringLiteral("adds succeed") : QStringLiteral("adds fail: ") + error);
    }
    if (members.contains(QStringLiteral("delay"))) {
        const double delay = members.value(QStringLiteral("delay")).toDouble();
        center.setCompletionDelay(delay);
        note(QStringLiteral("completions %1 s late").arg(delay));
    }
    if (members.contains(QStringLiteral("showRequests"))) {
        center.setShowRequests(members.value(QStringLiteral("showRequests")).toBool());
        note(members.value(QStringLiteral("showRequests")).toBool() ? QStringLiteral("requests shown")
                                                                    : QStringLiteral("requests not shown"));
    }
    // Requests another run of the program (or another program) left waiting; they do not fail
    // for the fault above, which is the program's.
    const QString addError = center.addError();
    center.setAddError({});
    for (const QJsonValue& v : members.value(QStringLiteral("pending")).toArray()) {
        const QJsonObject o = v.toObject();
        NotificationRequest request;
        request.identifier = o.value(QStringLiteral("identifier")).toString();
        request.title = o.value(QStringLiteral("title")).toString();
        request.body = o.value(QStringLiteral("body")).toString();
        request.triggerDate = parseISO8601(o.value(QStringLiteral("at")).toString());
        if (request.identifier.isEmpty() || !request.triggerDate) {
            problems << QStringLiteral("notificationCenter: each of \"pending\" needs \"identifier\" and \"at\"");
            continue;
        }
        center.add(request);
        note(QStringLiteral("%1 pending").arg(request.identifier));
    }
    center.setAddError(addError);
    return problems;
}

bool runNotificationStep(ScenarioRun& run, const QString& what, const QJsonObject& step) {
    if (what == QLatin1String("notificationCenter")) {
        QStringList done;
        const QStringList problems = applyNotificationCenter(run, step, &done);
        run.step(QStringLiteral("notification center: ") + done.join(QStringLiteral(", ")));
        for (const QString& problem : problems)
            run.error(problem);
    } else if (what == QLatin1String("answerNotificationPrompt")) {
        const bool allow = step.value(QStringLiteral("allow")).toBool();
        run.step(allow ? QStringLiteral("allow notifications") : QStringLiteral("don't allow notifications"));
        if (run.userNotifications().requestsWaitingForPrompt() == 0)
            run.error(QStringLiteral("no notification prompt is shown"));
        else
            run.userNotifications().answerPrompt(allow);
    } else {
        return false;
    }
    return true;
}

} // namespace nimbrel::simtool
