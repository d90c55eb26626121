#include "ui/screens/SettingsViewModel.h"

#include "activity/ActivityRecorder.h"
#include "model/SettingsStore.h"
#include "platform/Alerts.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/SystemInfo.h"
#include "platform/UserNotifications.h"
#include "ui/screens/AccountPicture.h"
#include "ui/screens/LastCheckedText.h"
#include "ui/screens/ScreenNavigation.h"
#include "ui/screens/SettingsPresentation.h"

#include <QBuffer>
#include <QFileInfo>

namespace nimbrel {

namespace {

QVariantMap tileMap(const QString& key, PreferenceTile tile, bool on) {
    const TileLook look = preferenceTileLook(tile, on);
    return {{"key", key}, {"title", look.title}, {"symbol", look.symbol}, {"isOn", on}};
}

std::optional<QImage> decoded(const std::optional<QByteArray>& bytes) {
    QImage image;
    if (!bytes || bytes->isEmpty() || !image.loadFromData(*bytes)) return std::nullopt;
    return image;
}

} // namespace

SettingsViewModel::SettingsViewModel(Platform& platform, NimbrelSettingsStore& settings, QObject* parent)
    : QObject(parent), platform_(platform), settings_(settings), launchAtLogin_(platform) {
    auto redraw = [this](const auto&) { emit changed(); };
    observers_.push_back(settings_.syncEnabled().observe(redraw));
    observers_.push_back(settings_.liquidGlassEnabled().observe(redraw));
    observers_.push_back(settings_.automaticUpdatesEnabled().observe(redraw));
    observers_.push_back(settings_.accountName().observe(redraw));
    observers_.push_back(settings_.iCloudStatusText().observe(redraw));
    observers_.push_back(settings_.currentVersion().observe(redraw));
    observers_.push_back(settings_.lastUpdateCheckedText().observe(redraw));
    observers_.push_back(settings_.customAccountImageData().observe([this](const auto&) {
        updateAccountImage(true);
        emit changed();
    }));
    observers_.push_back(settings_.behaviorMode().observe(redraw));
    observers_.push_back(settings_.minimizeAfterCycle().observe(redraw));
    observers_.push_back(settings_.systemNotificationsEnabled().observe(redraw));
    updateAccountImage(true);
}

SettingsViewModel::~SettingsViewModel() = default;

QString SettingsViewModel::accountName() const {
    return settings_.accountName().get();
}

QString SettingsViewModel::iCloudStatusText() const {
    return settings_.iCloudStatusText().get();
}

std::optional<QImage> SettingsViewModel::accountImage() const {
    return chosenAccountImage_ ? chosenAccountImage_ : resolvedAccountImage_;
}

QString SettingsViewModel::accountImageSource() const {
    return accountImageSource_;
}

void SettingsViewModel::updateAccountImage(bool chosenChanged) {
    if (chosenChanged) chosenAccountImage_ = decoded(settings_.customAccountImageData().get());
    const std::optional<QImage> image = accountImage();
    accountImageSource_.clear();
    if (!image) return;
    // Drawn at twice the button's 46 points, for sharp edges on dense screens.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    circularThumbnail(*image, 92).save(&buffer, "PNG");
    if (!png.isEmpty())
        accountImageSource_ = QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

QString SettingsViewModel::versionSubtitle() const {
    return QStringLiteral("Version ") + settings_.currentVersion().get();
}

QVariantMap SettingsViewModel::automaticUpdatesTile() const {
    return tileMap(QStringLiteral("automaticUpdates"), PreferenceTile::automaticUpdates,
                   settings_.automaticUpdatesEnabled().get());
}

QString SettingsViewModel::lastCheckedLine() const {
    return QStringLiteral("Last checked ") + lastCheckedDisplayText(settings_.lastUpdateCheckedText().get());
}

bool SettingsViewModel::offersLiquidGlass() const {
    return platform_.systemInfo && systemOffersLiquidGlass(platform_.systemInfo->operatingSystemVersion().majorVersion);
}

PreferenceValues SettingsViewModel::preferenceValues() const {
    PreferenceValues values;
    values.launchAtLogin = launchAtLoginEnabled();
    values.syncEnabled = settings_.syncEnabled().get();
    values.notificationsEnabled = settings_.systemNotificationsEnabled().get();
    values.liquidGlassEnabled = settings_.liquidGlassEnabled().get();
    values.systemMajorVersion = platform_.systemInfo ? platform_.systemInfo->operatingSystemVersion().majorVersion : 0;
    values.behaviorMode = settings_.behaviorMode().get();
    values.minimizeAfterCycle = settings_.minimizeAfterCycle().get();
    return values;
}

QString SettingsViewModel::preferencesSummary() const {
    return nimbrel::preferencesSummary(preferenceValues());
}

QVariantList SettingsViewModel::preferenceTiles() const {
    QVariantList tiles;
    for (const PreferenceTileState& tile : preferenceTileStates(preferenceValues()))
        tiles << tileMap(tile.key, tile.tile, tile.on);
    return tiles;
}

QVariantList SettingsViewModel::behaviorModes() const {
    QVariantList modes;
    for (const BehaviorModeLook& look : behaviorModeLooks())
        modes << QVariantMap{
            {"title", look.title}, {"symbol", look.symbol}, {"selected", look.mode == settings_.behaviorMode().get()}};
    return modes;
}

void SettingsViewModel::appeared() {
    launchAtLogin_.refresh();
    emit changed();
    lookUpAccountPicture();
}

void SettingsViewModel::lookUpAccountPicture() {
    if (!platform_.processes || !platform_.files || !platform_.systemInfo || !platform_.scheduler) return;
    // The lookup waits for commands, so it runs on a worker and shares nothing with the
    // screen but its result.
    auto result = std::make_shared<std::optional<QImage>>();
    ProcessRunner* processes = platform_.processes;
    FileSystem* files = platform_.files;
    const QString loginName = platform_.systemInfo->userName();
    platform_.scheduler->runInBackground(
        [result, processes, files, loginName] {
            *result = AccountPictureLookup(*processes, *files).systemAccountPicture(loginName);
        },
        lifetime_.guard([this, result] {
            resolvedAccountImage_ = *result;
            updateAccountImage(false);
            emit changed();
        }));
}

void SettingsViewModel::setTile(const QString& key, bool on) {
    if (key == QLatin1String("launchAtLogin")) return setLaunchAtLogin(on);
    if (key == QLatin1String("notifications")) return setNotificationsEnabled(on);
    if (key == QLatin1String("sync")) return settings_.setSyncEnabled(on);
    if (key == QLatin1String("minimizeAfterCycle")) return settings_.setMinimizeAfterCycle(on);
    if (key == QLatin1String("liquidGlass")) return settings_.setLiquidGlassEnabled(on);
    if (key == QLatin1String("automaticUpdates")) return settings_.setAutomaticUpdatesEnabled(on);
}

void SettingsViewModel::setLaunchAtLogin(bool on) {
    launchAtLogin_.set(on);
    emit changed();
}

void SettingsViewModel::setNotificationsEnabled(bool on) {
    if (!on || !platform_.userNotifications) {
        if (!on) settings_.setSystemNotificationsEnabled(false);
        return;
    }
    // The switch stays off until the system answers; only a grant turns it on. The store
    // outlives the screen, so an answer that comes after the screen has gone still counts.
    NimbrelSettingsStore* settings = &settings_;
    Scheduler* scheduler = platform_.scheduler;
    platform_.userNotifications->requestAuthorization(
        NotificationAlert | NotificationSound, [settings, scheduler](bool granted, std::optional<QString>) {
            auto apply = [settings, granted] { settings->setSystemNotificationsEnabled(granted); };
            if (scheduler)
                scheduler->post(apply);
            else
                apply();
        });
}

void SettingsViewModel::chooseBehaviorMode(int index) {
    const auto& looks = behaviorModeLooks();
    if (index < 0 || index >= int(looks.size())) return;
    settings_.setBehaviorMode(looks[size_t(index)].mode);
}

void SettingsViewModel::checkForUpdates() {
    settings_.checkForUpdatesNow();
}

void SettingsViewModel::chooseAccountImage() {
    if (!platform_.alerts || !platform_.files) return;
    OpenPanelRequest request;
    request.title = QStringLiteral("Choose Account Image");
    request.canChooseFiles = true;
    request.canChooseDirectories = false;
    request.allowsMultipleSelection = false;
    // Type identifiers rather than extensions, so that JPEG covers ".jpg" as well.
    request.allowedContentTypes = {QStringLiteral("public.png"), QStringLiteral("public.jpeg"),
                                   QStringLiteral("public.heic"), QStringLiteral("public.tiff")};
    const std::optional<QStringList> chosen = platform_.alerts->runOpenPanel(request);
    if (!chosen || chosen->isEmpty()) return;
    const std::optional<QImage> image =
        decoded(platform_.files->readFile(chosen->front(), AccountPictureLookup::kMaxPictureFileBytes));
    const std::optional<QByteArray> png = image ? accountImageData(*image) : std::nullopt;
    if (!png) return refuseChosenPicture(chosen->front());
    settings_.setCustomAccountImageData(*png);
}

void SettingsViewModel::refuseChosenPicture(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    logLine(QStringLiteral("SettingsWC"), QStringLiteral("the chosen account image %1 could not be read").arg(path));
    recordNimbrelActivity(platform_, NimbrelActivityType::error, QStringLiteral("Account Picture Refused"),
                          QStringLiteral("\u201c%1\u201d could not be read as an image, so the account picture was "
                                         "kept.")
                              .arg(name));
}

void SettingsViewModel::goBack() {
    goBackToMainScreen(platform_);
}

} // namespace nimbrel
