#include "platform/simulated/SimAppleScript.h"

#include <future>

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

SimAppleScript::SimAppleScript(SimulatedMac& mac) : mac_(mac), runner_(mac), mainThread_(std::this_thread::get_id()) {}

std::optional<QVariantMap> SimAppleScript::compile(const QString& source) {
    script::SyntaxError error;
    if (script::parseScript(source, &error)) return std::nullopt;
    return syntaxErrorDictionary(error);
}

AppleScriptResult SimAppleScript::execute(const QString& source) {
    if (std::this_thread::get_id() == mainThread_) return executeOnMainThread(source);
    auto promise = std::make_shared<std::promise<AppleScriptResult>>();
    auto future = promise->get_future();
    mac_.scheduler().postFromAnyThread([this, source, promise] { promise->set_value(executeOnMainThread(source)); });
    return future.get();
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
