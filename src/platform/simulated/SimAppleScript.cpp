#include "platform/simulated/SimAppleScript.h"

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

SimAppleScript::SimAppleScript(SimulatedMac& mac) : mac_(mac), runner_(mac) {}

namespace {

// The program is quitting: nothing will answer, and nothing was sent.
QVariantMap notRunWhileQuitting() {
    return {{kAppleScriptErrorMessage, kNotRunWhileQuittingMessage},
            {kAppleScriptErrorBriefMessage, kNotRunWhileQuittingMessage},
            {kAppleScriptErrorNumber, kAppleScriptConnectionInvalid}};
}

} // namespace

// The model lives on the main thread; a worker's script waits for it there.
std::optional<QVariantMap> SimAppleScript::compile(const QString& source) {
    std::optional<QVariantMap> result;
    if (mac_.scheduler().callOnMainThreadAndWait([&] { result = compileOnMainThread(source); })) return result;
    return notRunWhileQuitting();
}

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
    compileFaults_.push_back(targets);
}

std::optional<QVariantMap> SimAppleScript::takeCompileFault(const QString& source) {
    for (auto it = compileFaults_.begin(); it != compileFaults_.end(); ++it) {
        for (const QString& target : *it) {
            if (!source.contains(target)) continue;
            compileFaults_.erase(it);
            const QVariantMap error =
                syntaxErrorDictionary({1, QStringLiteral("Expected end of line but found identifier.")});
            mac_.recorder().record(EventKind::appleScript, summary(source));
            mac_.recorder().record(EventKind::appleScript, QStringLiteral("-> does not compile: error %1: %2")
                                                               .arg(kAppleScriptSyntaxError)
                                                               .arg(error.value(kAppleScriptErrorMessage).toString()));
            return error;
        }
    }
    return std::nullopt;
}

std::optional<QVariantMap> SimAppleScript::compileOnMainThread(const QString& source) {
    if (auto fault = takeCompileFault(source)) return fault;
    script::SyntaxError error;
    if (script::parseScript(source, &error)) return std::nullopt;
    return syntaxErrorDictionary(error);
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
