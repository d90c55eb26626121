#pragma once

#include "ui/common/InstalledAppsCatalogue.h"

#include <QString>

#include <vector>

namespace nimbrel {

// Whether `query` finds `candidate`: both lower-cased (locale-independent), an empty query finds
// everything, else a contiguous match, else the query's characters (user-perceived ones) in
// the same order with anything between them ("sfr" finds "Safari").
bool fuzzyMatches(const QString& query, const QString& candidate);

// What the picker lists for a search text: the apps whose name or bundle identifier the
// trimmed text finds, by name (localized, case-insensitive, stable), with the app whose
// identifier equals `selectedIdentifier` exactly moved to the front.
std::vector<NimbrelInstalledApps::InstalledApp>
filteredApps(const std::vector<NimbrelInstalledApps::InstalledApp>& apps, const QString& searchText,
             const QString& selectedIdentifier);

// How a picker row looks for its selection and the pointer: the tone of its fill, outline and
// subtitle ("red", "green" or "white") and its second line.
struct AppPickerRowLook {
    QString tone;
    QString subtitle;
};
AppPickerRowLook pickerRowLook(bool isSelected, bool isHovering, const QString& bundleIdentifier);

} // namespace nimbrel
