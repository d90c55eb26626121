#pragma once

#include <QByteArray>

#include <memory>

namespace nimbrel {

struct Platform;

// A default simulated Mac on a throw-away disk, over the platform's scheduler and clock, for
// pictures and tests of the screens (a ScreenPreview's Mac). Fills the platform's Mac
// facilities; the handle keeps the Mac and its disk.
std::shared_ptr<void> makePreviewMac(Platform& platform);
// The same Mac with `accountPhoto` (JPEG) as the picture of the user's directory record.
std::shared_ptr<void> makePreviewMacWithAccountPhoto(Platform& platform, const QByteArray& accountPhoto);

} // namespace nimbrel
