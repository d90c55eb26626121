#pragma once

#include "ui/sessions/SessionRowsModel.h"

#include <QObject>
#include <QVariantList>
#include <QVariantMap>

namespace nimbrel {

class SessionEditorContext;

// The editor's menu-bar icon card and its symbol library. Pictures are {"isAsset", "name"}:
// a system symbol, one of the program's assets, or the heart that stands in for unknown names.
class SessionSymbolSection : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVariantMap preview READ preview NOTIFY changed)
    // {"key" (the name), "name", "picture", "isSelected", "tooltip"} per cell.
    Q_PROPERTY(QVariantList quickCells READ quickCells NOTIFY changed)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY changed)
    Q_PROPERTY(QObject* libraryCells READ libraryCells CONSTANT)
    Q_PROPERTY(bool hasPendingSymbol READ hasPendingSymbol NOTIFY changed)
    Q_PROPERTY(QString pendingSymbolName READ pendingSymbolName NOTIFY changed)
    Q_PROPERTY(QVariantMap pendingPicture READ pendingPicture NOTIFY changed)
  public:
    explicit SessionSymbolSection(SessionEditorContext& context, QObject* parent = nullptr);

    QVariantMap preview() const;
    QVariantList quickCells() const;
    QString searchText() const;
    void setSearchText(const QString& text);
    SessionRowsModel* libraryCells() { return &libraryCells_; }
    bool hasPendingSymbol() const;
    QString pendingSymbolName() const;
    QVariantMap pendingPicture() const;

    Q_INVOKABLE void selectQuickSymbol(const QString& name);
    Q_INVOKABLE void openLibrary();
    Q_INVOKABLE void togglePendingSymbol(const QString& name);
    // "Use Selected Symbol" with the pending name as the button shows it.
    Q_INVOKABLE void applyLibrarySymbol(const QString& name);
    // The library's back button: the choice made before it opened stays.
    Q_INVOKABLE void closeLibrary();

  signals:
    void changed();

  private:
    QVariantMap picture(const QString& name) const;
    QVariantList cells(const QStringList& names, bool quick) const;
    void refresh();

    SessionEditorContext& context_;
    SessionRowsModel libraryCells_;
};

} // namespace nimbrel
