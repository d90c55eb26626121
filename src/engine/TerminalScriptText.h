#pragma once

#include "model/RuleActions.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace nimbrel {

// The texts of the terminal script action: the bash file and the AppleScript that asks a
// terminal application to run it.
namespace terminalscript {

inline const QString kTerminalBundleIdentifier = QStringLiteral("com.apple.Terminal");
inline const QString kITermBundleIdentifier = QStringLiteral("com.googlecode.iterm2");

// The commands that are not blank, in order and unchanged.
QStringList keptCommands(const TerminalScriptRuleAction& action);
// "#!/bin/bash", "set -e" when asked, then each command as typed; every line ends in "\n".
QByteArray scriptText(const QStringList& commands, bool stopOnFirstFailure);
// The action's terminal, Terminal when it names none.
QString bundleIdentifier(const TerminalScriptRuleAction& action);
// Letters, digits, "." and "-" only, and not empty.
bool isAcceptableBundleIdentifier(const QString& bundleIdentifier);
// The AppleScript for iTerm, or the `do script` one for any other terminal. The path and
// the bundle identifier are escaped; none when the path holds a character that no
// escaping keeps inside the string (a line break or another control character).
std::optional<QString> appleScriptSource(const QString& bundleIdentifier, const QString& scriptPath);
// "Running 2 commands in Terminal."
QString runningMessage(qsizetype count, const QString& terminalName);

} // namespace terminalscript
} // namespace nimbrel
