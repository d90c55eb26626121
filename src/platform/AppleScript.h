#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

namespace nimbrel {

// Keys of an AppleScript error dictionary.
inline const QString kAppleScriptErrorMessage = QStringLiteral("NSAppleScriptErrorMessage");
inline const QString kAppleScriptErrorNumber = QStringLiteral("NSAppleScriptErrorNumber");
inline const QString kAppleScriptErrorBriefMessage = QStringLiteral("NSAppleScriptErrorBriefMessage");
inline const QString kAppleScriptErrorAppName = QStringLiteral("NSAppleScriptErrorAppName");
inline const QString kAppleScriptErrorRange = QStringLiteral("NSAppleScriptErrorRange");

// Common error numbers.
constexpr int kAppleScriptSyntaxError = -2741;
constexpr int kAppleScriptNotAuthorized = -1743; // Automation not allowed for that application
constexpr int kAppleScriptAppNotRunning = -600;
constexpr int kAppleScriptCantGet = -1728;
constexpr int kAppleScriptNotUnderstood = -1708;
constexpr int kAppleScriptUnknownCommand = -2753;
constexpr int kAppleScriptConnectionInvalid = -609; // nothing answered: the other side is gone

// The outcome of running a script: its result as text, or an error dictionary
// (NSAppleScriptErrorMessage text, NSAppleScriptErrorNumber integer, ...).
struct AppleScriptResult {
    std::optional<QVariantMap> error;
    QString resultText;
    bool succeeded() const { return !error.has_value(); }
};

// The error dictionary's text form, as the program prints it:
// {NSAppleScriptErrorMessage = "..."; NSAppleScriptErrorNumber = -1743;}
QString describeAppleScriptError(const QVariantMap& error);

// Compiles and runs AppleScript source texts. Callable from the main thread and from a
// worker thread; a call returns when the script has finished.
class AppleScriptRunner {
  public:
    virtual ~AppleScriptRunner() = default;

    // Compiles only: none when the text compiles, else the error dictionary.
    virtual std::optional<QVariantMap> compile(const QString& source) = 0;
    // Compiles and runs.
    virtual AppleScriptResult execute(const QString& source) = 0;
};

} // namespace nimbrel
