#include "ui/rules/FolderChoice.h"

#include <array>

namespace nimbrel::folderChoice {

namespace {
constexpr std::array kRawValues{"desktop",     "documents", "downloads",   "applications",
                                "userLibrary", "home",      "iCloudDrive", "custom"};
} // namespace

std::vector<FolderChoice> allCases() {
    std::vector<FolderChoice> out;
    for (size_t i = 0; i < kRawValues.size(); ++i)
        out.push_back(static_cast<FolderChoice>(i));
    return out;
}

QString rawValue(FolderChoice choice) {
    return QString::fromLatin1(kRawValues[static_cast<size_t>(choice)]);
}

const std::vector<NimbrelFolderTarget>& standardFolders() {
    static const std::vector<NimbrelFolderTarget> folders = {
        {QStringLiteral("Desktop"), QStringLiteral("~/Desktop")},
        {QStringLiteral("Documents"), QStringLiteral("~/Documents")},
        {QStringLiteral("Downloads"), QStringLiteral("~/Downloads")},
        {QStringLiteral("Applications"), QStringLiteral("/Applications")},
        {QStringLiteral("Library"), QStringLiteral("~/Library")},
        {QStringLiteral("Home"), QStringLiteral("~")},
        {QStringLiteral("iCloud Drive"), QStringLiteral("~/Library/Mobile Documents/com~apple~CloudDocs")},
    };
    return folders;
}

FolderChoice fromFolderTarget(const NimbrelFolderTarget& target) {
    const auto& folders = standardFolders();
    for (size_t i = 0; i < folders.size(); ++i)
        if (folders[i] == target) return static_cast<FolderChoice>(i);
    return FolderChoice::custom;
}

NimbrelFolderTarget folderTarget(FolderChoice choice, const std::optional<NimbrelFolderTarget>& custom) {
    if (choice != FolderChoice::custom) return standardFolders()[static_cast<size_t>(choice)];
    return custom.value_or(standardFolders().front());
}

QString menuTitle(FolderChoice choice, const std::optional<NimbrelFolderTarget>& custom) {
    if (choice != FolderChoice::custom) return standardFolders()[static_cast<size_t>(choice)].displayName;
    return custom ? custom->displayName : QStringLiteral("Custom Folder\u2026");
}

} // namespace nimbrel::folderChoice
