#pragma once

#include "platform/AppleScript.h"

#include <QString>

namespace nimbrel {

// What the program says when a script could not even be compiled.
inline const QString kCouldNotCompileAppleScriptMessage =
    QStringLiteral("Could not compile AppleScript. Check that Nimbrel has Automation permission in System Settings > "
                   "Privacy & Security.");

struct AppleScriptCall {
    AppleScriptResult result;
    bool compiled = false; // false: nothing ran (no runner, or the text does not compile)
    bool succeeded() const { return compiled && result.succeeded(); }
};

// Compiles the text, then runs it. A text that does not compile, or a missing runner, is a
// failure with an error dictionary like any other: a script that never ran did not succeed.
AppleScriptCall runAppleScript(AppleScriptRunner* runner, const QString& source);

} // namespace nimbrel
