#include "ui/rules/WrapLayoutItem.h"

#include "ui/rules/WrapLayout.h"

namespace nimbrel {

WrapLayoutItem::WrapLayoutItem(QQuickItem* parent) : QQuickItem(parent) {
    setFlag(ItemHasContents, false);
}

void WrapLayoutItem::setSpacing(double spacing) {
    if (spacing == spacing_) return;
    spacing_ = spacing;
    emit spacingChanged();
    relayout();
}

QList<QQuickItem*> WrapLayoutItem::laidOutChildren() const {
    QList<QQuickItem*> out;
    for (QQuickItem* child : childItems())
        if (child->isVisible() && !child->inherits("QQuickRepeater")) out.append(child);
    return out;
}

void WrapLayoutItem::watch(QQuickItem* child) {
    connect(child, &QQuickItem::implicitWidthChanged, this, &WrapLayoutItem::relayout, Qt::UniqueConnection);
    connect(child, &QQuickItem::implicitHeightChanged, this, &WrapLayoutItem::relayout, Qt::UniqueConnection);
    connect(child, &QQuickItem::visibleChanged, this, &QQuickItem::polish, Qt::UniqueConnection);
}

void WrapLayoutItem::itemChange(ItemChange change, const ItemChangeData& data) {
    if (change == ItemChildAddedChange) {
        watch(data.item);
        relayout();
    } else if (change == ItemChildRemovedChange) {
        disconnect(data.item, nullptr, this, nullptr);
        relayout();
    }
    QQuickItem::itemChange(change, data);
}

void WrapLayoutItem::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) {
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.width() != oldGeometry.width()) relayout();
}

void WrapLayoutItem::updatePolish() {
    relayout();
}

void WrapLayoutItem::relayout() {
    const QList<QQuickItem*> children = laidOutChildren();
    std::vector<QSizeF> sizes;
    sizes.reserve(size_t(children.size()));
    for (QQuickItem* child : children)
        sizes.emplace_back(child->implicitWidth(), child->implicitHeight());
    const std::vector<QPointF> points = wrapLayout::placements(sizes, QRectF(0, 0, width(), 0), spacing_);
    for (qsizetype i = 0; i < children.size(); ++i) {
        children[i]->setPosition(points[size_t(i)]);
        children[i]->setSize(sizes[size_t(i)]);
    }
    setImplicitHeight(wrapLayout::sizeThatFits(sizes, width(), spacing_).height());
}

} // namespace nimbrel
