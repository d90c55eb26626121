#include "ui/screens/AccountPicture.h"

#include "platform/Files.h"
#include "platform/ProcessRunner.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QStringDecoder>

namespace nimbrel {

namespace {

const QString kDirectoryService = QStringLiteral("/usr/bin/dscl");

// One pair of characters read as an unsigned byte in base 16, as the standard integer parser
// reads it: two hex digits, or a sign and one digit ("+f" is 15, "-0" is 0).
std::optional<quint8> hexByte(QStringView pair) {
    auto digit = [](QChar c) -> int {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) return c.unicode() - '0';
        if (c >= QLatin1Char('a') && c <= QLatin1Char('f')) return c.unicode() - 'a' + 10;
        if (c >= QLatin1Char('A') && c <= QLatin1Char('F')) return c.unicode() - 'A' + 10;
        return -1;
    };
    const int low = digit(pair[1]);
    if (low < 0) return std::nullopt;
    if (pair[0] == QLatin1Char('+')) return quint8(low);
    if (pair[0] == QLatin1Char('-')) return low == 0 ? std::optional<quint8>(0) : std::nullopt;
    const int high = digit(pair[0]);
    if (high < 0) return std::nullopt;
    return quint8(high * 16 + low);
}

std::optional<QImage> decodedImage(const QByteArray& bytes) {
    QImage image;
    if (bytes.isEmpty() || !image.loadFromData(bytes)) return std::nullopt;
    return image;
}

} // namespace

std::optional<QByteArray> jpegPhotoBytes(const QString& attributeText) {
    QString hex = attributeText;
    hex.remove(QStringLiteral("JPEGPhoto:"));
    hex.removeIf([](QChar c) { return c.isSpace(); });
    if (hex.isEmpty() || hex.size() % 2 != 0) return std::nullopt;
    QByteArray bytes;
    bytes.reserve(hex.size() / 2);
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        const std::optional<quint8> byte = hexByte(QStringView(hex).mid(i, 2));
        if (!byte) return std::nullopt;
        bytes.append(char(*byte));
    }
    return bytes;
}

std::optional<QByteArray> accountImageData(const QImage& image) {
    if (image.isNull()) return std::nullopt;
    const int side = AccountPictureLookup::kPictureSide;
    QImage canvas(side, side, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        // Stretched to the square: the picture's proportions are not kept.
        painter.drawImage(QRectF(0, 0, side, side), image, QRectF(QPointF(0, 0), image.size()));
    }
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !canvas.save(&buffer, "PNG") || png.isEmpty()) return std::nullopt;
    return png;
}

std::optional<QByteArray> keptAccountPicture(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    if (!reader.canRead()) return std::nullopt;
    const int side = AccountPictureLookup::kPictureSide;
    if (!isPngWithin(bytes, side)) reader.setScaledSize(QSize(side, side));
    const QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    if (isPngWithin(bytes, side)) return bytes;
    return accountImageData(image);
}

void installAccountPictureScaler() {
    setAccountPictureScaler(&keptAccountPicture);
}

QImage circularThumbnail(const QImage& image, int side) {
    QImage out(side, side, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    if (image.isNull()) return out;
    const QImage filled = image.scaled(side, side, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    QPainter painter(&out);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath circle;
    circle.addEllipse(QRectF(0, 0, side, side));
    painter.setClipPath(circle);
    painter.drawImage(QPointF((side - filled.width()) / 2.0, (side - filled.height()) / 2.0), filled);
    return out;
}

QString AccountPictureLookup::readDirectoryServiceAttribute(const QString& loginName, const QString& attribute) const {
    // Nothing reads standard error, so it goes to the null device rather than a pipe.
    const ProcessResult result =
        processes_.run(kDirectoryService,
                       {QStringLiteral("."), QStringLiteral("-read"), QStringLiteral("/Users/") + loginName, attribute},
                       StandardErrorHandling::discard);
    if (!result.launched) return {};
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(result.standardOutput);
    return utf8.hasError() ? QString() : text;
}

std::optional<QImage> AccountPictureLookup::systemAccountJPEGPhoto(const QString& loginName) const {
    const std::optional<QByteArray> bytes =
        jpegPhotoBytes(readDirectoryServiceAttribute(loginName, QStringLiteral("JPEGPhoto")));
    return bytes ? decodedImage(*bytes) : std::nullopt;
}

std::optional<QImage> AccountPictureLookup::systemAccountPicture(const QString& loginName) const {
    if (loginName.trimmed().isEmpty()) return std::nullopt;
    QString path = readDirectoryServiceAttribute(loginName, QStringLiteral("Picture"));
    path.remove(QStringLiteral("Picture:"));
    path = path.trimmed();
    if (!path.isEmpty() && files_.exists(path)) {
        if (const auto bytes = files_.readFile(path, kMaxPictureFileBytes))
            if (auto image = decodedImage(*bytes)) return image;
    }
    return systemAccountJPEGPhoto(loginName);
}

} // namespace nimbrel
