#pragma once

#include <QString>

namespace nimbrel {

// Whether the system has a symbol of this name: what a session may name as its menu-bar symbol
// and every symbol the screens draw. The bundled pictures do not cover all of them; a symbol
// without its own picture is drawn with a stand-in (see SymbolImageProvider).
bool isSystemSymbol(const QString& name);

} // namespace nimbrel
