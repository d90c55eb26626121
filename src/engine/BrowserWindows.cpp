#include "engine/BrowserWindows.h"

#include "engine/AxReaders.h"
#include "engine/WindowManager.h"
#include "model/AppCapabilities.h"

#include <QStringList>

namespace nimbrel::browserwindows {

bool isLive(WindowManager& wm, const AXElement& window) {
    AXValue role;
    return wm.ax().copyAttributeValue(window, QStringLiteral("AXRole"), &role) == AXError::success;
}

std::vector<AXElement> live(WindowManager& wm, const std::vector<AXElement>& windows) {
    std::vector<AXElement> out;
    for (const AXElement& w : windows)
        if (isLive(wm, w)) out.push_back(w);
    return out;
}

std::vector<AXElement> realWindows(WindowManager& wm, const AXElement& appElement) {
    return AxReaders::realWindows(wm.ax(), appElement);
}

QString foldedTitle(WindowManager& wm, const AXElement& window) {
    return normalizedAppName(
        AxReaders::stringAttribute(wm.ax(), QStringLiteral("AXTitle"), window).value_or(QString()));
}

bool isPlaceholderTitle(const QString& folded) {
    static const QStringList placeholders{QStringLiteral("startpage"), QStringLiteral("favorites"),
                                          QStringLiteral("newtab"),    QStringLiteral("newwindow"),
                                          QStringLiteral("untitled"),  QStringLiteral("safari")};
    return folded.isEmpty() || placeholders.contains(folded);
}

std::vector<AXElement> titledWindows(WindowManager& wm, const AXElement& appElement) {
    std::vector<AXElement> out;
    for (const AXElement& w : realWindows(wm, appElement))
        if (!isPlaceholderTitle(foldedTitle(wm, w))) out.push_back(w);
    return out;
}

QString windowKey(WindowManager& wm, const AXElement& window) {
    const std::optional<QString> document = wm.apps().documentPath(window);
    const QString path = document ? AxReaders::normalizedPath(*document, wm.homeDirectory()) : QString();
    return foldedTitle(wm, window) + QLatin1Char('-') + path;
}

QSet<QString> windowKeys(WindowManager& wm, const std::vector<AXElement>& windows) {
    QSet<QString> keys;
    for (const AXElement& w : windows)
        keys.insert(windowKey(wm, w));
    return keys;
}

std::vector<AXElement> newWindows(WindowManager& wm, const AXElement& appElement, const QSet<QString>& existing) {
    std::vector<AXElement> out;
    for (const AXElement& w : realWindows(wm, appElement))
        if (!existing.contains(windowKey(wm, w))) out.push_back(w);
    return out;
}

bool isMinimized(WindowManager& wm, const AXElement& window) {
    return AxReaders::isMinimized(wm.ax(), window);
}

} // namespace nimbrel::browserwindows
