#include "app/SystemSymbols.h"

#include "app/SymbolNames.h"
#include "sessions/SessionMenuBarSymbols.h"

#include <QSet>

namespace nimbrel {

namespace {
const QSet<QString>& sessionSymbols() {
    static const QSet<QString> names(sessionMenuBarSymbolCatalogue().begin(), sessionMenuBarSymbolCatalogue().end());
    return names;
}
} // namespace

bool isSystemSymbol(const QString& name) {
    return sessionSymbols().contains(name) || symbolIconFile(name).has_value();
}

} // namespace nimbrel
