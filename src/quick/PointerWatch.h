#pragma once

#include <QObject>
#include <QPointF>

#include <optional>
#include <vector>

class QQuickItem;
class QQuickWindow;

namespace nimbrel {

// Where the pointer is over a window, in its scene coordinates, as the window's own events tell.
// For items that must know it also when no hover event reaches them: Qt sends none when content
// moves under a resting pointer. One per window, made by the first item that asks. It also knows
// whether a modal layer covers the window's content (ModalLayer): Qt's hover handlers beneath one
// still see the pointer, though it reaches nothing there.
class PointerWatch : public QObject {
    Q_OBJECT
  public:
    static PointerWatch* of(QQuickWindow& window);

    // None while the pointer is outside the window (or before it was first seen).
    std::optional<QPointF> position() const { return position_; }
    // Whether the pointer moved since the scene was last drawn and no wheel came since: what
    // comes under a pointer at rest (scrolled there, shown or made there) came by no move of it.
    bool justMoved() const { return justMoved_; }
    bool covered() const { return !covers_.empty(); }
    // A modal layer came (true) or went (false); each one comes and goes once.
    void cover(QQuickItem& layer, bool on);
    // The modal layers over the window, the first to come first.
    const std::vector<QQuickItem*>& covers() const { return covers_; }

  signals:
    // Also when a modal layer comes or goes.
    void moved();
    // A mouse button went down (after `moved`, when it went down elsewhere).
    void pressed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit PointerWatch(QQuickWindow& window);

    std::optional<QPointF> position_;
    bool justMoved_ = false;
    std::vector<QQuickItem*> covers_;
};

} // namespace nimbrel
