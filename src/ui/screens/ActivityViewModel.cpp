#include "ui/screens/ActivityViewModel.h"

#include "activity/ActivityStore.h"
#include "platform/Calendar.h"
#include "platform/Platform.h"
#include "ui/screens/ScreenNavigation.h"

namespace nimbrel {

QString activityTypeSymbol(NimbrelActivityType type) {
    switch (type) {
    case NimbrelActivityType::session:
        return QStringLiteral("dock.rectangle");
    case NimbrelActivityType::rule:
        return QStringLiteral("square.stack.3d.up");
    case NimbrelActivityType::blacklist:
        return QStringLiteral("nosign");
    case NimbrelActivityType::whitelist:
        return QStringLiteral("checkmark.shield.fill");
    case NimbrelActivityType::error:
        return QStringLiteral("exclamationmark.triangle.fill");
    case NimbrelActivityType::info:
        return QStringLiteral("info.circle.fill");
    }
    return {};
}

QString activityTypeTint(NimbrelActivityType type) {
    switch (type) {
    case NimbrelActivityType::session:
    case NimbrelActivityType::whitelist:
        return QStringLiteral("green");
    case NimbrelActivityType::rule:
        return QStringLiteral("yellow");
    case NimbrelActivityType::blacklist:
    case NimbrelActivityType::error:
        return QStringLiteral("red");
    case NimbrelActivityType::info:
        return QStringLiteral("blue");
    }
    return {};
}

QString activityEntryDescription(const NimbrelActivityEntry& entry) {
    return entry.title + QLatin1Char('\n') + entry.message;
}

QVariant ActivityEntryListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= int(entries_.size())) return {};
    const NimbrelActivityEntry& entry = entries_[size_t(index.row())];
    switch (role) {
    case TitleRole:
        return entry.title;
    case MessageRole:
        return entry.message;
    case TimeRole:
        // Hours and minutes only, in the user's locale and current zone.
        return DateFormatter(DateStyle::None, DateStyle::Short).string(entry.date);
    case SymbolRole:
        return activityTypeSymbol(entry.type);
    case TintRole:
        return activityTypeTint(entry.type);
    case TypeRole:
        return json::enumName(entry.type);
    default:
        return {};
    }
}

QHash<int, QByteArray> ActivityEntryListModel::roleNames() const {
    return {{TitleRole, "title"},   {MessageRole, "message"}, {TimeRole, "time"},
            {SymbolRole, "symbol"}, {TintRole, "tint"},       {TypeRole, "kind"}};
}

void ActivityEntryListModel::setEntries(QDate day, std::vector<NimbrelActivityEntry> entries) {
    if (day == day_ && entries == entries_) return;
    std::vector<QString> keys;
    keys.reserve(entries.size());
    for (const NimbrelActivityEntry& entry : entries)
        keys.push_back(entry.id.toString());
    if (day == day_) {
        applyKeys(keys_, keys, vectorStorage(entries_, entries), {});
    } else {
        const int countBefore = count();
        beginResetModel();
        day_ = day;
        entries_ = std::move(entries);
        endResetModel();
        if (count() != countBefore) emit countChanged();
    }
    keys_ = std::move(keys);
}

ActivityViewModel::ActivityViewModel(Platform& platform, NimbrelActivityStore& store, Hooks hooks, QObject* parent)
    : QObject(parent), platform_(platform), store_(store), hooks_(std::move(hooks)),
      syncButton_(*platform.scheduler, hooks_.sync, [this] { emit syncChanged(); }) {
    selectedDay_ = calendarDay(now(), currentTimeZone());
    entriesObserver_ = store_.observeEntries([this] { refresh(); });
    refresh();
}

ActivityViewModel::~ActivityViewModel() = default;

Date ActivityViewModel::now() const {
    return platform_.clock ? platform_.clock->now() : Date{};
}

void ActivityViewModel::refresh() {
    model_ = buildActivityDayModel(store_.entries(), now(), selectedDay_, currentTimeZone());
    entries_.setEntries(model_.selected, model_.selectedEntries);
    emit changed();
}

QVariantList ActivityViewModel::days() const {
    QVariantList out;
    for (const ActivityStripDay& day : model_.days) {
        const int count = day.count;
        out << QVariantMap{{"identifier", activityDayIdentifier(day.date)},
                           {"weekday", shortWeekdayName(day.date)},
                           {"dayNumber", day.date.day()},
                           {"count", count},
                           {"badge", activityBadgeText(count)},
                           {"isSelected", day.date == model_.selected}};
    }
    return out;
}

QString ActivityViewModel::selectedDateText() const {
    const QTimeZone zone = currentTimeZone();
    return DateFormatter(DateStyle::Full, DateStyle::None, {}, zone).string(startOfCalendarDay(model_.selected, zone));
}

QString ActivityViewModel::syncState() const {
    switch (syncButton_.state()) {
    case SyncButton::State::idle:
        return QStringLiteral("idle");
    case SyncButton::State::syncing:
        return QStringLiteral("syncing");
    case SyncButton::State::done:
        return QStringLiteral("done");
    }
    return {};
}

void ActivityViewModel::appeared() {
    selectedDay_ = calendarDay(now(), currentTimeZone());
    store_.insertSampleEntriesIfEmpty();
    refresh();
    entrance_.begin(platform_.scheduler, [this] { emit changed(); });
}

void ActivityViewModel::selectDay(int index) {
    if (index < 0 || index >= int(model_.days.size())) return;
    selectedDay_ = model_.days[size_t(index)].date;
    refresh();
}

void ActivityViewModel::selectToday() {
    selectedDay_ = calendarDay(now(), currentTimeZone());
    refresh();
}

void ActivityViewModel::startSync() {
    syncButton_.start();
}

void ActivityViewModel::copyEntry(int row) {
    const auto& entries = entries_.entries();
    if (row < 0 || row >= int(entries.size()) || !hooks_.copyToPasteboard) return;
    hooks_.copyToPasteboard(activityEntryDescription(entries[size_t(row)]));
}

void ActivityViewModel::goBack() {
    goBackToMainScreen(platform_);
}

} // namespace nimbrel
