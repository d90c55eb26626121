#pragma once

#include "platform/Alerts.h"
#include "platform/Files.h"

#include <QString>

#include <optional>
#include <vector>

namespace nimbrel::sim {

// One row of an open panel's folder listing.
struct OpenPanelItem {
    QString name;
    QString path; // the Mac's path
    bool isFolder = false;
    // Whether the panel's button may answer it; a folder that may not is still entered.
    bool choosable = false;
};

// A place of the panel's sidebar: the home folder first, then its usual folders and the disk.
struct OpenPanelPlace {
    QString name;
    QString path;
    QString symbol;
};

// What the simulated Mac's open panel shows of its disk for one request, and what it lets a
// person choose: it starts in the request's folder (or the home folder), lists folders (and,
// when the program asks for files, the files, those of other types unchoosable), and answers
// its button with the selected row, or with the folder shown when nothing is selected and
// folders may be chosen. An application bundle counts as a file, as on a Mac.
class OpenPanelBrowser {
  public:
    OpenPanelBrowser(const FileSystem& disk, OpenPanelRequest request);

    const OpenPanelRequest& request() const { return request_; }
    const QString& folder() const { return folder_; }
    QString folderName() const;
    const std::vector<OpenPanelItem>& items() const { return items_; }
    std::vector<OpenPanelPlace> places() const;
    const std::optional<OpenPanelItem>& selection() const { return selection_; }
    bool canGoUp() const { return folder_ != QLatin1String("/"); }

    // Shows another folder (a place, or a folder row); false when it is not a folder.
    bool goTo(const QString& folder);
    bool goUp();
    // Selects a row of the listing; an unchoosable file cannot be selected. An empty path
    // clears the selection.
    bool select(const QString& path);

    // What the button does now: answers with paths, enters the selected folder, or nothing
    // (the button is off).
    struct Confirmation {
        std::optional<QStringList> answer;
        std::optional<QString> enter;
    };
    Confirmation confirm() const;
    bool canConfirm() const;

    // Whether a file name has one of the allowed types (extensions or type identifiers); an
    // empty list allows every file.
    static bool hasAllowedType(const QString& fileName, const QStringList& allowedTypes);

  private:
    void list();

    const FileSystem& disk_;
    OpenPanelRequest request_;
    QString folder_;
    std::vector<OpenPanelItem> items_;
    std::optional<OpenPanelItem> selection_;
};

} // namespace nimbrel::sim
