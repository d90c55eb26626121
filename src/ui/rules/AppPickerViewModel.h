#pragma once

#include "ui/common/KeyedListModel.h"

#include <QObject>
#include <QVariantList>
#include <QVariantMap>

namespace nimbrel {

class RuleEditorViewModel;

// The editor's app picker: the search, the installed apps it finds (the chosen one first), the
// loading state while the catalogue's scan runs, and choosing an app or taking the choice back.
class AppPickerViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY changed)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY changed)
    // {id, displayName, bundleIdentifier, path, isSelected} per listed app.
    Q_PROPERTY(QVariantList rows READ rows NOTIFY changed)
    // The same rows keyed by the app's id, kept current while the picker is shown, so a row
    // that stays keeps its view (and the pointer over it) as the list changes.
    Q_PROPERTY(QObject* rowModel READ rowModel CONSTANT)
  public:
    explicit AppPickerViewModel(RuleEditorViewModel& editor);

    QString searchText() const;
    void setSearchText(const QString& text);
    // "Loading apps…" shows only while a scan runs; a scan that found nothing lists nothing.
    bool isLoading() const;
    QVariantList rows() const;
    QObject* rowModel() { return &rowModel_; }

    // A row's look for its selection and the pointer: {"tone", "subtitle"}.
    Q_INVOKABLE QVariantMap rowLook(bool isSelected, bool isHovering, const QString& bundleIdentifier) const;
    // A row's icon, asked as the row is drawn.
    Q_INVOKABLE QVariantMap rowIcon(const QString& path) const;
    // Chooses the app (by bundle identifier) and closes the picker.
    Q_INVOKABLE void selectApp(const QString& bundleIdentifier);
    // Takes the choice back; the picker stays open.
    Q_INVOKABLE void removeSelectedApp(const QString& bundleIdentifier);

  signals:
    void changed();

  private:
    std::vector<QVariantMap> rowMaps() const;
    void refreshRowModel();

    RuleEditorViewModel& editor_;
    KeyedListModel rowModel_;
};

} // namespace nimbrel
