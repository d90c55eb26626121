#include "platform/Accessibility.h"
#include "platform/AppleScript.h"
#include "platform/Geometry.h"
#include "platform/Screens.h"
#include "platform/Workspace.h"

#include <QFileInfo>

namespace nimbrel {

namespace {
QString number(double v) {
    return QString::number(v, 'g', 12);
}
} // namespace

QString toText(Point p) {
    return QStringLiteral("{%1, %2}").arg(number(p.x), number(p.y));
}
QString toText(Size s) {
    return QStringLiteral("{%1, %2}").arg(number(s.width), number(s.height));
}
QString toText(const Rect& r) {
    return QStringLiteral("{%1, %2}").arg(toText(r.origin), toText(r.size));
}

double Screens::primaryScreenHeight() const {
    for (const ScreenInfo& s : screens())
        if (s.frame.origin.x == 0 && s.frame.origin.y == 0) return s.frame.height();
    if (auto main = mainScreen()) return main->frame.height();
    return 0;
}

std::optional<QString> Workspace::bundleIdentifier(const QString& bundlePath) const {
    QVariant v = infoPlistValue(bundlePath, QStringLiteral("CFBundleIdentifier"));
    if (v.typeId() == QMetaType::QString && !v.toString().isEmpty()) return v.toString();
    return std::nullopt;
}

QString Workspace::displayName(const QString& path) const {
    QString name = QFileInfo(path).fileName();
    if (name.endsWith(QStringLiteral(".app"), Qt::CaseInsensitive)) name.chop(4);
    return name;
}

QString AXValue::describe() const {
    struct Visitor {
        QString operator()(std::monostate) const { return QStringLiteral("none"); }
        QString operator()(bool b) const { return b ? QStringLiteral("true") : QStringLiteral("false"); }
        QString operator()(std::int64_t i) const { return QString::number(i); }
        QString operator()(double d) const { return number(d); }
        QString operator()(const QString& s) const { return QLatin1Char('"') + s + QLatin1Char('"'); }
        QString operator()(Point p) const { return toText(p); }
        QString operator()(Size s) const { return toText(s); }
        QString operator()(const Rect& r) const { return toText(r); }
        QString operator()(AXElement e) const { return QStringLiteral("<element %1>").arg(e.id()); }
        QString operator()(const std::vector<AXElement>& list) const {
            QStringList parts;
            for (AXElement e : list)
                parts << QString::number(e.id());
            return QStringLiteral("<elements %1>").arg(parts.join(QLatin1Char(',')));
        }
        QString operator()(const AXUrl& u) const { return QStringLiteral("<url %1>").arg(u.text); }
    };
    return std::visit(Visitor{}, v_);
}

QString describeAppleScriptError(const QVariantMap& error) {
    QStringList parts;
    for (auto it = error.begin(); it != error.end(); ++it) {
        const QVariant& v = it.value();
        QString text;
        if (v.typeId() == QMetaType::QString) {
            text = v.toString();
            text.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
            text = QLatin1Char('"') + text + QLatin1Char('"');
        } else {
            text = v.toString();
        }
        parts << QStringLiteral("%1 = %2;").arg(it.key(), text);
    }
    return QStringLiteral("{") + parts.join(QLatin1Char(' ')) + QStringLiteral("}");
}

} // namespace nimbrel
