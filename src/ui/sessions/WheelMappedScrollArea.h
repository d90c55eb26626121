#pragma once

#include <QQuickItem>

namespace nimbrel {

// A sideways strip that an ordinary vertical mouse wheel scrolls, as do horizontal swipes.
// Its document (a child placed at x = -contentX) is `documentWidth` wide. A wheel event is
// taken only when it moves the strip: one over a strip whose content fits, or one that pushes
// it past an end, goes on to the list around it, so the list never stops moving under the
// pointer while the strip has nothing to show.
class WheelMappedScrollArea : public QQuickItem {
    Q_OBJECT
    Q_PROPERTY(double contentX READ contentX WRITE setContentX NOTIFY contentXChanged)
    Q_PROPERTY(double documentWidth READ documentWidth WRITE setDocumentWidth NOTIFY documentWidthChanged)
  public:
    explicit WheelMappedScrollArea(QQuickItem* parent = nullptr);

    double contentX() const { return contentX_; }
    void setContentX(double x);
    double documentWidth() const { return documentWidth_; }
    void setDocumentWidth(double width);

  signals:
    void contentXChanged();
    void documentWidthChanged();

  protected:
    void wheelEvent(QWheelEvent* event) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;

  private:
    // Keeps the offset inside the document after it or the strip changed size.
    void keepInside();

    double contentX_ = 0;
    double documentWidth_ = 0;
};

} // namespace nimbrel
