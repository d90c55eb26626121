#pragma once

#include <QPointer>
#include <QQuickItem>

namespace nimbrel {

class PointerWatch;

// A layer of a window that holds the window's input while it is shown, as a modal window does:
// it takes every click, wheel turn and key that its contents leave, so nothing beneath it is
// used; the pointer counts as over none of what it covers (no help tip shows there); and the
// item that had the keyboard when it came gets it back when it goes, a text field with its
// cursor and selection as they were. An item beneath that takes the keyboard meanwhile (a screen
// giving a field the keyboard) would get the keys through the layer, so the topmost layer takes
// it back at once.
class ModalLayer : public QQuickItem {
    Q_OBJECT
  public:
    explicit ModalLayer(QQuickItem* parent = nullptr);
    ~ModalLayer() override;

  protected:
    void itemChange(ItemChange change, const ItemChangeData& value) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

  private:
    // Holds the input while shown in a window, and lets it go otherwise.
    void follow();
    void hold();
    void letGo();
    // Whether the keyboard is this layer's (or no one's) now.
    bool hasKeyboard() const;
    // The keyboard went elsewhere while the layer holds the window.
    void keyboardMoved();

    QPointer<PointerWatch> covered_; // the window's, while the layer holds it
    QMetaObject::Connection keyboardWatch_;
    QPointer<QQuickItem> focusBefore_;
    // A text field's cursor and the other end of its selection (the cursor when none), which it
    // drops with the keyboard.
    int cursorBefore_ = -1;
    int anchorBefore_ = -1;
};

} // namespace nimbrel
