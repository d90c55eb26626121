#pragma once

#include "ui/common/HelpTipTiming.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QSizeF>

#include <vector>

class QQuickItem;
class QQuickWindow;

namespace nimbrel {

class PointerWatch;

// Whether and where a help tip is drawn for `item`: beside the item, inside `layer` (the panel's
// layer for popovers), once the pointer has rested on the item for a moment (HelpTipTiming).
// Qt's hover flag alone leaves a tip up when content moves under a resting pointer, so the tip
// also goes when the item moves on the screen (a list around it scrolled, a card slid), goes out
// of sight, or the pointer leaves it, the panel or the window; a click on it, or a modal layer
// over the window, cancels it.
class HelpTipTracker : public QObject {
    Q_OBJECT
    Q_PROPERTY(QQuickItem* item READ item WRITE setItem NOTIFY itemChanged)
    Q_PROPERTY(QQuickItem* layer READ layer WRITE setLayer NOTIFY layerChanged)
    // Qt's hover flag for the item; the tip never shows without it.
    Q_PROPERTY(bool hovering READ hovering WRITE setHovering NOTIFY hoveringChanged)
    Q_PROPERTY(bool enabled READ enabled WRITE setEnabled NOTIFY enabledChanged)
    Q_PROPERTY(QSizeF tipSize READ tipSize WRITE setTipSize NOTIFY tipSizeChanged)
    Q_PROPERTY(bool shown READ shown NOTIFY shownChanged)
    // The tip's top-left in the layer's coordinates, set as it shows.
    Q_PROPERTY(QPointF position READ position NOTIFY positionChanged)
  public:
    explicit HelpTipTracker(QObject* parent = nullptr);

    QQuickItem* item() const { return item_; }
    void setItem(QQuickItem* item);
    QQuickItem* layer() const { return layer_; }
    void setLayer(QQuickItem* layer);
    bool hovering() const { return hovering_; }
    void setHovering(bool hovering);
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    QSizeF tipSize() const { return tipSize_; }
    void setTipSize(QSizeF size);
    bool shown() const { return timing_.shown(); }
    QPointF position() const { return position_; }

  signals:
    void itemChanged();
    void layerChanged();
    void hoveringChanged();
    void enabledChanged();
    void tipSizeChanged();
    void shownChanged();
    void positionChanged();

  private:
    // The part of the item the pointer may rest on: what is seen of it inside the layer (scene
    // coordinates).
    QRectF restingArea() const;
    bool pointerOver() const;
    // Where the item is now (its middle in the scene: the hover grows items about it).
    QPointF itemMiddle() const;
    // Whether the pointer is still over the item, and the item where it was when the pointer came.
    bool stillOver() const;
    // The pointer moved, came, went, or Qt's hover flag changed.
    void pointerChanged();
    // A frame is about to be drawn: the tip goes if the item moved or went out of sight.
    void frame();
    bool mayShow();
    void attach(); // follows the window the item is in, while the pointer is over it
    void detach();

    QPointer<QQuickItem> item_;
    QPointer<QQuickItem> layer_;
    bool hovering_ = false;
    bool enabled_ = true;
    QSizeF tipSize_;
    QPointF position_;
    QPointF armedAt_; // the item's middle when the pointer came
    QPointer<QQuickWindow> window_;
    QPointer<PointerWatch> watch_;
    std::vector<QMetaObject::Connection> followed_;
    HelpTipTiming timing_;
};

} // namespace nimbrel
