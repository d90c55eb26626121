#pragma once

#include <QByteArray>
#include <QString>

namespace nimbrel {

// The current locale's preferred hour pattern for the skeleton "j" ("h a" in en_US, "HH" in
// de_DE); empty when the locale has none. `localeName` empty means the current locale.
QString preferredHourPattern(const QByteArray& localeName = {});

// Whether the current locale writes times with a 12-hour clock: its preferred hour pattern
// holds the AM/PM marker "a". Asked afresh on every call, so a changed setting shows at once.
bool usesTwelveHourClock();

} // namespace nimbrel
