#pragma once

#include "platform/NotificationCenter.h"
#include "platform/Scheduler.h"
#include "ui/common/KeyedListModel.h"
#include "ui/common/ScreenEntrance.h"
#include "ui/screens/ActivityDayModel.h"
#include "ui/screens/SyncButton.h"

#include <QObject>
#include <QVariantList>

#include <functional>
#include <memory>

namespace nimbrel {

struct Platform;
class NimbrelActivityStore;

// The entries of the selected day, newest first; each card's time is written only when the
// list asks for it. The entries of the day shown so far are matched by id, so one that arrives
// or leaves leaves the list where the person scrolled it; another day's entries replace them
// all, and its list starts at its top.
class ActivityEntryListModel : public KeyedRowsModel {
    Q_OBJECT
  public:
    enum Role { TitleRole = Qt::UserRole + 1, MessageRole, TimeRole, SymbolRole, TintRole, TypeRole };
    using KeyedRowsModel::KeyedRowsModel;
    int count() const override { return int(entries_.size()); }
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void setEntries(QDate day, std::vector<NimbrelActivityEntry> entries);
    const std::vector<NimbrelActivityEntry>& entries() const { return entries_; }

  private:
    QDate day_;
    std::vector<NimbrelActivityEntry> entries_;
    std::vector<QString> keys_; // the entries' ids, as the next change is matched by them
};

// The symbol and the colour name of an entry's type.
QString activityTypeSymbol(NimbrelActivityType type);
QString activityTypeTint(NimbrelActivityType type);
// What copying an entry puts on the pasteboard: the title, a line feed and the message.
QString activityEntryDescription(const NimbrelActivityEntry& entry);

// The activity screen: the strip of the last 30 days, the selected day's entries and the
// sync button. Day arithmetic uses the time zone current at each calculation.
class ActivityViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool hasAnimatedIn READ hasAnimatedIn NOTIFY changed)
    Q_PROPERTY(QVariantList days READ days NOTIFY changed)
    Q_PROPERTY(int selectedIndex READ selectedIndex NOTIFY changed)
    Q_PROPERTY(QString selectedIdentifier READ selectedIdentifier NOTIFY changed)
    Q_PROPERTY(bool selectedIsToday READ selectedIsToday NOTIFY changed)
    Q_PROPERTY(QString sectionTitle READ sectionTitle NOTIFY changed)
    Q_PROPERTY(QString selectedDateText READ selectedDateText NOTIFY changed)
    Q_PROPERTY(QObject* entries READ entryList CONSTANT)
    Q_PROPERTY(int entryCount READ entryCount NOTIFY changed)
    Q_PROPERTY(QString syncState READ syncState NOTIFY syncChanged)
    Q_PROPERTY(QString syncTitle READ syncTitle NOTIFY syncChanged)
    Q_PROPERTY(QString syncSymbol READ syncSymbol NOTIFY syncChanged)
    Q_PROPERTY(bool syncSucceeded READ syncSucceeded NOTIFY syncChanged)
    Q_PROPERTY(QString syncProblemTone READ syncProblemTone NOTIFY syncChanged)
    Q_PROPERTY(bool syncEnabled READ syncEnabled NOTIFY syncChanged)
  public:
    struct Hooks {
        SyncNowLink sync;
        // Puts text on the general pasteboard.
        std::function<void(const QString&)> copyToPasteboard;
    };

    ActivityViewModel(Platform& platform, NimbrelActivityStore& store, Hooks hooks, QObject* parent = nullptr);
    ~ActivityViewModel() override;

    bool hasAnimatedIn() const { return entrance_.hasAnimatedIn(); }
    QVariantList days() const;
    int selectedIndex() const { return model_.selectedIndex(); }
    QString selectedIdentifier() const { return activityDayIdentifier(model_.selected); }
    bool selectedIsToday() const { return model_.selected == model_.today; }
    QString sectionTitle() const { return activityDayTitle(model_.selected, model_.today); }
    QString selectedDateText() const;
    QObject* entryList() { return &entries_; }
    int entryCount() const { return int(entries_.entries().size()); }
    const ActivityDayModel& dayModel() const { return model_; }

    QString syncState() const;
    QString syncTitle() const { return syncButton_.title(); }
    QString syncSymbol() const { return syncButton_.symbol(); }
    bool syncSucceeded() const { return syncButton_.showsSuccess(); }
    QString syncProblemTone() const { return syncButton_.problemTone(); }
    bool syncEnabled() const { return syncButton_.isEnabled(); }

    // Each showing: today selected, the sample entries of an empty log, and the entrance on
    // the next turn.
    Q_INVOKABLE void appeared();
    Q_INVOKABLE void selectDay(int index);
    Q_INVOKABLE void selectToday();
    Q_INVOKABLE void startSync();
    Q_INVOKABLE void copyEntry(int row);
    Q_INVOKABLE void goBack();
    // Recomputes the days (the clock or the zone may have moved since the last redraw).
    Q_INVOKABLE void refresh();

  signals:
    void changed();
    void syncChanged();

  private:
    Date now() const;

    Platform& platform_;
    NimbrelActivityStore& store_;
    Hooks hooks_;
    QDate selectedDay_;
    ActivityDayModel model_;
    ActivityEntryListModel entries_;
    SyncButton syncButton_;
    ObserverToken entriesObserver_;
    ScreenEntrance entrance_;
};

} // namespace nimbrel
