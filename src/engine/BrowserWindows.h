#pragma once

#include "platform/Accessibility.h"

#include <QSet>
#include <QString>

#include <vector>

namespace nimbrel {

class WindowManager;

// How the browser rule groups tell browser windows apart. A failed read counts as the
// value's default: no title, no document, not minimized.
namespace browserwindows {

// A window whose "AXRole" can be read; a closed window fails the read.
bool isLive(WindowManager& wm, const AXElement& window);
std::vector<AXElement> live(WindowManager& wm, const std::vector<AXElement>& windows);
// The application's real windows, in its "AXWindows" order.
std::vector<AXElement> realWindows(WindowManager& wm, const AXElement& appElement);
// "AXTitle" folded like every name; empty when unreadable.
QString foldedTitle(WindowManager& wm, const AXElement& window);
// Empty, or the folded title of a start page, a new tab or an untitled window.
bool isPlaceholderTitle(const QString& folded);
// The real windows whose title is not a placeholder.
std::vector<AXElement> titledWindows(WindowManager& wm, const AXElement& appElement);
// Folded title, "-", normalised document path: "-" for a window with neither.
QString windowKey(WindowManager& wm, const AXElement& window);
QSet<QString> windowKeys(WindowManager& wm, const std::vector<AXElement>& windows);
// The real windows whose key is not among `existing`, whatever their title.
std::vector<AXElement> newWindows(WindowManager& wm, const AXElement& appElement, const QSet<QString>& existing);
// "AXMinimized" is the Boolean true.
bool isMinimized(WindowManager& wm, const AXElement& window);

} // namespace browserwindows
} // namespace nimbrel
