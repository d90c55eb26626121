#include "ui/sessions/SessionAppIcon.h"

#include "platform/Files.h"
#include "platform/Workspace.h"
#include "ui/common/AppIcons.h"

namespace nimbrel {

QVariantMap sessionAppIcon(const NimbrelSessionApp& app, const Workspace& workspace, const FileSystem& files) {
    if (app.path && files.exists(files.expandTilde(*app.path)))
        return fileIcon(workspace, files, *app.path).toVariant();
    if (app.bundleIdentifier)
        if (auto located = workspace.urlForApplication(*app.bundleIdentifier))
            return fileIcon(workspace, files, *located).toVariant();
    return genericAppIcon().toVariant();
}

} // namespace nimbrel
