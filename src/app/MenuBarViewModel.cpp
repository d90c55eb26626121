#include "app/MenuBarViewModel.h"

#include "app/PopoverPlacement.h"
#include "app/ShellNames.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"

namespace nimbrel {

namespace {
const QString kBlacklistKey = QStringLiteral("Nimbrel.blacklistedApplications");
const QString kBlacklistTokenKey = QStringLiteral("Nimbrel.blacklistedApplications.refreshToken");
} // namespace

QString ignoredAppsSubtitle(int count) {
    if (count <= 0) return QStringLiteral("Ignored apps");
    if (count == 1) return QStringLiteral("1 ignored app");
    return QString::number(count) + QStringLiteral(" ignored apps");
}

MenuBarViewModel::MenuBarViewModel(Platform& platform, GlobalPauseController& pause, Hooks hooks, QObject* parent)
    : QObject(parent), platform_(platform), pause_(pause), hooks_(std::move(hooks)), now_(platform.clock->now()) {
    trusted_ = hooks_.isProcessTrusted && hooks_.isProcessTrusted();
    // Pause changes (from the menu or the pause's own end) show at once, not at the next tick.
    pauseObserver_ = platform_.notifications->addObserver(shell::kPauseStateDidChange, [this](const Notification&) {
        now_ = platform_.clock->now();
        emit changed();
    });
    blacklistObserver_ = platform_.defaults->observe(kBlacklistKey, [this] { emit changed(); });
    blacklistTokenObserver_ = platform_.defaults->observe(kBlacklistTokenKey, [this] { emit changed(); });
}

MenuBarViewModel::~MenuBarViewModel() {
    stop();
}

QString MenuBarViewModel::ignoredAppsSubtitleText() const {
    // Read as the blacklist store reads it: a list with anything but texts is no blacklist.
    const std::optional<QStringList> list = platform_.defaults->stringArrayValue(kBlacklistKey);
    return ignoredAppsSubtitle(list ? int(list->size()) : 0);
}

QVariantList MenuBarViewModel::pauseMenuRowsList() const {
    QVariantList rows;
    for (const PauseMenuRow& row : pauseMenuRows(isPaused())) {
        rows << QVariantMap{{"symbol", row.symbol}, {"text", row.text}, {"dividerBefore", row.dividerBefore}};
    }
    return rows;
}

void MenuBarViewModel::appeared() {
    ++shownViews_;
    now_ = platform_.clock->now();
    showingPauseMenu_ = false;
    refreshAccessibilityState();
    if (tick_) tick_->cancel();
    tick_ = platform_.scheduler->every(1.0, lifetime_.guard([this] { tick(); }));
    if (!syncObservation_.isActive() && !syncObservationStart_) {
        syncObservationStart_ = platform_.scheduler->after(0.35, lifetime_.guard([this] {
            syncObservationStart_.reset();
            observeCloudSyncState();
        }));
    }
    emit changed();
}

void MenuBarViewModel::disappeared() {
    // Coming back within the slide builds the new screen before the old one is gone.
    if (shownViews_ > 0 && --shownViews_ > 0) return;
    stop();
}

void MenuBarViewModel::stop() {
    if (tick_) {
        tick_->cancel();
        tick_.reset();
    }
    if (syncObservationStart_) {
        syncObservationStart_->cancel();
        syncObservationStart_.reset();
    }
    syncObservation_.reset();
    if (syncing_) {
        syncing_ = false;
        emit changed();
    }
}

void MenuBarViewModel::tick() {
    now_ = platform_.clock->now();
    refreshAccessibilityState();
    pause_.endIfExpired();
    emit changed();
}

void MenuBarViewModel::refreshAccessibilityState() {
    const bool trusted = hooks_.isProcessTrusted && hooks_.isProcessTrusted();
    if (trusted == trusted_) return;
    trusted_ = trusted;
    emit changed();
}

void MenuBarViewModel::observeCloudSyncState() {
    syncing_ = hooks_.isSyncing && hooks_.isSyncing();
    if (hooks_.observeSyncing) {
        syncObservation_ = hooks_.observeSyncing([this](bool syncing) {
            if (syncing == syncing_) return;
            syncing_ = syncing;
            emit changed();
        });
    }
    emit changed();
}

void MenuBarViewModel::togglePauseMenu() {
    showingPauseMenu_ = !showingPauseMenu_;
    emit changed();
}

void MenuBarViewModel::choosePauseRow(int index) {
    const std::vector<PauseMenuRow> rows = pauseMenuRows(isPaused());
    showingPauseMenu_ = false;
    emit changed();
    if (index < 0 || size_t(index) >= rows.size()) return;
    pause_.run(rows[size_t(index)]);
}

void MenuBarViewModel::openPermissions() {
    if (hooks_.openAccessibilitySettings) hooks_.openAccessibilitySettings();
    platform_.scheduler->after(1.0, lifetime_.guard([this] { refreshAccessibilityState(); }));
}

void MenuBarViewModel::postPanelNotification(const QString& name) {
    static const QStringList allowed = {shell::kShowBlacklist, shell::kShowRules,    shell::kShowSessions,
                                        shell::kShowActivity,  shell::kShowSettings, shell::kQuitRequested};
    if (allowed.contains(name)) platform_.notifications->post(name);
}

QVariantMap MenuBarViewModel::pauseMenuPlacement(const QRectF& button, const QSizeF& size, const QRectF& area) const {
    // The arrow is 8 points high, 6 points stay free at the area's edges, and the arrow keeps
    // clear of the menu's 20-point corners.
    const PopoverPlacement p = placePopover(button, size, area, 8, 6, 20);
    return {{"x", p.frame.x()},           {"y", p.frame.y()},           {"width", p.frame.width()},
            {"height", p.frame.height()}, {"arrowOnTop", p.arrowOnTop}, {"arrowX", p.arrowX},
            {"scrolls", p.scrolls}};
}

} // namespace nimbrel
