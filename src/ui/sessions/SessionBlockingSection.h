#pragma once

#include "ui/sessions/SessionRowsModel.h"

#include <QObject>
#include <QVariantList>

namespace nimbrel {

class SessionEditorContext;
struct NimbrelSessionApp;

// The editor's app blocking card (whitelist, reminder) and its whitelist library. Rows are
// named by their session app key.
class SessionBlockingSection : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString countText READ countText NOTIFY changed)
    Q_PROPERTY(bool whitelistAll READ whitelistAll WRITE setWhitelistAll NOTIFY changed)
    Q_PROPERTY(QString whitelistAllSubtitle READ whitelistAllSubtitle NOTIFY changed)
    Q_PROPERTY(bool remind READ remind WRITE setRemind NOTIFY changed)
    Q_PROPERTY(QString remindSubtitle READ remindSubtitle NOTIFY changed)
    Q_PROPERTY(QString leadLabel READ leadLabel NOTIFY changed)
    Q_PROPERTY(QStringList leadChoices READ leadChoices CONSTANT)
    // The first 12 whitelisted apps: {"key", "name", "icon"}; "+N" past them.
    Q_PROPERTY(QVariantList stripApps READ stripApps NOTIFY changed)
    Q_PROPERTY(QString stripOverflowText READ stripOverflowText NOTIFY changed)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY changed)
    Q_PROPERTY(bool allCandidates READ allCandidates WRITE setAllCandidates NOTIFY changed)
    // {"key", "name", "icon", "isSelected", "isDockApp", "look", "hoverLook"}; a look is
    // {"subtitle", "subtitleColor", "fill", "outline"}.
    Q_PROPERTY(QObject* libraryRows READ libraryRows CONSTANT)
  public:
    explicit SessionBlockingSection(SessionEditorContext& context, QObject* parent = nullptr);

    QString countText() const;
    bool whitelistAll() const;
    void setWhitelistAll(bool on);
    QString whitelistAllSubtitle() const;
    bool remind() const;
    void setRemind(bool on);
    QString remindSubtitle() const;
    QString leadLabel() const;
    QStringList leadChoices() const;
    QVariantList stripApps() const;
    QString stripOverflowText() const;
    QString searchText() const;
    void setSearchText(const QString& text);
    bool allCandidates() const;
    void setAllCandidates(bool on);
    SessionRowsModel* libraryRows() { return &libraryRows_; }

    // The index of a row of the lead-time menu.
    Q_INVOKABLE void selectReminderLead(int index);
    Q_INVOKABLE void openLibrary();
    Q_INVOKABLE void closeLibrary();
    // The library row with this key (its "key" in `libraryRows`) was clicked.
    Q_INVOKABLE void toggleWhitelisted(const QString& rowKey);

  signals:
    void changed();

  private:
    std::vector<NimbrelSessionApp> candidates() const;
    void refresh();

    SessionEditorContext& context_;
    SessionRowsModel libraryRows_;
};

} // namespace nimbrel
