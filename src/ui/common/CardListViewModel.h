#pragma once

#include "platform/Scheduler.h"
#include "ui/common/ScreenEntrance.h"
#include "ui/common/Spring.h"

#include <QObject>
#include <QString>

namespace nimbrel {

// What the views of the rules and sessions screens read alike: a list of cards (or the empty
// state), the entrance, the editor that slides in over the list, and the motion of changes.
//
// A QObject base rather than a member the screens hold: their views read these as the screen
// model's own properties (model.isEditorOpen, model.cards, ...), and a property is the model's
// own only when it is declared in its class or in a QObject base of it.
class CardListViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QObject* cards READ cardsModel CONSTANT)
    Q_PROPERTY(bool isEmpty READ isEmpty NOTIFY cardsChanged)
    Q_PROPERTY(bool hasAnimatedIn READ hasAnimatedIn NOTIFY hasAnimatedInChanged)
    Q_PROPERTY(bool isEditorOpen READ isEditorOpen NOTIFY editorChanged)
    Q_PROPERTY(QString editorSessionId READ editorSessionId NOTIFY editorChanged)
    Q_PROPERTY(QObject* editor READ editor NOTIFY editorChanged)
    Q_PROPERTY(QObject* motion READ motion CONSTANT)
    Q_PROPERTY(QObject* cardsMotion READ cardsMotion CONSTANT)
  public:
    virtual QObject* cardsModel() = 0;
    virtual bool isEmpty() const = 0;
    bool hasAnimatedIn() const { return entrance_.hasAnimatedIn(); }
    virtual bool isEditorOpen() const = 0;
    // A fresh id at every opening of the editor; empty while it is closed.
    virtual QString editorSessionId() const = 0;
    // The editor's view model while the editor is open.
    virtual QObject* editor() const = 0;
    virtual Motion* motion() = 0;
    // The motion of the cards' last change: the spring of the action that made it (a delete),
    // none for one that lands at once (a save, a pin, a cloud merge). It is not the editor's:
    // a save closes the editor with a spring after the list has changed.
    Motion* cardsMotion() { return &cardsMotion_; }

  signals:
    void cardsChanged();
    void hasAnimatedInChanged();
    void editorChanged();
    // The card in `row` was just saved or moved by the person: the list brings it into view.
    void cardToShow(int row);

  protected:
    using QObject::QObject;
    // The screen appeared: the entrance comes one turn later, once.
    void beginEntrance(Scheduler* scheduler);
    // The cards are about to change.
    void cardsChanging() { cardsMotion_.followAction(*motion()); }

  private:
    ScreenEntrance entrance_;
    Motion cardsMotion_;
};

} // namespace nimbrel
