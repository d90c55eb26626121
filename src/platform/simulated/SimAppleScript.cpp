#include "platform/simulated/SimAppleScript.h"

#include <algorithm>

namespace nimbrel::sim {

namespace {

QVariantMap syntaxErrorDictionary(const script::SyntaxError& error) {
    return {{kAppleScriptErrorMessage, error.message},
            {kAppleScriptErrorBriefMessage, error.message},
            {kAppleScriptErrorNumber, kAppleScriptSyntaxError},
            {kAppleScriptErrorRange, QStringLiteral("line %1").arg(error.line)}};
}

// The one-line record of a script: its "tell application id \"com.apple.Safari\"" targets and length.
QString summary(const QString& source) {
    QStringList targets;
    for (const QString& line : source.split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (t.startsWith(QLatin1String("tell application")) && !targets.contains(t.mid(5))) targets << t.mid(5);
    }
    const int lines = static_cast<int>(source.count(QLatin1Char('\n'))) + 1;
    return QStringLiteral("%1 (%2 lines)")
        .arg(targets.isEmpty() ? QStringLiteral("script") : targets.join(QStringLiteral(" + ")))
        .arg(lines);
}

} // namespace

SimAppleScript::SimAppleScript(SimulatedMac& mac) : mac_(mac), runner_(mac), mainThread_(std::this_thread::get_id()) {}

namespace {

// The program is quitting: nothing will answer, and nothing was sent.
QVariantMap notRunWhileQuitting() {
    return {{kAppleScriptErrorMessage, kNotRunWhileQuittingMessage},
            {kAppleScriptErrorBriefMessage, kNotRunWhileQuittingMessage},
            {kAppleScriptErrorNumber, kAppleScriptConnectionInvalid}};
}

} // namespace

// Compiling reads only the text (and a pending fault), so a worker compiles without waiting for
// the main thread.
std::optional<QVariantMap> SimAppleScript::compile(const QString& source) {
    if (auto fault = takeCompileFault(source)) return fault;
    script::SyntaxError error;
    if (script::parseScript(source, &error)) return std::nullopt;
    return syntaxErrorDictionary(error);
}

// The model lives on the main thread; a worker's script waits for it there.
AppleScriptResult SimAppleScript::execute(const QString& source) {
    AppleScriptResult result;
    if (mac_.scheduler().callOnMainThreadAndWait([&] { result = executeOnMainThread(source); })) return result;
    result.error = notRunWhileQuitting();
    return result;
}

void SimAppleScript::failNextCompile(const QString& bundleIdentifier, const QString& name) {
    QStringList targets;
    if (!bundleIdentifier.isEmpty()) targets << QStringLiteral("application id \"%1\"").arg(bundleIdentifier);
    if (!name.isEmpty()) targets << QStringLiteral("application \"%1\"").arg(name);
    std::lock_guard lock(compileFaultsMutex_);
    compileFaults_.push_back(targets);
}

std::optional<QVariantMap> SimAppleScript::takeCompileFault(const QString& source) {
    {
        std::lock_guard lock(compileFaultsMutex_);
        auto fault = std::find_if(compileFaults_.begin(), compileFaults_.end(), [&](const QStringList& targets) {
            return std::any_of(targets.begin(), targets.end(),
                               [&](const QString& target) { return source.contains(target); });
        });
        if (fault == compileFaults_.end()) return std::nullopt;
        compileFaults_.erase(fault);
    }
    const QVariantMap error = syntaxErrorDictionary({1, QStringLiteral("Expected end of line but found identifier.")});
    const QString outcome = QStringLiteral("-> does not compile: error %1: %2")
                                .arg(kAppleScriptSyntaxError)
                                .arg(error.value(kAppleScriptErrorMessage).toString());
    auto record = [this, what = summary(source), outcome] {
        mac_.recorder().record(EventKind::appleScript, what);
        mac_.recorder().record(EventKind::appleScript, outcome);
    };
    // The recorder is the model's, on the main thread; a worker leaves the record there.
    if (std::this_thread::get_id() == mainThread_)
        record();
    else
        mac_.scheduler().postFromAnyThread(record);
    return error;
}

AppleScriptResult SimAppleScript::executeOnMainThread(const QString& source) {
    if (auto fault = takeCompileFault(source)) return AppleScriptResult{*fault, {}};
    sources_ << source;
    mac_.recorder().record(EventKind::appleScript, summary(source));
    AppleScriptResult result;
    script::SyntaxError syntax;
    const auto parsed = script::parseScript(source, &syntax);
    if (!parsed) {
        result.error = syntaxErrorDictionary(syntax);
    } else {
        const auto outcome = runner_.run(*parsed);
        result.error = outcome.error;
        result.resultText = outcome.result;
    }
    mac_.recorder().record(
        EventKind::appleScript,
        QStringLiteral("-> %1").arg(result.error ? QStringLiteral("error %1: %2")
                                                       .arg(result.error->value(kAppleScriptErrorNumber).toInt())
                                                       .arg(result.error->value(kAppleScriptErrorMessage).toString())
                                                 : QStringLiteral("ok")));
    return result;
}

} // namespace nimbrel::sim
