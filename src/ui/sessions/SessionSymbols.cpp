#include "ui/sessions/SessionSymbols.h"

#include <algorithm>

namespace nimbrel {

const QStringList& sessionQuickMenuBarSymbols() {
    static const QStringList names{
        kDefaultMenuBarSymbol, "laptopcomputer", "desktopcomputer", "dock.rectangle", "moon.fill",
        "sun.max.fill",        "bolt.fill",      "sparkles",        "target",         "timer"};
    return names;
}

QStringList filteredSessionSymbols(const QString& searchText) {
    const QString query = searchQuery(searchText);
    if (query.isEmpty()) return sessionMenuBarSymbolCatalogue();
    const QStringList words = query.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList result;
    for (const QString& name : sessionMenuBarSymbolCatalogue()) {
        const QString lowered = name.toLower();
        QString spaced = lowered;
        spaced.replace(QLatin1Char('.'), QLatin1Char(' '));
        const bool everyWord = !words.isEmpty() && std::all_of(words.begin(), words.end(), [&](const QString& word) {
            return lowered.contains(word);
        });
        if (lowered.contains(query) || spaced.contains(query) || everyWord) result << name;
    }
    return result;
}

bool isQuickSymbolSelected(const SessionEditorState& state, const QString& name) {
    return state.effectiveMenuBarSymbolName() == name;
}

void selectQuickSymbol(SessionEditorState& state, const QString& name) {
    state.menuBarSymbolName = isQuickSymbolSelected(state, name) ? kDefaultMenuBarSymbol : name;
}

void prepareSymbolLibrary(SessionEditorState& state) {
    const QString current = state.effectiveMenuBarSymbolName();
    state.pendingSymbolName = current == kDefaultMenuBarSymbol ? std::nullopt : std::optional(current);
    state.symbolSearchText.clear();
}

void togglePendingSymbol(SessionEditorState& state, const QString& name) {
    if (state.pendingSymbolName == name)
        state.pendingSymbolName.reset();
    else
        state.pendingSymbolName = name;
}

QString sessionSymbolTooltip(const QString& name) {
    return name == kDefaultMenuBarSymbol ? QStringLiteral("Default Nimbrel icon") : name;
}

SessionSymbolPicture sessionSymbolPicture(const QString& name, const SessionSymbolLookup& lookup) {
    if (lookup.hasSymbol && lookup.hasSymbol(name)) return {false, name};
    if (lookup.hasAsset && lookup.hasAsset(name)) return {true, name};
    return {false, QStringLiteral("heart.fill")};
}

} // namespace nimbrel
