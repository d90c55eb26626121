#include "engine/AppleScriptCall.h"

namespace nimbrel {

AppleScriptCall runAppleScript(AppleScriptRunner* runner, const QString& source) {
    AppleScriptCall call;
    if (!runner) {
        call.result.error = QVariantMap{{kAppleScriptErrorMessage, kCouldNotCompileAppleScriptMessage}};
        return call;
    }
    if (auto error = runner->compile(source)) {
        call.result.error = *error;
        return call;
    }
    call.compiled = true;
    call.result = runner->execute(source);
    return call;
}

} // namespace nimbrel
