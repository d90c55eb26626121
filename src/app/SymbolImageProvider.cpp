#include "app/SymbolImageProvider.h"

#include "app/SymbolNames.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QUrlQuery>

#include <algorithm>

namespace nimbrel {

namespace {
const QString kAssetPrefix = QStringLiteral("asset/");

// Only plain colour texts reach the SVG source. Checked by hand: a regular expression here
// would load the expression engine at start for nothing else.
QString safeColour(const QString& text) {
    const QStringView digits = text.startsWith(QLatin1Char('#')) ? QStringView(text).mid(1) : QStringView(text);
    const bool hex = digits.size() == 6 && std::all_of(digits.begin(), digits.end(), [](QChar c) {
                         const char16_t u = c.unicode();
                         return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
                     });
    return hex ? QStringLiteral("#") + digits.toString() : QStringLiteral("#FFFFFF");
}
} // namespace

SymbolImageProvider::SymbolImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}

QImage renderSymbol(const QString& id, const QSize& requestedSize) {
    const int queryAt = id.indexOf(QLatin1Char('?'));
    const QString name = queryAt < 0 ? id : id.left(queryAt);
    const QUrlQuery query(queryAt < 0 ? QString() : id.mid(queryAt + 1));

    std::optional<QString> file;
    bool tint = false;
    if (name.startsWith(kAssetPrefix)) {
        file = assetIconFile(name.mid(kAssetPrefix.size()));
    } else {
        file = symbolIconFile(name);
        tint = true;
    }
    if (!file) return {};
    QFile source(*file);
    if (!source.open(QIODevice::ReadOnly)) return {};
    QByteArray svg = source.readAll();
    if (tint) {
        const QString colour = safeColour(query.queryItemValue(QStringLiteral("color"), QUrl::FullyDecoded));
        svg.replace("currentColor", colour.toLatin1());
    }
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) return {};
    const QSize size = requestedSize.isValid() && !requestedSize.isEmpty() ? requestedSize : QSize(64, 64);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);
    renderer.render(&painter);
    return image;
}

QImage renderSymbolOrStandIn(const QString& id, const QSize& requestedSize) {
    QImage image = renderSymbol(id, requestedSize);
    if (!image.isNull()) return image;
    const int queryAt = id.indexOf(QLatin1Char('?'));
    const QString query = queryAt < 0 || id.startsWith(kAssetPrefix) ? QString() : id.mid(queryAt);
    return renderSymbol(QStringLiteral("questionmark.circle.fill") + query, requestedSize);
}

QImage SymbolImageProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize) {
    QImage image = renderSymbolOrStandIn(id, requestedSize);
    if (size) *size = image.size();
    return image;
}

} // namespace nimbrel
