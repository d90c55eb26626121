#include "engine/TerminalActions.h"

#include "engine/AppleScriptCall.h"
#include "engine/TerminalScriptFile.h"
#include "engine/TerminalScriptText.h"
#include "engine/WindowManager.h"
#include "platform/Files.h"
#include "platform/Platform.h"

#include <memory>

namespace nimbrel {

namespace ts = terminalscript;

namespace {
// Whether the script got as far as the terminal: it compiled, and something answered.
bool reachedTerminal(const AppleScriptCall& call) {
    if (!call.compiled) return false;
    return !call.result.error || call.result.error->value(kAppleScriptErrorNumber) != kAppleScriptConnectionInvalid;
}
} // namespace

void TerminalActions::runTerminalScript(const TerminalScriptRuleAction& action) {
    const QStringList commands = ts::keptCommands(action);
    if (commands.isEmpty()) return;

    // The identifier goes into the script: refuse one that could be anything but a name.
    const QString bundleIdentifier = ts::bundleIdentifier(action);
    if (!ts::isAcceptableBundleIdentifier(bundleIdentifier)) {
        wm_.log(QStringLiteral("refusing terminal script: the terminal bundle identifier is not valid"));
        fail(QStringLiteral("The terminal application\u2019s bundle identifier is not valid."));
        return;
    }

    QString error;
    const std::optional<QString> folder = ensurePrivateFolder(wm_.platform().locations.privateTemporary);
    const std::optional<QString> path = terminalscriptfile::create(
        folder.value_or(QString()), ts::scriptText(commands, action.stopOnFirstFailure), &error);
    if (!path) {
        fail(error);
        return;
    }
    // Checked before the script is announced as running.
    if (!ts::appleScriptSource(bundleIdentifier, *path)) {
        refuseScriptPath(*path);
        return;
    }

    wm_.record(NimbrelActivityType::rule, QStringLiteral("Terminal Script Running"),
               ts::runningMessage(commands.size(), action.terminalApp.displayName));

    runTerminalAppleScript(bundleIdentifier, *path);
}

void TerminalActions::runTerminalAppleScript(const QString& bundleIdentifier, const QString& scriptPath) {
    const std::optional<QString> source = ts::appleScriptSource(bundleIdentifier, scriptPath);
    if (!source) {
        refuseScriptPath(scriptPath);
        return;
    }
    // The terminal may take a while to answer: the script runs on a worker, and only the
    // outcome comes back to the main thread. The worker uses the platform's script runner,
    // which the program keeps until its background work has ended.
    AppleScriptRunner* runner = wm_.platform().appleScript;
    auto outcome = std::make_shared<AppleScriptCall>();
    const QString scriptSource = *source;
    Scheduler* scheduler = &wm_.scheduler();
    std::weak_ptr<int> alive = wm_.lifetimeWatch();
    scheduler->runInBackground(
        [runner, scriptSource, outcome, scriptPath] {
            *outcome = runAppleScript(runner, scriptSource);
            // Nothing will ever run a file the terminal was not given: it goes at once, also
            // when the program is quitting and this outcome is never seen on the main thread.
            if (!reachedTerminal(*outcome)) terminalscriptfile::remove(scriptPath);
        },
        [this, alive, outcome, scriptPath, scheduler] {
            if (!outcome->compiled) {
                if (!alive.expired()) fail(kCouldNotCompileAppleScriptMessage);
                return;
            }
            if (outcome->result.error && !alive.expired()) {
                const QVariant message = outcome->result.error->value(kAppleScriptErrorMessage);
                if (message.typeId() == QMetaType::QString) fail(message.toString());
            }
            if (!reachedTerminal(*outcome)) return;
            // The shell usually removed it already.
            scheduler->after(kScriptFileLifetime, [scriptPath] { terminalscriptfile::remove(scriptPath); });
        });
}

void TerminalActions::refuseScriptPath(const QString& scriptPath) {
    terminalscriptfile::remove(scriptPath);
    fail(QStringLiteral("The script file\u2019s path cannot be passed to the terminal."));
}

void TerminalActions::fail(const QString& message) {
    wm_.record(NimbrelActivityType::error, QStringLiteral("Terminal Script Failed"), message);
}

} // namespace nimbrel
