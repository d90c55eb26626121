#include "ui/screens/BlacklistViewModel.h"

#include "model/BlacklistSearch.h"
#include "model/BlacklistStore.h"
#include "ui/screens/ScreenNavigation.h"

#include <QFileInfo>
#include <QImageReader>

#include <algorithm>

namespace nimbrel {

namespace {

// An icon the screen can draw: an image file this machine can read; else the row draws a
// tile of the app's initials.
QString drawableIcon(const AppIcon& icon) {
    if (icon.imagePath.isEmpty()) return {};
    QImageReader reader(icon.imagePath);
    return reader.canRead() ? QStringLiteral("file://") + QFileInfo(icon.imagePath).absoluteFilePath() : QString();
}

// The folder that holds the bundle ("Utilities" for /Applications/Utilities/X.app).
QString containingFolderName(const QString& bundlePath) {
    return QFileInfo(QFileInfo(bundlePath).path()).fileName();
}

} // namespace

BlacklistViewModel::BlacklistViewModel(Platform& platform, std::shared_ptr<BlacklistStore> store, QObject* parent)
    : QObject(parent), platform_(platform), store_(std::move(store)), editing_(platform, *store_) {
    observers_.push_back(store_->installedApps().observe([this](const auto&) { relist(); }));
    observers_.push_back(store_->blacklistedAppKeys().observe([this](const auto&) { relist(); }));
    observers_.push_back(store_->isLoadingApps().observe([this](const auto&) { relist(); }));
    relist();
}

BlacklistViewModel::~BlacklistViewModel() = default;

void BlacklistViewModel::relist() {
    listing_ = listBlacklist(
        {store_->installedApps().get(), store_->blacklistedAppKeys().get(), store_->isLoadingApps().get()},
        searchText_);
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

QVariantList BlacklistViewModel::rows(const std::vector<InstalledApp>& apps, const QString& prefix) const {
    QVariantList out;
    out.reserve(qsizetype(apps.size()));
    const bool blacklisted = prefix == QLatin1String("blacklisted-");
    for (const InstalledApp& app : apps)
        out << QVariantMap{{"kind", "app"},
                           {"isBlacklisted", blacklisted},
                           {"rowId", prefix + app.id},
                           {"appId", app.id},
                           {"name", app.name},
                           {"folder", containingFolderName(app.url)},
                           {"icon", drawableIcon(app.icon)}};
    return out;
}

QVariantList BlacklistViewModel::missingRows() const {
    QVariantList out;
    for (const QString& key : listing_.missingKeys)
        out << QVariantMap{{"kind", "missing"}, {"rowId", key}, {"key", key}, {"title", fallbackAppName(key)}};
    return out;
}

QVariantList BlacklistViewModel::listRows() const {
    auto header = [](const QString& title) { return QVariantMap{{"kind", "header"}, {"title", title}}; };
    const QVariantMap spacer{{"kind", "spacer"}};
    QVariantList out;
    if (!listing_.missingKeys.isEmpty()) {
        out << header(QStringLiteral("Not installed on this Mac")) << missingRows() << spacer;
    }
    if (!listing_.blacklisted.empty()) out << header(QStringLiteral("Blacklist")) << blacklistedRows() << spacer;
    out << header(QStringLiteral("All apps")) << otherRows();
    return out;
}

QVariantList BlacklistViewModel::blacklistedRows() const {
    return rows(listing_.blacklisted, QStringLiteral("blacklisted-"));
}

QVariantList BlacklistViewModel::otherRows() const {
    return rows(listing_.others, QStringLiteral("available-"));
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
