#pragma once

#include <QStringList>

namespace nimbrel {

// The 122 system symbol names a session may show in the menu bar, in the order the editor's
// library shows them.
const QStringList& sessionMenuBarSymbolCatalogue();

} // namespace nimbrel
