#pragma once

#include <QString>

namespace nimbrel {

// The day shown after "Last checked " for whatever text was stored for the last update check:
// "-" for nothing or a sentinel word, else the date part, read in one of the known forms and
// written as a medium date in the user's locale and zone. Never fails: text it does not
// recognise comes back trimmed.
QString lastCheckedDisplayText(const QString& stored);

} // namespace nimbrel
