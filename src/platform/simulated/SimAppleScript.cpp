#include "platform/simulated/SimAppleScript.h"

namespace nimbrel::sim {

namespace {

QVariantMap syntaxErrorDictionary(const script::SyntaxError& error) {
    return {{kAppleScriptErrorMessage, error.message},
            {kAppleScriptErrorBriefMessage, error.message},
            {kAppleScriptErrorNumber, kAppleScriptSyntaxError},
            {kAppleScriptErrorRange, QStringLiteral("line %1").arg(error.line)}};
}

// "tell application id \"com.apple.Safari\"" lines, for the one-line record of a script.
QString summary(const QString& source) {
    QStringList targets;
    for (const QString& line : source.split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (t.startsWith(QLatin1String("tell application")) && !targets.contains(t.mid(5))) targets << t.mid(5);
    }
    return targets.isEmpty() ? QStringLiteral("script") : targets.join(QStringLiteral(" + "));
}

} // namespace

SimAppleScript::SimAppleScript(SimulatedMac& mac) : mac_(mac), runner_(mac) {}

std::optional<QVariantMap> SimAppleScript::compile(const QString& source) {
    script::SyntaxError error;
    if (script::parseScript(source, &error)) return std::nullopt;
    return syntaxErrorDictionary(error);
}

AppleScriptResult SimAppleScript::execute(const QString& source) {
    AppleScriptResult result;
    // The model lives on the main thread; a worker's script waits for it there.
    if (mac_.scheduler().callOnMainThreadAndWait([&] { result = executeOnMainThread(source); })) return result;
    // The program is quitting: nothing will answer, and nothing was sent.
    result.error = QVariantMap{{kAppleScriptErrorMessage, kNotRunWhileQuittingMessage},
                               {kAppleScriptErrorBriefMessage, kNotRunWhileQuittingMessage},
                               {kAppleScriptErrorNumber, kAppleScriptConnectionInvalid}};
    return result;
}

AppleScriptResult SimAppleScript::executeOnMainThread(const QString& source) {
    sources_ << source;
    const int lines = static_cast<int>(source.count(QLatin1Char('\n'))) + 1;
    mac_.recorder().record(EventKind::appleScript, QStringLiteral("%1 (%2 lines)").arg(summary(source)).arg(lines));
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
