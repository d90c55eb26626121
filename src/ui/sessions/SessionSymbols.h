#pragma once

#include "sessions/SessionMenuBarSymbols.h"
#include "ui/sessions/SessionEditorState.h"

#include <QString>
#include <QStringList>

#include <functional>

// The editor's menu-bar symbol: the quick set, the searchable library and the pending choice
// inside it. The symbol chosen reaches the session only through the editor's save.
namespace nimbrel {

// Ten names, the program's own icon first.
const QStringList& sessionQuickMenuBarSymbols();

// The catalogue names matching the search text: as a substring, with dots read as spaces,
// or word by word (words split at spaces only).
QStringList filteredSessionSymbols(const QString& searchText);

bool isQuickSymbolSelected(const SessionEditorState& state, const QString& name);
// A tap on the selected quick symbol returns to the program's own icon.
void selectQuickSymbol(SessionEditorState& state, const QString& name);
// Marks the current symbol (none for the program's own icon) and clears the search.
void prepareSymbolLibrary(SessionEditorState& state);
void togglePendingSymbol(SessionEditorState& state, const QString& name);
// The tooltip of a symbol cell.
QString sessionSymbolTooltip(const QString& name);

// What draws a symbol name: a system symbol, else one of the program's image assets, else
// "heart.fill".
struct SessionSymbolPicture {
    bool isAsset = false;
    QString name;
    friend bool operator==(const SessionSymbolPicture&, const SessionSymbolPicture&) = default;
};
struct SessionSymbolLookup {
    std::function<bool(const QString&)> hasSymbol;
    std::function<bool(const QString&)> hasAsset;
};
SessionSymbolPicture sessionSymbolPicture(const QString& name, const SessionSymbolLookup& lookup);

} // namespace nimbrel
