#pragma once

#include "model/RuleTargets.h"
#include "ui/common/KeyedListModel.h"

#include <QObject>
#include <QStringList>
#include <QVariantList>

#include <functional>

namespace nimbrel {

class RuleEditorViewModel;
struct RuleEditorState;

// The editor's folder, website, placement and display controls: the main action's and those
// of every further folder or website row. A row is named by its id; the empty id is the main
// action. Menus are lists of titles and a choice is the chosen item's index.
class RuleActionsViewModel : public QObject {
    Q_OBJECT
    // The main action.
    Q_PROPERTY(QString folderTitle READ folderTitle NOTIFY changed)
    Q_PROPERTY(QStringList folderMenu READ folderMenu NOTIFY changed)
    Q_PROPERTY(bool isCustomFolder READ isCustomFolder NOTIFY changed)
    Q_PROPERTY(QString customFolderButtonTitle READ customFolderButtonTitle NOTIFY changed)
    Q_PROPERTY(QString placementTitle READ placementTitle NOTIFY changed)
    Q_PROPERTY(QString monitorTitle READ monitorTitle NOTIFY changed)
    Q_PROPERTY(QString websiteText READ websiteText NOTIFY changed)
    Q_PROPERTY(QString openingModeTitle READ openingModeTitle NOTIFY changed)
    Q_PROPERTY(bool opensNewWindow READ opensNewWindow NOTIFY changed)
    // Menus shared by every row; the monitor menu is empty with fewer than two screens.
    Q_PROPERTY(QStringList placementMenu READ placementMenu CONSTANT)
    Q_PROPERTY(QStringList monitorMenu READ monitorMenu NOTIFY changed)
    Q_PROPERTY(QStringList openingModeMenu READ openingModeMenu CONSTANT)
    // Rows of {id, folderTitle, folderMenu, isCustomFolder, customFolderButtonTitle, placementTitle,
    // monitorTitle}, and of {id, websiteText, openingModeTitle, opensNewWindow, placementTitle,
    // monitorTitle}: keyed lists, so a row being edited keeps its view.
    Q_PROPERTY(QObject* folderRows READ folderRowsModel CONSTANT)
    Q_PROPERTY(QObject* websiteRows READ websiteRowsModel CONSTANT)
  public:
    explicit RuleActionsViewModel(RuleEditorViewModel& editor);

    QString folderTitle() const;
    QStringList folderMenu() const;
    bool isCustomFolder() const;
    QString customFolderButtonTitle() const;
    QString placementTitle() const;
    QString monitorTitle() const;
    QString websiteText() const;
    QString openingModeTitle() const;
    bool opensNewWindow() const;
    QStringList placementMenu() const;
    QStringList monitorMenu() const;
    QStringList openingModeMenu() const;
    QObject* folderRowsModel() { return &folderRows_; }
    QObject* websiteRowsModel() { return &websiteRows_; }
    const std::vector<QVariantMap>& folderRows() const { return folderRows_.rows(); }
    const std::vector<QVariantMap>& websiteRows() const { return websiteRows_.rows(); }

    // Choosing "Custom Folder…" (or the chosen folder) opens the folder panel at once.
    Q_INVOKABLE void chooseFolder(const QString& rowId, int index);
    Q_INVOKABLE void chooseCustomFolder(const QString& rowId);
    Q_INVOKABLE void choosePlacement(const QString& rowId, int index);
    // Index 0 is "Automatic", then the attached displays as the menu lists them now.
    Q_INVOKABLE void chooseMonitor(const QString& rowId, int index);
    Q_INVOKABLE void setWebsiteText(const QString& rowId, const QString& text);
    Q_INVOKABLE void chooseOpeningMode(const QString& rowId, int index);
    Q_INVOKABLE void addFinderChildAction();
    Q_INVOKABLE void removeFinderChildAction(const QString& rowId);
    Q_INVOKABLE void addBrowserChildAction();
    Q_INVOKABLE void removeBrowserChildAction(const QString& rowId);

  signals:
    void changed();

  private:
    // The placement and display a row edits (the main action's for the empty id); null for an
    // id no row has.
    struct PlacementFields {
        NimbrelWindowPlacement* placement = nullptr;
        NimbrelDisplayTarget* display = nullptr;
    };
    static PlacementFields placementFields(RuleEditorState& state, const QString& rowId);
    void editRow(const std::function<void(RuleEditorState&)>& change);
    void refreshRows();

    RuleEditorViewModel& editor_;
    KeyedListModel folderRows_;
    KeyedListModel websiteRows_;
};

} // namespace nimbrel
