// The timeline's steps that act on the program: launching, quitting and restarting it, and
// what the user does with its status item, its panel and the panel's screens.
#include "ScenarioRun.h"

namespace nimbrel::simtool {

namespace {

// Writes the step, then does it; a step that cannot be done now is a scenario error.
void attempt(ScenarioRun& run, const QString& text, const std::function<QString()>& action) {
    run.step(text);
    const QString problem = action();
    if (!problem.isEmpty()) run.error(problem);
}

} // namespace

bool usesTheProgram(const QString& what) {
    static const QStringList screens = {"killProgram",   "addRule",    "updateRule", "renameRule",   "deleteRule",
                                        "pauseRule",     "resumeRule", "addSession", "saveSession",  "updateSession",
                                        "deleteSession", "setting",    "blacklist",  "behaviorMode", "syncNow"};
    return isProgramStep(what) || screens.contains(what);
}

bool isProgramStep(const QString& what) {
    static const QStringList steps = {"launchProgram",
                                      "quitProgram",
                                      "restartProgram",
                                      "clickStatusItem",
                                      "openScreen",
                                      "back",
                                      "pause",
                                      "resume",
                                      "onboardingSwitch",
                                      "openSettingsInstead",
                                      "quitFromOnboarding",
                                      "openPermissions"};
    return steps.contains(what);
}

bool runProgramStep(ScenarioRun& run, const QString& what, const QJsonObject& step) {
    SimProgram& program = run.program();
    if (what == QLatin1String("launchProgram")) {
        run.step(QStringLiteral("launch program"));
        run.launchProgram();
    } else if (what == QLatin1String("killProgram")) {
        run.step(QStringLiteral("kill program"));
        if (!run.killProgram()) run.error(QStringLiteral("the program is not running"));
    } else if (what == QLatin1String("quitProgram")) {
        attempt(run, QStringLiteral("quit program"), [&] { return program.quit(); });
    } else if (what == QLatin1String("restartProgram")) {
        run.step(QStringLiteral("restart program"));
        if (const QString problem = program.quit(); !problem.isEmpty()) {
            run.error(problem);
            return true;
        }
        // The program ends on the loop's next turn; it starts again once it has.
        run.launchProgram();
    } else if (what == QLatin1String("clickStatusItem")) {
        attempt(run, QStringLiteral("click status item"), [&] { return panel::clickStatusItem(program.shell()); });
    } else if (what == QLatin1String("openScreen")) {
        const QString screen = step.value(QStringLiteral("screen")).toString();
        attempt(run, QStringLiteral("open screen ") + screen,
                [&] { return panel::openScreen(program.shell(), screen); });
    } else if (what == QLatin1String("back")) {
        attempt(run, QStringLiteral("back"), [&] { return panel::back(program.shell()); });
    } else if (what == QLatin1String("pause")) {
        const QJsonValue seconds = step.value(QStringLiteral("seconds"));
        if (seconds.toString() == QLatin1String("indefinitely")) {
            attempt(run, QStringLiteral("pause indefinitely"),
                    [&] { return panel::pause(program.shell(), std::nullopt); });
        } else if (seconds.isDouble()) {
            attempt(run, QStringLiteral("pause for %1 s").arg(seconds.toDouble()),
                    [&] { return panel::pause(program.shell(), seconds.toDouble()); });
        } else {
            run.error(QStringLiteral("pause needs \"seconds\": a number or \"indefinitely\""));
        }
    } else if (what == QLatin1String("resume")) {
        attempt(run, QStringLiteral("resume"), [&] { return panel::resume(program.shell()); });
    } else if (what == QLatin1String("onboardingSwitch")) {
        attempt(run, QStringLiteral("turn the onboarding switch on"),
                [&] { return panel::turnOnboardingSwitchOn(program.shell()); });
    } else if (what == QLatin1String("openSettingsInstead")) {
        attempt(run, QStringLiteral("open settings instead"),
                [&] { return panel::openSettingsInstead(program.shell()); });
    } else if (what == QLatin1String("quitFromOnboarding")) {
        attempt(run, QStringLiteral("quit from the onboarding"),
                [&] { return panel::quitFromOnboarding(program.shell()); });
    } else if (what == QLatin1String("openPermissions")) {
        attempt(run, QStringLiteral("open permissions"), [&] { return panel::openPermissions(program.shell()); });
    } else {
        return false;
    }
    return true;
}

} // namespace nimbrel::simtool
