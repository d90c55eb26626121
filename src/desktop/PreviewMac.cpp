#include "desktop/PreviewMac.h"

#include "platform/Platform.h"
#include "platform/simulated/SimulatedPlatform.h"

#include <QTemporaryDir>

namespace nimbrel {

namespace {
struct PreviewMacHandle {
    QTemporaryDir disk;
    std::unique_ptr<sim::SimulatedPlatform> mac;
};
} // namespace

std::shared_ptr<void> makePreviewMac(Platform& platform) {
    return makePreviewMacWithAccountPhoto(platform, {});
}

std::shared_ptr<void> makePreviewMacWithAccountPhoto(Platform& platform, const QByteArray& accountPhoto) {
    auto handle = std::make_shared<PreviewMacHandle>();
    handle->mac = std::make_unique<sim::SimulatedPlatform>(*platform.scheduler, *platform.clock, handle->disk.path());
    if (!accountPhoto.isEmpty()) handle->mac->mac().identity().jpegPhoto = accountPhoto;
    handle->mac->fill(platform);
    return handle;
}

} // namespace nimbrel
