#include "platform/simulated/SimulatedMac.h"

#include <QDir>
#include <QFile>
#include <QUrl>

// The desktop the simulated Mac starts with: an everyday laptop with an external display.
namespace nimbrel::sim {

namespace {

struct Bundle {
    const char* path;
    const char* identifier;
    const char* name;
};

const Bundle kBundles[] = {
    {"/System/Library/CoreServices/Finder.app", "com.apple.finder", "Finder"},
    {"/System/Library/CoreServices/Dock.app", "com.apple.dock", "Dock"},
    {"/System/Library/CoreServices/System Events.app", "com.apple.systemevents", "System Events"},
    {"/System/Applications/Launchpad.app", "com.apple.launchpad.launcher", "Launchpad"},
    {"/System/Applications/Notes.app", "com.apple.Notes", "Notes"},
    {"/System/Applications/Mail.app", "com.apple.mail", "Mail"},
    {"/System/Applications/Calendar.app", "com.apple.iCal", "Calendar"},
    {"/System/Applications/TextEdit.app", "com.apple.TextEdit", "TextEdit"},
    {"/System/Applications/System Settings.app", "com.apple.systempreferences", "System Settings"},
    {"/System/Applications/Utilities/Terminal.app", "com.apple.Terminal", "Terminal"},
    {"/Applications/Safari.app", "com.apple.Safari", "Safari"},
    {"/Applications/Google Chrome.app", "com.google.Chrome", "Google Chrome"},
    {"/Applications/iTerm.app", "com.googlecode.iterm2", "iTerm"},
};

// Writes one of the Mac's own pictures from the program's resources, unless a file is there. A
// picture this machine cannot decode stands in by another format under its Mac name (HEIC as PNG).
void writePicture(const QString& realPath, const QString& resource) {
    QDir().mkpath(QFileInfo(realPath).absolutePath());
    QFile picture(QStringLiteral(":/simulated/pictures/") + resource);
    QFile file(realPath);
    if (!file.exists() && picture.open(QIODevice::ReadOnly) && file.open(QIODevice::WriteOnly))
        file.write(picture.readAll());
}

} // namespace

void SimulatedMac::buildDefaultDesktop() {
    // Nobody watches a desktop being set up: no launch or activation notices.
    quiet_ = true;
    apps_.clear();
    activationOrder_.clear();
    dockPid_ = 0;

    for (const Bundle& b : kBundles)
        installApplication(QString::fromUtf8(b.path), QString::fromUtf8(b.identifier), QString::fromUtf8(b.name));
    const QString home = identity_.homeDirectory();
    for (const char* folder : {"Desktop", "Documents", "Documents/Projects", "Documents/Invoices", "Downloads",
                               "Pictures", "Pictures/Wallpapers", "Music", "Movies", ".Trash"})
        QDir().mkpath(realPath(home + QLatin1Char('/') + QString::fromLatin1(folder)));
    writePicture(realPath(QStringLiteral("/System/Library/Desktop Pictures/Hello Blue.heic")),
                 QStringLiteral("hello-blue.png"));
    writePicture(realPath(QStringLiteral("/System/Library/Desktop Pictures/Hello Orange.heic")),
                 QStringLiteral("hello-orange.png"));
    writePicture(realPath(home + QStringLiteral("/Pictures/Wallpapers/Lake.jpg")), QStringLiteral("lake.jpg"));
    writePicture(realPath(home + QStringLiteral("/Pictures/Wallpapers/Mountains.jpg")),
                 QStringLiteral("mountains.jpg"));

    // A 16-inch laptop panel at the origin, with the menu bar and a bottom Dock, and a
    // 1080p display beside it on the right, aligned at the top.
    screens_.clear();
    Screen builtIn{1, QStringLiteral("Built-in Retina Display"), Rect(0, 0, 1728, 1117), Rect(0, 75, 1728, 1005),
                   QUrl::fromLocalFile(QStringLiteral("/System/Library/Desktop Pictures/Hello Blue.heic"))
                       .toString(QUrl::FullyEncoded)};
    Screen external{2, QStringLiteral("LG HDR 4K"), Rect(1728, 37, 1920, 1080), Rect(1728, 37, 1920, 1055),
                    QUrl::fromLocalFile(QStringLiteral("/System/Library/Desktop Pictures/Hello Orange.heic"))
                        .toString(QUrl::FullyEncoded)};
    screens_ = {builtIn, external};
    mainScreenId_ = 1;
    orientation_ = DockOrientation::bottom;

    QVariantList persistentApps;
    for (const auto& [path, label] : std::initializer_list<std::pair<const char*, const char*>>{
             {"/System/Applications/Launchpad.app", "Launchpad"},
             {"/Applications/Safari.app", "Safari"},
             {"/Applications/Google Chrome.app", "Google Chrome"},
             {"/System/Applications/Utilities/Terminal.app", "Terminal"},
             {"/System/Applications/Notes.app", "Notes"},
             {"/System/Applications/Mail.app", "Mail"},
             {"/System/Applications/System Settings.app", "System Settings"}}) {
        const auto installed = installedApplicationAt(QString::fromUtf8(path));
        persistentApps << SimulatedMac::dockTileEntry(QString::fromUtf8(path), QString::fromUtf8(label),
                                                      installed ? installed->bundleIdentifier : QString(), false);
    }
    dockStored_ = {{QStringLiteral("persistent-apps"), persistentApps},
                   {QStringLiteral("persistent-others"),
                    QVariantList{SimulatedMac::dockTileEntry(home + QStringLiteral("/Downloads"),
                                                             QStringLiteral("Downloads"), {}, true)}},
                   {QStringLiteral("orientation"), QStringLiteral("bottom")},
                   {QStringLiteral("tilesize"), qint64(56)}};
    dockPending_ = dockStored_;

    auto start = [this](const char* id) -> App& {
        return startApplication(*installedApplication(QString::fromLatin1(id)), false, false);
    };
    App& finder = start("com.apple.finder");
    const int finderPid = finder.pid;
    restartDock();
    openFolderInFinder(home + QStringLiteral("/Downloads"));
    openFolderInFinder(home + QStringLiteral("/Documents"));

    App& chrome = start("com.google.Chrome");
    Window& docs = newBrowserWindow(chrome, QStringLiteral("https://docs.google.com/document/u/0/"));
    docs.tabs.push_back(Tab{QStringLiteral("https://github.com/"), QStringLiteral("github.com")});
    const int chromePid = chrome.pid;

    App& terminal = start("com.apple.Terminal");
    const int terminalPid = terminal.pid;
    Window term;
    term.title = identity_.shortName + QStringLiteral(" \u2014 -zsh \u2014 80\u00d724");
    term.frame = Rect(180, 160, 740, 480);
    addWindow(terminal, term);

    App& notes = start("com.apple.Notes");
    Window notesWindow;
    notesWindow.title = QStringLiteral("Notes");
    notesWindow.frame = Rect(1900, 120, 1000, 700); // on the external display
    addWindow(notes, notesWindow);

    App& mail = start("com.apple.mail");
    Window inbox;
    inbox.title = QStringLiteral("Inbox \u2013 iCloud");
    inbox.frame = Rect(140, 90, 1200, 800);
    Window& inboxAdded = addWindow(mail, inbox);
    setMinimized(mail, inboxAdded.id, true);
    const int mailPid = mail.pid;

    App& safari = start("com.apple.Safari");
    Window& news = newBrowserWindow(safari, QStringLiteral("https://www.apple.com/newsroom/"));
    news.frame = Rect(60, 70, 1280, 860);
    Window& wiki = newBrowserWindow(safari, QStringLiteral("https://en.wikipedia.org/wiki/Dock_(macOS)"));
    wiki.tabs.push_back(Tab{QStringLiteral("https://news.ycombinator.com/"), QStringLiteral("news.ycombinator.com")});
    wiki.frame = Rect(120, 110, 1180, 820);
    const int safariPid = safari.pid;

    for (int pid : {finderPid, mailPid, chromePid, terminalPid, safariPid})
        activate(pid);
    quiet_ = false;
    recorder_.clear();
}

} // namespace nimbrel::sim
