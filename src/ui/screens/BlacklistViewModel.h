#pragma once

#include "platform/NotificationCenter.h"
#include "ui/screens/BlacklistEditing.h"
#include "ui/screens/BlacklistFilter.h"

#include <QObject>
#include <QVariantList>

#include <memory>
#include <vector>

namespace nimbrel {

struct Platform;
class BlacklistStore;

// The blacklist screen: the search, the "All" switch, the missing keys and the two app
// sections. It keeps only the search text; the lists are derived from the store's state
// whenever it or the search changes.
class BlacklistViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY changed)
    Q_PROPERTY(bool showsClearButton READ showsClearButton NOTIFY changed)
    Q_PROPERTY(bool allOn READ allOn NOTIFY changed)
    Q_PROPERTY(QVariantList missingRows READ missingRows NOTIFY changed)
    Q_PROPERTY(QVariantList blacklistedRows READ blacklistedRows NOTIFY changed)
    Q_PROPERTY(QVariantList otherRows READ otherRows NOTIFY changed)
    Q_PROPERTY(QVariantList listRows READ listRows NOTIFY changed)
    Q_PROPERTY(bool showsEmptyState READ showsEmptyState NOTIFY changed)
    Q_PROPERTY(bool showsLoadingCard READ showsLoadingCard NOTIFY changed)
  public:
    BlacklistViewModel(Platform& platform, std::shared_ptr<BlacklistStore> store, QObject* parent = nullptr);
    ~BlacklistViewModel() override;

    QString searchText() const { return searchText_; }
    void setSearchText(const QString& text);
    bool showsClearButton() const { return !searchText_.isEmpty(); }
    bool allOn() const { return listing_.allOn; }
    QVariantList missingRows() const;
    QVariantList blacklistedRows() const;
    QVariantList otherRows() const;
    // The list top to bottom: "header", "missing", "spacer" and "app" rows.
    QVariantList listRows() const;
    bool showsEmptyState() const { return listing_.showsEmptyState; }
    bool showsLoadingCard() const;
    const BlacklistListing& listing() const { return listing_; }

    // Each showing: a new scan of the installed apps unless one is running.
    Q_INVOKABLE void appeared();
    Q_INVOKABLE void clearSearch();
    Q_INVOKABLE void setAll(bool on);
    // An app row of either section, by the app's id.
    Q_INVOKABLE void toggleApp(const QString& id);
    Q_INVOKABLE void removeMissingKey(const QString& key);
    Q_INVOKABLE void goBack();

  signals:
    void changed();

  private:
    void relist();
    QVariantList rows(const std::vector<InstalledApp>& apps, const QString& prefix) const;

    Platform& platform_;
    std::shared_ptr<BlacklistStore> store_;
    BlacklistEditing editing_;
    QString searchText_;
    BlacklistListing listing_;
    std::vector<ObserverToken> observers_;
};

} // namespace nimbrel
