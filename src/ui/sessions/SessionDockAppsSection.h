#pragma once

#include "ui/sessions/SessionRowsModel.h"

#include <QObject>

namespace nimbrel {

class SessionEditorContext;

// The editor's Dock apps card: the strip of the session's Dock, the Dock order with its
// arrows, the search field and the app picker. Rows are named by their session app key.
class SessionDockAppsSection : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString countText READ countText NOTIFY changed)
    // {"key", "name", "icon"} per Dock app, in Dock order.
    Q_PROPERTY(QObject* tiles READ tiles CONSTANT)
    // {"key", "name", "icon", "isFinder", "canMoveUp", "canMoveDown", "look", "hoverLook"}.
    Q_PROPERTY(QObject* orderRows READ orderRows CONSTANT)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY changed)
    // {"key", "name", "icon", "isSelected", "look", "hoverLook"}.
    Q_PROPERTY(QObject* pickerRows READ pickerRows CONSTANT)
  public:
    static constexpr double kMoveResponse = 0.18;
    static constexpr double kMoveDamping = 0.79;

    explicit SessionDockAppsSection(SessionEditorContext& context, QObject* parent = nullptr);

    QString countText() const;
    SessionRowsModel* tiles() { return &tiles_; }
    SessionRowsModel* orderRows() { return &orderRows_; }
    QString searchText() const;
    void setSearchText(const QString& text);
    SessionRowsModel* pickerRows() { return &pickerRows_; }

    // A picker row's click, and an order row's click (Finder's only beeps).
    Q_INVOKABLE void togglePickerApp(const QString& key);
    Q_INVOKABLE void unselectDockApp(const QString& key);
    Q_INVOKABLE void moveDockApp(const QString& key, int offset);

  signals:
    void changed();

  private:
    void refresh();

    SessionEditorContext& context_;
    SessionRowsModel tiles_;
    SessionRowsModel orderRows_;
    SessionRowsModel pickerRows_;
};

} // namespace nimbrel
