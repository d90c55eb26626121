#include "platform/simulated/OpenPanelBrowser.h"

#include <QHash>

#include <algorithm>

namespace nimbrel::sim {

namespace {

// The extensions of the type identifiers the program asks for.
const QHash<QString, QStringList>& typeExtensions() {
    static const QHash<QString, QStringList> types = {
        {QStringLiteral("public.image"), {"png", "jpg", "jpeg", "heic", "heif", "tif", "tiff", "gif", "bmp", "webp"}},
        {QStringLiteral("public.png"), {"png"}},
        {QStringLiteral("public.jpeg"), {"jpg", "jpeg"}},
        {QStringLiteral("public.heic"), {"heic"}},
        {QStringLiteral("public.tiff"), {"tif", "tiff"}},
    };
    return types;
}

bool isPackage(const QString& name) {
    return name.endsWith(QLatin1String(".app"), Qt::CaseInsensitive);
}

QString parentOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

} // namespace

OpenPanelBrowser::OpenPanelBrowser(const FileSystem& disk, OpenPanelRequest request)
    : disk_(disk), request_(std::move(request)) {
    if (!goTo(disk_.expandTilde(request_.directory)) && !goTo(disk_.homeDirectory())) goTo(QStringLiteral("/"));
}

QString OpenPanelBrowser::folderName() const {
    return folder_ == QLatin1String("/") ? QStringLiteral("Macintosh HD") : folder_.section(QLatin1Char('/'), -1);
}

std::vector<OpenPanelPlace> OpenPanelBrowser::places() const {
    const QString home = disk_.homeDirectory();
    const std::vector<OpenPanelPlace> all = {
        {home.section(QLatin1Char('/'), -1), home, QStringLiteral("house.fill")},
        {QStringLiteral("Desktop"), home + QStringLiteral("/Desktop"), QStringLiteral("desktopcomputer")},
        {QStringLiteral("Documents"), home + QStringLiteral("/Documents"), QStringLiteral("doc.text.fill")},
        {QStringLiteral("Downloads"), home + QStringLiteral("/Downloads"), QStringLiteral("arrow.down.circle.fill")},
        {QStringLiteral("Pictures"), home + QStringLiteral("/Pictures"), QStringLiteral("camera.fill")},
        {QStringLiteral("Applications"), QStringLiteral("/Applications"), QStringLiteral("square.grid.2x2.fill")},
        {QStringLiteral("Macintosh HD"), QStringLiteral("/"), QStringLiteral("internaldrive.fill")},
    };
    std::vector<OpenPanelPlace> shown;
    std::copy_if(all.begin(), all.end(), std::back_inserter(shown),
                 [this](const OpenPanelPlace& place) { return disk_.isDirectory(place.path); });
    return shown;
}

bool OpenPanelBrowser::goTo(const QString& folder) {
    if (folder.isEmpty() || !folder.startsWith(QLatin1Char('/')) || !disk_.isDirectory(folder)) return false;
    folder_ = folder.size() > 1 && folder.endsWith(QLatin1Char('/')) ? folder.chopped(1) : folder;
    selection_.reset();
    list();
    return true;
}

bool OpenPanelBrowser::goUp() {
    return canGoUp() && goTo(parentOf(folder_));
}

void OpenPanelBrowser::list() {
    items_.clear();
    for (const FileEntry& entry : disk_.list(folder_)) {
        if (entry.isSymlink) continue; // where it leads is not this panel's to follow
        const bool folder = entry.isDirectory && !isPackage(entry.name);
        if (!folder && !request_.canChooseFiles) continue;
        const bool choosable =
            folder ? request_.canChooseDirectories : hasAllowedType(entry.name, request_.allowedContentTypes);
        items_.push_back({entry.name, entry.path, folder, choosable});
    }
    std::stable_sort(items_.begin(), items_.end(), [](const OpenPanelItem& a, const OpenPanelItem& b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
}

bool OpenPanelBrowser::select(const QString& path) {
    if (path.isEmpty()) {
        selection_.reset();
        return true;
    }
    const auto it = std::find_if(items_.begin(), items_.end(), [&](const OpenPanelItem& i) { return i.path == path; });
    if (it == items_.end() || (!it->isFolder && !it->choosable)) return false;
    selection_ = *it;
    return true;
}

OpenPanelBrowser::Confirmation OpenPanelBrowser::confirm() const {
    if (selection_) {
        if (selection_->choosable) return {QStringList{selection_->path}, std::nullopt};
        if (selection_->isFolder) return {std::nullopt, selection_->path};
        return {};
    }
    if (request_.canChooseDirectories) return {QStringList{folder_}, std::nullopt};
    return {};
}

bool OpenPanelBrowser::canConfirm() const {
    const Confirmation c = confirm();
    return c.answer || c.enter;
}

bool OpenPanelBrowser::hasAllowedType(const QString& fileName, const QStringList& allowedTypes) {
    if (allowedTypes.isEmpty()) return true;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0) return false;
    const QString extension = fileName.mid(dot + 1).toLower();
    return std::any_of(allowedTypes.begin(), allowedTypes.end(), [&](const QString& type) {
        const auto known = typeExtensions().constFind(type);
        if (known != typeExtensions().constEnd()) return known->contains(extension);
        QString bare = type.startsWith(QLatin1Char('.')) ? type.mid(1) : type;
        return !bare.contains(QLatin1Char('.')) && bare.toLower() == extension;
    });
}

} // namespace nimbrel::sim
