#pragma once

#include <QQuickImageProvider>

namespace nimbrel {

// "image://symbol/<system symbol name>?color=rrggbb" and "image://symbol/asset/<asset name>":
// the one place where the screens' symbol names become pictures. Symbols are tinted with the
// given colour (white when none); assets keep their own colours.
class SymbolImageProvider final : public QQuickImageProvider {
  public:
    SymbolImageProvider();
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};

// Renders a symbol or asset; a null image when the name is unknown.
QImage renderSymbol(const QString& id, const QSize& requestedSize);
// The same, with a stand-in picture (a question mark in the same tint) for a name that has no
// picture of its own, so what is asked for never shows as an empty square.
QImage renderSymbolOrStandIn(const QString& id, const QSize& requestedSize);

} // namespace nimbrel
