#pragma once

#include <QQuickItem>

namespace nimbrel {

// The wrap layout for QML: places its children (not a Repeater, nor hidden items) at their
// implicit size with `WrapLayout`'s rows, and takes the height those rows need at its width.
// It does so at once when its children come, go or change size, or its width changes, not
// before the next frame: a list must read a card's final height when it places the card, or
// the cards below move to where a shorter card would end. Only a child shown or hidden (also
// by an ancestor: a list hiding its cards) waits for the next frame, where the card's height
// bound to this one's is not being set.
class WrapLayoutItem : public QQuickItem {
    Q_OBJECT
    Q_PROPERTY(double spacing READ spacing WRITE setSpacing NOTIFY spacingChanged)
  public:
    explicit WrapLayoutItem(QQuickItem* parent = nullptr);

    double spacing() const { return spacing_; }
    void setSpacing(double spacing);
    // Places the children now.
    void relayout();

  signals:
    void spacingChanged();

  protected:
    void itemChange(ItemChange change, const ItemChangeData& data) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;
    void updatePolish() override;

  private:
    QList<QQuickItem*> laidOutChildren() const;
    void watch(QQuickItem* child);

    double spacing_ = 0;
};

} // namespace nimbrel
