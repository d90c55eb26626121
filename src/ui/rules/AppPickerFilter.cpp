#include "ui/rules/AppPickerFilter.h"

#include "platform/TextServices.h"

#include <QTextBoundaryFinder>

namespace nimbrel {

namespace {

bool isPlainAscii(const QString& text) {
    for (QChar c : text)
        if (c.unicode() >= 0x80 || c == QLatin1Char('\r')) return false;
    return true;
}

// The text as user-perceived characters.
QStringList graphemes(const QString& text) {
    QStringList out;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (finder.toNextBoundary() != -1) {
        const qsizetype end = finder.position();
        out.append(text.mid(start, end - start));
        start = end;
    }
    return out;
}

bool inOrder(const QString& query, const QString& candidate) {
    if (isPlainAscii(query) && isPlainAscii(candidate)) {
        qsizetype at = 0;
        for (QChar c : query) {
            at = candidate.indexOf(c, at);
            if (at < 0) return false;
            ++at;
        }
        return true;
    }
    const QStringList wanted = graphemes(query);
    const QStringList present = graphemes(candidate);
    qsizetype at = 0;
    for (const QString& g : wanted) {
        while (at < present.size() && present[at] != g)
            ++at;
        if (at == present.size()) return false;
        ++at;
    }
    return true;
}

} // namespace

bool fuzzyMatches(const QString& query, const QString& candidate) {
    const QString q = query.toLower();
    if (q.isEmpty()) return true;
    const QString c = candidate.toLower();
    return c.contains(q) || inOrder(q, c);
}

std::vector<NimbrelInstalledApps::InstalledApp>
filteredApps(const std::vector<NimbrelInstalledApps::InstalledApp>& apps, const QString& searchText,
             const QString& selectedIdentifier) {
    const QString query = searchText.trimmed();
    std::vector<NimbrelInstalledApps::InstalledApp> kept;
    for (const NimbrelInstalledApps::InstalledApp& app : apps)
        if (query.isEmpty() || fuzzyMatches(query, app.displayName) || fuzzyMatches(query, app.bundleIdentifier))
            kept.push_back(app);
    NimbrelInstalledApps::sortedByName(kept);
    const auto selected = std::find_if(kept.begin(), kept.end(), [&](const NimbrelInstalledApps::InstalledApp& app) {
        return app.bundleIdentifier == selectedIdentifier;
    });
    if (selected == kept.end()) return kept;
    std::vector<NimbrelInstalledApps::InstalledApp> out{*selected};
    for (const NimbrelInstalledApps::InstalledApp& app : kept)
        if (app.bundleIdentifier != selected->bundleIdentifier) out.push_back(app);
    return out;
}

AppPickerRowLook pickerRowLook(bool isSelected, bool isHovering, const QString& bundleIdentifier) {
    if (isSelected)
        return isHovering ? AppPickerRowLook{QStringLiteral("red"), QStringLiteral("Click to remove selection")}
                          : AppPickerRowLook{QStringLiteral("green"), QStringLiteral("Selected")};
    return isHovering ? AppPickerRowLook{QStringLiteral("green"), QStringLiteral("Click to select")}
                      : AppPickerRowLook{QStringLiteral("white"), bundleIdentifier};
}

} // namespace nimbrel
