#pragma once

#include <QByteArray>

namespace nimbrel {

struct Platform;

// Still data for pictures of the settings, activity and blacklist screens: a week of
// activity, a blacklist with one app no longer installed, opening at login on and a check date.
void seedSettingsActivityBlacklistPreview(Platform& platform);
// A JPEG portrait with the preview user's initials, for a directory record's "JPEGPhoto".
QByteArray previewAccountPhoto();

} // namespace nimbrel
