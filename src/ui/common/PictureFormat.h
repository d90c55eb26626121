#pragma once

#include <QByteArray>

namespace nimbrel {

// How many first bytes of a file `pictureFormat` looks at.
constexpr qsizetype kPictureHeadBytes = 512;

// The image format a picture file is written in, from its first bytes ("png", "jpeg", "gif",
// "bmp", "ico", "icns", "svg" or "svgz"); empty when they are of none of these. A Mac's app
// icons are all named ".icns" whatever they hold, and a reader left to find out by itself
// loads and asks every image plugin there is.
QByteArray pictureFormat(const QByteArray& head);

} // namespace nimbrel
