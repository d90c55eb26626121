#pragma once

#include "platform/NotificationCenter.h"
#include "ui/common/KeyedListModel.h"
#include "ui/screens/BlacklistEditing.h"
#include "ui/screens/BlacklistFilter.h"

#include <QAbstractListModel>
#include <QHash>
#include <QObject>
#include <QVariantList>

#include <functional>
#include <memory>
#include <vector>

namespace nimbrel {

struct Platform;
class BlacklistStore;

// The blacklist's list top to bottom: section headers, the missing keys, spacers and the app
// rows of both sections. A row's values are made only when the list shows it. Rows are matched
// by key from one listing to the next, so a toggled app moves between the sections while the
// rows around it, and the list's scrolling, stay where they were.
class BlacklistRowModel : public KeyedRowsModel {
    Q_OBJECT
  public:
    enum Role {
        KindRole = Qt::UserRole + 1,
        TitleRole,
        KeyRole,
        RowIdRole,
        AppIdRole,
        FolderRole,
        IconRole,
        BlacklistedRole
    };
    explicit BlacklistRowModel(std::function<QString(const AppIcon&)> iconSource, QObject* parent = nullptr)
        : KeyedRowsModel(parent), iconSource_(std::move(iconSource)) {}
    int count() const override { return int(rows_.size()); }
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Takes the rows of a listing (which must outlive them until the next call ends).
    void show(const BlacklistListing& listing);
    // One row's values by role name, for tests.
    QVariantMap row(int index) const;

  private:
    enum class Kind { header, spacer, missing, app };
    struct Row {
        Kind kind;
        QString text; // a header's title or a missing key
        const InstalledApp* app = nullptr;
        bool blacklisted = false;

        friend bool operator==(const Row& a, const Row& b) {
            return a.kind == b.kind && a.text == b.text && a.blacklisted == b.blacklisted &&
                   (a.app == b.app || (a.app && b.app && *a.app == *b.app));
        }
    };
    static QString keyOf(const Row& row);
    std::function<QString(const AppIcon&)> iconSource_;
    std::vector<Row> rows_;
};

// The blacklist screen: the search, the "All" switch, the missing keys and the two app
// sections. It keeps only the search text; the lists are derived from the store's state
// whenever it or the search changes.
class BlacklistViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY changed)
    Q_PROPERTY(bool showsClearButton READ showsClearButton NOTIFY changed)
    Q_PROPERTY(bool allOn READ allOn NOTIFY changed)
    Q_PROPERTY(QObject* rows READ rowModel CONSTANT)
    Q_PROPERTY(bool showsEmptyState READ showsEmptyState NOTIFY changed)
    Q_PROPERTY(bool showsLoadingCard READ showsLoadingCard NOTIFY changed)
  public:
    BlacklistViewModel(Platform& platform, std::shared_ptr<BlacklistStore> store, QObject* parent = nullptr);
    ~BlacklistViewModel() override;

    QString searchText() const { return searchText_; }
    void setSearchText(const QString& text);
    bool showsClearButton() const { return !searchText_.isEmpty(); }
    bool allOn() const { return listing_.allOn; }
    QObject* rowModel() { return &rows_; }
    const BlacklistRowModel& rows() const { return rows_; }
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
    QString drawableIcon(const AppIcon& icon) const;

    Platform& platform_;
    std::shared_ptr<BlacklistStore> store_;
    BlacklistEditing editing_;
    QString searchText_;
    BlacklistListing listing_;
    BlacklistRowModel rows_;
    std::unique_ptr<BlacklistSearchIndex> index_; // of the installed apps last published
    std::vector<ObserverToken> observers_;
    mutable QHash<QString, QString> iconSources_;
};

} // namespace nimbrel
