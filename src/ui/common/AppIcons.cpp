#include "ui/common/AppIcons.h"

#include "model/RuleTargets.h"
#include "platform/Files.h"
#include "platform/Workspace.h"

namespace nimbrel {

namespace {

// "/Applications/Safari.app" -> "Safari".
QString bundleTitle(const QString& path) {
    QString name = path;
    while (name.size() > 1 && name.endsWith(QLatin1Char('/')))
        name.chop(1);
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.endsWith(QLatin1String(".app"))) name.chop(4);
    return name;
}

} // namespace

QString appInitials(const QString& title) {
    const QStringList words = title.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty()) return QString();
    if (words.size() > 1) return (words[0].left(1) + words[1].left(1)).toUpper();
    return words[0].left(1).toUpper() + words[0].mid(1, 1);
}

QColor appTint(const QString& title) {
    int h = 0;
    for (QChar c : title)
        h = (h * 131 + c.unicode() * 17) % 997;
    return QColor::fromHslF(float(h % 360) / 360.0f, 0.55f, 0.5f);
}

QVariantMap appTileIcon(const QString& title, const QString& imageSource) {
    return {{QStringLiteral("generic"), false},
            {QStringLiteral("title"), title},
            {QStringLiteral("initials"), appInitials(title)},
            {QStringLiteral("tint"), appTint(title)},
            {QStringLiteral("source"), imageSource}};
}

QVariantMap AppIconRef::toVariant() const {
    return {{QStringLiteral("generic"), generic},
            {QStringLiteral("filePath"), filePath},
            {QStringLiteral("iconPath"), iconPath},
            {QStringLiteral("title"), title},
            {QStringLiteral("initials"), appInitials(title)},
            {QStringLiteral("tint"), appTint(title)},
            {QStringLiteral("source"), source}};
}

QString drawableIconSource(const FileSystem& files, const QString& iconPath) {
    return iconPath.isEmpty() ? QString() : iconFileURL(files.realPath(iconPath));
}

AppIconRef genericAppIcon() {
    return AppIconRef{};
}

AppIconRef fileIcon(const Workspace& workspace, const FileSystem& files, const QString& path) {
    const QString expanded = files.expandTilde(path);
    const QString iconPath = workspace.iconPath(expanded);
    return AppIconRef{false, expanded, iconPath, bundleTitle(expanded), drawableIconSource(files, iconPath)};
}

AppIconRef appTargetIcon(const Workspace& workspace, const FileSystem& files, const NimbrelRuleAppTarget& target) {
    if (target.path && !target.path->isEmpty()) return fileIcon(workspace, files, *target.path);
    if (target.bundleIdentifier)
        if (auto url = workspace.urlForApplication(*target.bundleIdentifier)) return fileIcon(workspace, files, *url);
    return genericAppIcon();
}

} // namespace nimbrel
