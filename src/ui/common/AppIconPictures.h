#pragma once

#include <QQuickImageProvider>

namespace nimbrel {

// "image://appicon/<corner radius as a fraction of the side>/<percent-encoded image URL>":
// an app's icon picture with its corners cut round and clear, as every screen draws app
// icons. The corners are cut once, as the picture is decoded, so a list of icons costs no
// more to scroll than one of square pictures (a clip or a mask per icon would be paid at
// every frame, and the software renderer has no masks).
class AppIconPictures final : public QQuickImageProvider {
  public:
    AppIconPictures();
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};

// The picture of `id` (as above) scaled to fit `requestedSize` (when valid), its corners
// rounded; a null image when the file cannot be read or is larger than an icon can be.
QImage roundedAppIconPicture(const QString& id, QSize* originalSize, const QSize& requestedSize);

} // namespace nimbrel
