#pragma once

#include <QString>

#include <optional>

namespace nimbrel {

// How well `candidate` matches the search text `query`; nothing when it does not match.
// Both texts are folded by the caller; characters (grapheme clusters) compare exactly.
std::optional<int> fuzzyMatchScore(const QString& query, const QString& candidate);

// The title of a blacklisted key whose application is no longer installed:
// "com.example.chat" -> "Chat", "/Applications/Tool.app" -> "Tool".
QString fallbackAppName(const QString& key);

// Posted with no user info by every back button; the panel returns to its main menu.
inline const QString kShowMainWindowNotification = QStringLiteral("Nimbrel.showMainWindow");

} // namespace nimbrel
