#include "ui/screens/BlacklistViewModel.h"

#include "model/BlacklistSearch.h"
#include "model/BlacklistStore.h"
#include "platform/Platform.h"
#include "ui/common/AppIcons.h"
#include "ui/screens/ScreenNavigation.h"

#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace nimbrel {

namespace {

// The folder that holds the bundle ("Utilities" for /Applications/Utilities/X.app).
QString containingFolderName(const QString& bundlePath) {
    return QFileInfo(QFileInfo(bundlePath).path()).fileName();
}

} // namespace

QString BlacklistRowModel::keyOf(const Row& row) {
    switch (row.kind) {
    case Kind::header:
        return QStringLiteral("header-") + row.text;
    case Kind::spacer:
        return QStringLiteral("spacer");
    case Kind::missing:
        return QStringLiteral("missing-") + row.text;
    case Kind::app:
        return (row.blacklisted ? QStringLiteral("blacklisted-") : QStringLiteral("available-")) + row.app->id;
    }
    return {};
}

QVariant BlacklistRowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= int(rows_.size())) return {};
    const Row& row = rows_[size_t(index.row())];
    switch (role) {
    case KindRole: {
        static const char* const kinds[] = {"header", "spacer", "missing", "app"};
        return QString::fromLatin1(kinds[int(row.kind)]);
    }
    case TitleRole:
        if (row.kind == Kind::missing) return fallbackAppName(row.text);
        return row.app ? row.app->name : row.text;
    case KeyRole:
        return row.text;
    case RowIdRole:
        return row.app ? keyOf(row) : row.text;
    case AppIdRole:
        return row.app ? row.app->id : QString();
    case FolderRole:
        return row.app ? containingFolderName(row.app->url) : QString();
    case IconRole:
        if (!row.app) return QVariantMap{};
        return appTileIcon(row.app->name, iconSource_ ? iconSource_(row.app->icon) : QString());
    case BlacklistedRole:
        return row.blacklisted;
    default:
        return {};
    }
}

QHash<int, QByteArray> BlacklistRowModel::roleNames() const {
    return {{KindRole, "kind"},   {TitleRole, "title"},   {KeyRole, "key"},   {RowIdRole, "rowId"},
            {AppIdRole, "appId"}, {FolderRole, "folder"}, {IconRole, "icon"}, {BlacklistedRole, "isBlacklisted"}};
}

QVariantMap BlacklistRowModel::row(int index) const {
    QVariantMap out;
    const auto names = roleNames();
    for (auto it = names.begin(); it != names.end(); ++it)
        out.insert(QString::fromLatin1(it.value()), data(this->index(index), it.key()));
    return out;
}

void BlacklistRowModel::show(const BlacklistListing& listing) {
    std::vector<Row> next;
    auto header = [&next](const char* title) { next.push_back({Kind::header, QString::fromLatin1(title)}); };
    if (!listing.missingKeys.isEmpty()) {
        header("Not installed on this Mac");
        for (const QString& key : listing.missingKeys)
            next.push_back({Kind::missing, key});
        next.push_back({Kind::spacer, {}});
    }
    if (!listing.blacklisted.empty()) {
        header("Blacklist");
        for (const InstalledApp& app : listing.blacklisted)
            next.push_back({Kind::app, {}, &app, true});
        next.push_back({Kind::spacer, {}});
    }
    header("All apps");
    for (const InstalledApp& app : listing.others)
        next.push_back({Kind::app, {}, &app, false});
    std::vector<QString> before, after;
    for (const Row& row : rows_)
        before.push_back(keyOf(row));
    for (const Row& row : next)
        after.push_back(keyOf(row));
    applyKeys(before, after, vectorStorage(rows_, next), {});
}

BlacklistViewModel::BlacklistViewModel(Platform& platform, std::shared_ptr<BlacklistStore> store, QObject* parent)
    : QObject(parent), platform_(platform), store_(std::move(store)), editing_(platform, *store_),
      rows_([this](const AppIcon& icon) { return drawableIcon(icon); }) {
    observers_.push_back(store_->installedApps().observe([this](const auto&) {
        index_.reset();
        relist();
    }));
    observers_.push_back(store_->blacklistedAppKeys().observe([this](const auto&) { relist(); }));
    observers_.push_back(store_->isLoadingApps().observe([this](const auto&) { relist(); }));
    relist();
}

BlacklistViewModel::~BlacklistViewModel() = default;

void BlacklistViewModel::relist() {
    if (!index_) index_ = std::make_unique<BlacklistSearchIndex>(store_->installedApps().get());
    // The rows point into the listing shown so far until the new one has been matched to them.
    const BlacklistListing previous =
        std::exchange(listing_, listBlacklist({store_->installedApps().get(), store_->blacklistedAppKeys().get(),
                                               store_->isLoadingApps().get()},
                                              searchText_, *index_));
    rows_.show(listing_);
    emit changed();
}

void BlacklistViewModel::setSearchText(const QString& text) {
    if (text == searchText_) return;
    searchText_ = text;
    relist();
}

bool BlacklistViewModel::showsLoadingCard() const {
    return store_->isLoadingApps().get() && store_->installedApps().get().empty();
}

QString BlacklistViewModel::drawableIcon(const AppIcon& icon) const {
    // Icons do not change while the screen is shown; each file is looked at once.
    auto it = iconSources_.constFind(icon.imagePath);
    if (it == iconSources_.constEnd())
        it = iconSources_.insert(icon.imagePath, drawableIconSource(*platform_.files, icon.imagePath));
    return *it;
}

void BlacklistViewModel::appeared() {
    store_->reloadInstalledApps();
}

void BlacklistViewModel::clearSearch() {
    setSearchText({});
}

void BlacklistViewModel::setAll(bool on) {
    // Copies: each change of the store lists the screen anew.
    const std::vector<InstalledApp> shown = listing_.filtered;
    editing_.setBlacklisted(shown, on);
    // An empty list reads off again at once, whatever was asked.
    emit changed();
}

void BlacklistViewModel::toggleApp(const QString& id) {
    const auto found = std::find_if(listing_.filtered.begin(), listing_.filtered.end(),
                                    [&id](const InstalledApp& app) { return app.id == id; });
    if (found == listing_.filtered.end()) return;
    const InstalledApp app = *found;
    editing_.toggle(app);
}

void BlacklistViewModel::removeMissingKey(const QString& key) {
    if (listing_.missingKeys.contains(key)) editing_.removeMissingKey(key);
}

void BlacklistViewModel::goBack() {
    goBackToMainScreen(platform_);
}

} // namespace nimbrel
