#include "ui/common/AppIconPictures.h"

#include "platform/Files.h"
#include "ui/common/PictureFormat.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QUrl>

#include <algorithm>

namespace nimbrel {

namespace {

QString localFile(const QString& source) {
    const QUrl url(source);
    return url.isLocalFile() ? url.toLocalFile() : source;
}

} // namespace

AppIconPictures::AppIconPictures() : QQuickImageProvider(QQuickImageProvider::Image) {}

QImage AppIconPictures::requestImage(const QString& id, QSize* size, const QSize& requestedSize) {
    return roundedAppIconPicture(id, size, requestedSize);
}

QImage roundedAppIconPicture(const QString& id, QSize* originalSize, const QSize& requestedSize) {
    const qsizetype slash = id.indexOf(QLatin1Char('/'));
    if (slash < 0) return {};
    bool numeric = false;
    const double radiusFraction = std::clamp(id.left(slash).toDouble(&numeric), 0.0, 0.5);
    const QString path = localFile(QUrl::fromPercentEncoding(id.mid(slash + 1).toUtf8()));
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxIconFileBytes) return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    // Read as what it is, once; only a file of no format known here is left to the reader to
    // make out.
    const QByteArray format = pictureFormat(file.peek(kPictureHeadBytes));
    QImageReader reader(&file, format);
    reader.setAutoDetectImageFormat(format.isEmpty());
    const QSize natural = reader.size();
    if (originalSize) *originalSize = natural;
    if (requestedSize.isValid() && natural.isValid())
        reader.setScaledSize(natural.scaled(requestedSize, Qt::KeepAspectRatio));
    const QImage picture = reader.read();
    if (picture.isNull()) return {};

    QImage rounded(picture.size(), QImage::Format_ARGB32_Premultiplied);
    rounded.fill(Qt::transparent);
    QPainter painter(&rounded);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QBrush(picture));
    const double radius = (numeric ? radiusFraction : 0.0) * std::min(picture.width(), picture.height());
    painter.drawRoundedRect(QRectF(rounded.rect()), radius, radius);
    return rounded;
}

} // namespace nimbrel
