#include "sessions/SessionWallpaperManager.h"

#include "activity/ActivityRecorder.h"
#include "platform/Files.h"
#include "platform/Json.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "sessions/Session.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QUrl>

#include <algorithm>

namespace nimbrel {

namespace {

const QString kLog = QStringLiteral("NimbrelSessionWallpaperManager");

QString fileURL(const QString& path) {
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

QString pathOfURL(const QString& url) {
    const QUrl parsed(url);
    return parsed.isLocalFile() ? parsed.toLocalFile() : parsed.path();
}

} // namespace

NimbrelSessionWallpaperManager::NimbrelSessionWallpaperManager(Platform& platform)
    : platform_(platform), snapshot_(platform, kSnapshotFileName,
                                     {kLog, QStringLiteral("failed to load original wallpaper snapshot: "),
                                      QStringLiteral("Wallpaper Snapshot Load Failed"),
                                      QStringLiteral("failed to save original wallpaper snapshot: "),
                                      QStringLiteral("Wallpaper Snapshot Failed")}) {}

bool NimbrelSessionWallpaperManager::setWallpaper(const QString& url, const ScreenInfo& screen) {
    WorkspaceError error;
    if (platform_.workspace->setDesktopImageURL(url, screen.id, &error)) return true;
    logLine(kLog, QStringLiteral("failed to set wallpaper: ") + error.localizedDescription);
    recordNimbrelActivity(platform_, NimbrelActivityType::error, QStringLiteral("Wallpaper Failed"),
                          error.localizedDescription);
    return false;
}

bool NimbrelSessionWallpaperManager::applySessionWallpapers(const NimbrelSession& session) {
    std::vector<NimbrelSessionWallpaperSelection> valid;
    for (const NimbrelSessionWallpaperSelection& selection : session.wallpaperSelections)
        if (platform_.files->exists(platform_.files->expandTilde(selection.path))) valid.push_back(selection);
    if (valid.empty()) {
        restoreOriginalWallpapers(); // a session without usable wallpapers shows the pictures from before
        return true;
    }
    // The pictures change only once the ones from before are kept.
    if (!captureOriginalSnapshot()) return false;
    const std::vector<ScreenInfo> screens = platform_.screens->screens();
    qsizetype applied = 0;
    for (const NimbrelSessionWallpaperSelection& selection : valid)
        if (setSelection(selection, screens)) ++applied;
    // Only targets that got a picture count: one for a screen that is not there sets nothing.
    if (applied == 0) return true;
    platform_.defaults->setBool(kSessionPicturesShownKey, true);
    recordNimbrelActivity(platform_, NimbrelActivityType::session, QStringLiteral("Wallpaper Applied"),
                          QStringLiteral("Session wallpaper was applied to %1 display target%2.")
                              .arg(applied)
                              .arg(applied == 1 ? "" : "s"));
    return true;
}

bool NimbrelSessionWallpaperManager::setSelection(const NimbrelSessionWallpaperSelection& selection,
                                                  const std::vector<ScreenInfo>& screens) {
    const QString url = fileURL(platform_.files->expandTilde(selection.path));
    if (selection.displayTarget.type == NimbrelSessionDisplayTarget::Type::automatic) {
        bool any = false;
        for (const ScreenInfo& screen : screens)
            any = setWallpaper(url, screen) || any;
        return any;
    }
    // Compared as it is stored: any 64-bit index, negative or huge, is tested without arithmetic.
    const qint64 i = selection.displayTarget.index;
    if (i < 0 || i >= qint64(screens.size())) return false;
    return setWallpaper(url, screens[size_t(i)]);
}

bool NimbrelSessionWallpaperManager::sessionPicturesShown() const {
    return platform_.defaults->boolValue(kSessionPicturesShownKey).value_or(false);
}

void NimbrelSessionWallpaperManager::forgetSessionPictures() {
    if (platform_.defaults->contains(kSessionPicturesShownKey)) platform_.defaults->remove(kSessionPicturesShownKey);
}

bool NimbrelSessionWallpaperManager::usersCopyIsLost() {
    return sessionPicturesShown() && !loadOriginalSnapshot();
}

std::optional<QString> NimbrelSessionWallpaperManager::picturePath(const ScreenInfo& screen) const {
    if (const std::optional<QString> url = platform_.workspace->desktopImageURL(screen.id)) return pathOfURL(*url);
    return std::nullopt;
}

bool NimbrelSessionWallpaperManager::writeSnapshot(const std::vector<WallpaperSnapshot>& entries) {
    QJsonArray array;
    for (const WallpaperSnapshot& entry : entries) {
        QJsonObject item{{QStringLiteral("screenIndex"), entry.screenIndex},
                         {QStringLiteral("wallpaperPath"), entry.wallpaperPath}};
        if (entry.shownWhenRestoreFailed)
            item.insert(QStringLiteral("shownWhenRestoreFailed"), *entry.shownWhenRestoreFailed);
        array.append(item);
    }
    return snapshot_.write(array);
}

bool NimbrelSessionWallpaperManager::captureOriginalSnapshot() {
    bool blocked = false;
    const std::vector<ScreenInfo> screens = platform_.screens->screens();
    if (const auto kept = loadOriginalSnapshot(&blocked)) {
        // The pictures from before the first session stay. What a restore could not finish
        // holds only its own screens: the others, and any the user changed since, show the
        // user's pictures, which are the ones to come back after this session.
        const auto leftOver = [](const WallpaperSnapshot& entry) { return entry.shownWhenRestoreFailed.has_value(); };
        if (std::none_of(kept->begin(), kept->end(), leftOver)) return true;
        std::vector<WallpaperSnapshot> entries;
        for (size_t i = 0; i < screens.size(); ++i) {
            const std::optional<QString> showing = picturePath(screens[i]);
            const auto entry = std::find_if(kept->rbegin(), kept->rend(), [i](const WallpaperSnapshot& e) {
                return e.screenIndex == qint64(i);
            });
            if (entry != kept->rend() && showing.value_or(QString()) == entry->shownWhenRestoreFailed)
                entries.push_back({qint64(i), entry->wallpaperPath, std::nullopt});
            else if (showing)
                entries.push_back({qint64(i), *showing, std::nullopt});
        }
        return writeSnapshot(entries);
    }
    if (blocked) return false;
    // Pictures a session set are no pictures from before: with their snapshot gone, none is kept.
    if (sessionPicturesShown()) {
        logLine(kLog, QStringLiteral("skipped original wallpaper snapshot because the pictures showing are a "
                                     "session's"));
        return true;
    }
    std::vector<WallpaperSnapshot> entries;
    for (size_t i = 0; i < screens.size(); ++i)
        if (const std::optional<QString> showing = picturePath(screens[i]))
            entries.push_back({qint64(i), *showing, std::nullopt});
    return writeSnapshot(entries);
}

std::optional<std::vector<NimbrelSessionWallpaperManager::WallpaperSnapshot>>
NimbrelSessionWallpaperManager::loadOriginalSnapshot(bool* blocked) {
    std::vector<WallpaperSnapshot> entries;
    const auto state = snapshot_.load([&entries](const QJsonDocument& document) {
        if (!document.isArray())
            throw json::DecodeError(
                QStringLiteral("Expected to decode an array of wallpapers but found an object instead."));
        const QJsonArray items = document.array();
        for (qsizetype i = 0; i < items.size(); ++i) {
            const json::Reader r = json::Reader::fromArrayElement(items[i], json::DateForm::ISO8601, i);
            entries.push_back({r.integer(QStringLiteral("screenIndex")), r.string(QStringLiteral("wallpaperPath")),
                               r.optionalString(QStringLiteral("shownWhenRestoreFailed"))});
        }
    });
    if (blocked) *blocked = state == SessionSnapshotFile::State::blocked;
    if (state != SessionSnapshotFile::State::loaded) return std::nullopt;
    return entries;
}

void NimbrelSessionWallpaperManager::restoreOriginalWallpapers() {
    bool blocked = false;
    const auto snapshot = loadOriginalSnapshot(&blocked);
    if (!snapshot) {
        // Nothing to put back: from here on the pictures showing are the user's.
        if (!blocked && sessionPicturesShown()) {
            logLine(kLog, QStringLiteral("cannot restore original wallpapers because their snapshot is missing"));
            forgetSessionPictures();
        }
        return;
    }
    bool anyUsers = false;
    bool anySet = false;
    const std::vector<WallpaperSnapshot> left = leftAfterRestore(*snapshot, &anyUsers, &anySet);
    // A picture that could not be set is tried again at the next restore; only its screen is.
    if (!left.empty()) {
        if (left != *snapshot) writeSnapshot(left);
        return;
    }
    if (anySet || !anyUsers)
        recordNimbrelActivity(platform_, NimbrelActivityType::session, QStringLiteral("Wallpaper Restored"),
                              QStringLiteral("Default wallpapers were restored."));
    // Forgotten on disk before the snapshot goes: a crash in between must not leave the
    // pictures from before taken for a session's.
    forgetSessionPictures();
    platform_.defaults->synchronize();
    snapshot_.remove();
}

std::vector<NimbrelSessionWallpaperManager::WallpaperSnapshot>
NimbrelSessionWallpaperManager::leftAfterRestore(const std::vector<WallpaperSnapshot>& snapshot, bool* anyUsers,
                                                 bool* anySet) {
    const std::vector<ScreenInfo> screens = platform_.screens->screens();
    std::vector<WallpaperSnapshot> left;
    for (const WallpaperSnapshot& entry : snapshot) {
        // A screen that is gone, or a picture that no longer exists, has nothing to put back.
        if (entry.screenIndex < 0 || entry.screenIndex >= qint64(screens.size())) continue;
        // The path is used as stored: a "~" in it names no home folder, so no file.
        if (!entry.wallpaperPath.startsWith(QLatin1Char('/')) || !platform_.files->exists(entry.wallpaperPath))
            continue;
        const ScreenInfo& screen = screens[size_t(entry.screenIndex)];
        if (entry.shownWhenRestoreFailed && picturePath(screen).value_or(QString()) != *entry.shownWhenRestoreFailed) {
            logLine(kLog, QStringLiteral("wallpaper of screen %1 was changed since its restore failed; keeping it")
                              .arg(entry.screenIndex));
            *anyUsers = true;
            continue;
        }
        if (setWallpaper(fileURL(entry.wallpaperPath), screen)) {
            *anySet = true;
            continue;
        }
        left.push_back({entry.screenIndex, entry.wallpaperPath, picturePath(screen).value_or(QString())});
    }
    return left;
}

} // namespace nimbrel
