#include "engine/TerminalScriptText.h"

#include "engine/BrowserScripts.h"

namespace nimbrel::terminalscript {

QStringList keptCommands(const TerminalScriptRuleAction& action) {
    QStringList kept;
    for (const TerminalScriptCommand& c : action.commands)
        if (!c.command.trimmed().isEmpty()) kept << c.command;
    return kept;
}

QByteArray scriptText(const QStringList& commands, bool stopOnFirstFailure) {
    QString text = QStringLiteral("#!/bin/bash\n");
    if (stopOnFirstFailure) text += QStringLiteral("set -e\n");
    for (const QString& command : commands)
        text += command + QLatin1Char('\n');
    return text.toUtf8();
}

QString bundleIdentifier(const TerminalScriptRuleAction& action) {
    return action.terminalApp.bundleIdentifier.value_or(kTerminalBundleIdentifier);
}

bool isAcceptableBundleIdentifier(const QString& bundleIdentifier) {
    if (bundleIdentifier.isEmpty()) return false;
    for (QChar c : bundleIdentifier) {
        const char16_t u = c.unicode();
        const bool ok =
            (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '.' || u == '-';
        if (!ok) return false;
    }
    return true;
}

std::optional<QString> appleScriptSource(const QString& bundleIdentifier, const QString& scriptPath) {
    if (browserscripts::hasUnsafeScriptCharacters(scriptPath) ||
        browserscripts::hasUnsafeScriptCharacters(bundleIdentifier))
        return std::nullopt;
    const QString path = browserscripts::escaped(scriptPath);
    if (bundleIdentifier == kITermBundleIdentifier) {
        return QStringLiteral("tell application \"iTerm\"\n"
                              "    activate\n"
                              "    if (count of windows) = 0 then\n"
                              "        create window with default profile\n"
                              "    end if\n"
                              "    tell current window\n"
                              "        create tab with default profile\n"
                              "        tell current session of current tab\n"
                              "            set p to \"") +
               path +
               QStringLiteral(
                   "\"\n"
                   "            write text (\"bash \" & quoted form of p & \"; rm -f \" & quoted form of p)\n"
                   "        end tell\n"
                   "    end tell\n"
                   "end tell");
    }
    return QStringLiteral("tell application id \"") + browserscripts::escaped(bundleIdentifier) +
           QStringLiteral("\"\n"
                          "    activate\n"
                          "    set p to \"") +
           path +
           QStringLiteral("\"\n"
                          "    do script (\"bash \" & quoted form of p & \"; rm -f \" & quoted form of p)\n"
                          "end tell");
}

QString runningMessage(qsizetype count, const QString& terminalName) {
    return QStringLiteral("Running ") + QString::number(count) + QStringLiteral(" command") +
           (count == 1 ? QString() : QStringLiteral("s")) + QStringLiteral(" in ") + terminalName + QLatin1Char('.');
}

} // namespace nimbrel::terminalscript
