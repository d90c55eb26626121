#pragma once

#include "platform/NotificationCenter.h"
#include "platform/Scheduler.h"
#include "platform/SystemInfo.h"
#include "platform/simulated/SimModel.h"
#include "platform/simulated/SimRecorder.h"

#include <QJsonObject>
#include <QVariantMap>

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace nimbrel::sim {

// Who uses the Mac and what it is.
struct MacIdentity {
    QString shortName = QStringLiteral("anna");
    QString fullName = QStringLiteral("Anna Lindqvist");
    unsigned uid = 501;
    QString hostName = QStringLiteral("Anna\u2019s MacBook Pro");
    QString model = QStringLiteral("Mac14,6");
    OperatingSystemVersion os{14, 5, 0};
    // The directory record's account pictures: a file on the Mac's disk ("Picture") and the
    // bytes of "JPEGPhoto" (absent when empty).
    QString picturePath = QStringLiteral("/Library/User Pictures/Animals/Eagle.heic");
    QByteArray jpegPhoto;
    QString homeDirectory() const { return QStringLiteral("/Users/") + shortName; }
};

// Names of the notices the simulated Mac posts (user info: "pid").
inline const QString kNoticeDidLaunch = QStringLiteral("didLaunch");
inline const QString kNoticeDidTerminate = QStringLiteral("didTerminate");
inline const QString kNoticeDidActivate = QStringLiteral("didActivate");
inline const QString kNoticeDidWake = QStringLiteral("didWake");

inline const QString kFinderBundleId = QStringLiteral("com.apple.finder");
inline const QString kDockBundleId = QStringLiteral("com.apple.dock");
inline const QString kSafariBundleId = QStringLiteral("com.apple.Safari");
inline const QString kTerminalBundleId = QStringLiteral("com.apple.Terminal");
inline const QString kITermBundleId = QStringLiteral("com.googlecode.iterm2");
inline const QString kSystemSettingsBundleId = QStringLiteral("com.apple.systempreferences");
inline const QString kSystemEventsBundleId = QStringLiteral("com.apple.systemevents");

// The simulated Mac: one model of screens, the Dock, running applications and their
// windows, and what the user does. The facilities (SimWorkspace, SimAccessibility, ...)
// are thin views of it. Main thread only.
class SimulatedMac {
  public:
    // `root` is a real folder that holds the Mac's disk ("/Applications/..." is <root>/Applications/...).
    SimulatedMac(Scheduler& scheduler, Clock& clock, QString root);
    ~SimulatedMac();
    SimulatedMac(const SimulatedMac&) = delete;
    SimulatedMac& operator=(const SimulatedMac&) = delete;

    Scheduler& scheduler() { return scheduler_; }
    Clock& clock() { return clock_; }
    Recorder& recorder() { return recorder_; }
    NotificationCenter& notices() { return notices_; }
    MacIdentity& identity() { return identity_; }
    const MacIdentity& identity() const { return identity_; }

    // The disk.
    const QString& root() const { return root_; }
    QString realPath(const QString& macPath) const;
    // Writes <bundle>/Contents/Info.plist, and the app's picture where the Mac has one of its
    // own for that bundle identifier.
    bool installApplication(const QString& bundlePath, const QString& bundleIdentifier, const QString& name,
                            ActivationPolicy policy = ActivationPolicy::regular);
    std::vector<InstalledApp> installedApplications() const;
    std::optional<InstalledApp> installedApplication(const QString& bundleIdentifier) const;
    std::optional<InstalledApp> installedApplicationAt(const QString& bundlePath) const;
    // The Mac path of the icon image of the file at `path`: an app bundle's own picture (its
    // Info.plist's icon file), else the generic folder or document icon.
    QString iconPath(const QString& path) const;
    // Gives each installed app that the Mac has a picture of, and that has no icon file (a
    // state saved before the Mac had pictures), its picture.
    void addMissingAppPictures();

    // Screens.
    std::vector<Screen>& screens() { return screens_; }
    const std::vector<Screen>& screens() const { return screens_; }
    const Screen* screen(int id) const;
    Screen* screen(int id);
    int mainScreenId() const { return mainScreenId_; }
    void setMainScreenId(int id) { mainScreenId_ = id; }
    double primaryHeight() const;
    Point toAccessibility(Point appKit) const { return {appKit.x, primaryHeight() - appKit.y}; }
    Point toAppKit(Point accessibility) const { return {accessibility.x, primaryHeight() - accessibility.y}; }

    // Running applications, in launch order.
    std::vector<App>& apps() { return apps_; }
    const std::vector<App>& apps() const { return apps_; }
    App* app(int pid);
    const App* app(int pid) const;
    App* appWithBundleId(const QString& bundleIdentifier);
    App* appWithPath(const QString& bundlePath);
    int frontmostPid() const { return activationOrder_.empty() ? 0 : activationOrder_.front(); }
    const std::vector<int>& activationOrder() const { return activationOrder_; }
    RunningApplication snapshot(const App& app) const;
    // The last snapshot of an application that has ended (isTerminated set).
    std::optional<RunningApplication> departed(int pid) const;

    // Starts an installed application at once; `withWindow` gives it its usual first window.
    App& startApplication(const InstalledApp& installed, bool withWindow, bool activates);
    // Starts an application as the workspace does: after its launch delay (0 = next turn).
    void launch(const InstalledApp& installed, bool activates, std::function<void(App*)> done);
    void setLaunchDelay(const QString& bundleIdentifier, double seconds) { launchDelays_[bundleIdentifier] = seconds; }
    // The next start of that application gets this process id, unless a running app has it.
    void setLaunchPid(const QString& bundleIdentifier, int pid) { launchPids_[bundleIdentifier] = pid; }
    bool activate(int pid);
    bool setHidden(int pid, bool hidden);
    bool terminate(int pid);

    // Windows.
    Window& addWindow(App& app, Window window); // in front; gives it an id
    Window* window(int pid, std::uint64_t windowId);
    App* ownerOfWindow(std::uint64_t windowId);
    std::optional<std::uint64_t> focusedWindowId(const App& app) const;
    void setMinimized(App& app, std::uint64_t windowId, bool minimized);
    void raise(App& app, std::uint64_t windowId);
    void closeWindow(App& app, std::uint64_t windowId);
    void setFullScreen(App& app, std::uint64_t windowId, bool on);
    // The frame a new window of `app` gets (cascaded on the main screen), in Accessibility coordinates.
    Rect nextWindowFrame(const App& app) const;
    // Brings Finder's window of `document` forward, or opens one.
    void showFinderWindow(App& finder, const QString& document, const QString& title);

    // What the applications do.
    Window& newBrowserWindow(App& browser, const QString& url);
    void loadURL(App& browser, Window& window, int tabIndex, const QString& url);
    int newTab(App& browser, Window& window, const QString& url); // returns the tab's index
    static QString titleForURL(const QString& url, bool safari);
    void openFolderInFinder(const QString& path);
    void openTrashInFinder();
    Window& runInTerminal(App& terminal, const QString& command, bool newWindow);
    // Opens a URL text or a plain path with its default handler; false when nothing handles it.
    bool openURL(const QString& urlOrPath);
    QString defaultBrowserBundleId() const { return defaultBrowser_; }
    void setDefaultBrowserBundleId(const QString& id) { defaultBrowser_ = id; }

    // The Dock.
    DockOrientation dockOrientation() const { return orientation_; }
    // Also what the Dock's preferences say, so that a restart keeps it.
    void setDockOrientation(DockOrientation o);
    int dockPid() const { return dockPid_; }
    // Tiles in Dock order with their frames (AppKit coordinates).
    std::vector<DockTile> dockTiles() const;
    Rect dockFrame() const; // the Dock's own area on the primary screen
    std::optional<size_t> dockTileIndexAt(Point appKit) const;
    // What the Dock itself does with a click on a tile (activate, launch, open the Trash).
    void clickDockTile(const DockTile& tile);
    // The "com.apple.dock" domain: pending writes and what is stored.
    QVariantMap& dockPreferencesPending() { return dockPending_; }
    QVariantMap& dockPreferencesStored() { return dockStored_; }
    void setDockSynchronizeFails(bool fails) { dockSynchronizeFails_ = fails; }
    bool synchronizeDockPreferences();
    // Kills the Dock; it comes back at once and reads "persistent-apps" and "persistent-others" again.
    void restartDock();
    // Fault: from now on each time the Dock starts it writes "persistent-apps" back in its own
    // form: these applications (bundle paths), or when none are given the tiles it read. Off:
    // it leaves its preferences as they are.
    void setDockRewritesPreferences(bool on, QStringList apps = {});
    // Fault: the Dock's preferences cannot be read: "persistent-apps" holds no list, or (`domainGone`)
    // the whole domain is gone. The Dock goes on showing its tiles. A write that reaches the
    // preferences ends it, and so does `repairDockPreferences`: the Dock writes its tiles back.
    void breakDockPreferences(bool domainGone);
    void repairDockPreferences();
    // The user drags applications into the Dock (bundle paths, at its end) and out of it (by
    // title): the tiles change at once and the Dock writes its preferences.
    void userChangesDock(const QStringList& addPaths, const QStringList& removeTitles);
    // One entry of "persistent-apps" or "persistent-others", as the Dock keeps it.
    static QVariantMap dockTileEntry(const QString& path, const QString& label, const QString& bundleIdentifier,
                                     bool directory);
    const std::vector<DockTile>& persistentDockTiles() const { return persistentTiles_; }

    // The pointer, the mouse button and the monitors watching them.
    Point pointer() const { return pointer_; }
    void movePointer(Point appKit) { pointer_ = appKit; }
    bool isButtonDown() const { return buttonDown_; }
    void mouseDown(Point appKit);
    // A release on the tile that was pressed is the Dock's click, which it does on a later turn
    // of the loop; a press held `kDockTileHoldSeconds` showed the tile's menu and is no click.
    void mouseUp();
    using MouseWatcher = std::function<void(bool down, Point location)>;
    [[nodiscard]] ObserverToken watchMouse(MouseWatcher watcher);

    // The Accessibility permission.
    bool isTrusted() const { return trusted_; }
    void setTrusted(bool trusted);
    void notePermissionPrompt();
    int permissionPromptCount() const { return promptCount_; }

    // Sleep and wake.
    void wake();

    // While quiet (setting up a desktop), no launch, activation or termination notices are posted.
    void setQuiet(bool quiet) { quiet_ = quiet; }
    // Posts a notice through the scheduler (observers run later, never inside the caller).
    void postNotice(const QString& name, int pid);

    // Default desktop and persistence.
    void buildDefaultDesktop();
    QJsonObject toJson() const;
    // Replaces the state with a saved one; false (state unchanged) when it cannot be read.
    bool loadJson(const QJsonObject& object, QString* error = nullptr);
    // A desktop of many apps and windows is a few megabytes; a larger file is no state of ours, and
    // none is written.
    static constexpr qint64 kMaxStateFileBytes = 64 * 1024 * 1024;
    bool saveToFile(const QString& path, QString* error = nullptr) const;
    bool loadFromFile(const QString& path, QString* error = nullptr);

    std::uint64_t takeWindowId() { return nextWindowId_++; }
    int takePid() {
        while (app(nextPid_)) // one given to an app by setLaunchPid
            ++nextPid_;
        return nextPid_++;
    }

  private:
    // The installed applications as last read. A file whose size and modification time are
    // unchanged, and whose time lies more than a second back (past the file system's clock
    // tick), is unchanged; anything newer is read again and compared byte for byte.
    struct FileSnapshot {
        std::int64_t size = -1;
        std::int64_t modified = -1; // nanoseconds since 1970
        QByteArray bytes;
    };
    struct InstalledAppsIndex {
        std::map<QString, FileSnapshot> folders; // real folder path -> its listing, as bytes
        std::map<QString, std::pair<FileSnapshot, std::optional<InstalledApp>>> bundles; // by Mac path
    };
    void bringToFrontOfActivation(int pid);
    void removeFromActivation(int pid);
    std::vector<DockTile> readTilesFromPreferences(const QString& key, DockTileKind fallbackKind) const;
    void layoutDock(std::vector<DockTile>& tiles) const;
    void releaseOnDockTile(const DockTile& tile, bool held);

    Scheduler& scheduler_;
    Clock& clock_;
    Date startTime_;
    QString root_;
    Recorder recorder_;
    NotificationCenter notices_;
    MacIdentity identity_;
    Lifetime lifetime_;

    std::vector<Screen> screens_;
    // Workspace look-ups may come from a worker (the app catalogue's scan).
    mutable std::mutex installedMutex_;
    mutable InstalledAppsIndex installedIndex_;
    int mainScreenId_ = 1;
    std::vector<App> apps_;
    std::vector<int> activationOrder_;
    std::map<int, RunningApplication> departed_;
    std::map<QString, double> launchDelays_;
    std::map<QString, int> launchPids_;
    QString defaultBrowser_ = kSafariBundleId;

    DockOrientation orientation_ = DockOrientation::bottom;
    int dockPid_ = 0;
    QVariantMap dockPending_;
    QVariantMap dockStored_;
    bool dockSynchronizeFails_ = false;
    std::optional<QStringList> dockRewrite_; // the applications it writes back; empty: the tiles it read
    bool dockPreferencesBroken_ = false;
    // Writes `tiles` as "persistent-apps" in the Dock's own form, pending and stored.
    void writeDockTiles(const std::vector<DockTile>& tiles, const QString& why);
    // The tile of an application's bundle, named as installed.
    DockTile applicationTile(const QString& path) const;
    std::vector<DockTile> persistentTiles_;
    std::vector<DockTile> otherTiles_;

    Point pointer_;
    bool buttonDown_ = false;
    std::optional<size_t> pressedTile_;
    Date pressTime_;
    std::map<int, MouseWatcher> mouseWatchers_;
    int nextWatcherId_ = 1;

    bool quiet_ = false;
    bool trusted_ = true;
    int promptCount_ = 0;

    int nextPid_ = 400;
    std::uint64_t nextWindowId_ = 1;
};

} // namespace nimbrel::sim
