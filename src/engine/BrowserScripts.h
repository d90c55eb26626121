#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace nimbrel {

// The AppleScript texts sent to browsers, word for word. Every function takes the plain
// (unescaped) values and escapes them itself, so no caller can forget to. None of the
// texts ends with a line feed.
namespace browserscripts {

enum class Family { safari, chromium };

inline const QString kSafariBundleIdentifier = QStringLiteral("com.apple.Safari");

// Safari, and the seven Chromium-family browsers, by exact bundle identifier.
std::optional<Family> familyOf(const std::optional<QString>& bundleIdentifier);
inline bool isScriptableBrowser(const std::optional<QString>& bundleIdentifier) {
    return familyOf(bundleIdentifier).has_value();
}

// Text inside an AppleScript string literal: every backslash doubled, then every double
// quote preceded by a backslash.
QString escaped(const QString& text);
// A URL inside a script: characters that could end the literal or the line without a
// backslash (control characters, line and paragraph separators, curly double quotes,
// which the language also takes as string quotes) are percent-encoded as UTF-8 first;
// then the text is escaped. Letters of any script pass unchanged.
QString escapedURL(const QString& url);
// Whether the text holds a character that escaped() leaves able to break a script line.
bool hasUnsafeScriptCharacters(const QString& text);

// One website.
QString chromiumNewWindow(const QString& bundleIdentifier, const QString& url);
QString safariNewWindow(const QString& url);
QString chromiumNewTab(const QString& bundleIdentifier, const QString& url);
QString safariNewTab(const QString& url);

// A rule's websites in one script: the URLs in rule order (at least one).
QString safariGroupNewWindows(const QStringList& urls);
QString safariGroupNewTabs(const QStringList& urls);
QString chromiumGroupNewWindows(const QString& bundleIdentifier, const QStringList& urls);
QString chromiumGroupNewTabs(const QString& bundleIdentifier, const QStringList& urls);

// Closes every Safari window whose only tab is empty or a start page.
QString safariStarterWindowCleanup();

} // namespace browserscripts
} // namespace nimbrel
