#include "ui/screens/LastCheckedText.h"

#include "platform/Calendar.h"

#include <QRegularExpression>
#include <QStringList>

namespace nimbrel {

namespace {

// The forms a stored check date may have, tried in this order.
const QStringList& lastCheckedDateFormats() {
    static const QStringList formats = {
        QStringLiteral("MMM d, yyyy, h:mm a"),    QStringLiteral("MMM d, yyyy h:mm a"),
        QStringLiteral("MMMM d, yyyy, h:mm a"),   QStringLiteral("MMMM d, yyyy h:mm a"),
        QStringLiteral("M/d/yy, h:mm a"),         QStringLiteral("M/d/yyyy, h:mm a"),
        QStringLiteral("yyyy-MM-dd HH:mm:ss Z"),  QStringLiteral("yyyy-MM-dd HH:mm:ss"),
        QStringLiteral("yyyy-MM-dd'T'HH:mm:ssZ"), QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.SSSZ"),
    };
    return formats;
}

} // namespace

QString lastCheckedDisplayText(const QString& stored) {
    const QString text = stored.trimmed();
    if (text.isEmpty()) return QStringLiteral("-");
    static const QStringList sentinels = {QStringLiteral("unknown"), QStringLiteral("never"),
                                          QStringLiteral("not checked"), QStringLiteral("not installed")};
    if (sentinels.contains(text.toLower())) return QStringLiteral("-");

    const qsizetype at = text.indexOf(QStringLiteral(" at "), 0, Qt::CaseInsensitive);
    if (at >= 0) return text.left(at).trimmed();

    // Read in a fixed locale and the current zone; written in the user's locale and zone.
    const QTimeZone zone = currentTimeZone();
    for (const QString& format : lastCheckedDateFormats()) {
        if (const auto date = DateFormatter::parsePattern(text, format, QByteArrayLiteral("en_US_POSIX"), zone))
            return DateFormatter(DateStyle::Medium, DateStyle::None, {}, zone).string(*date);
    }

    QStringList parts = text.split(QLatin1Char(','));
    for (QString& part : parts)
        part = part.trimmed();
    // Digits and spaces of every script, as the system's own dates may write them (a narrow
    // no-break space before PM, for one).
    static const QRegularExpression clockTime(QStringLiteral("\\d{1,2}:\\d{2}"),
                                              QRegularExpression::UseUnicodePropertiesOption);
    if (parts.size() >= 3 && clockTime.match(parts.last()).hasMatch()) {
        parts.removeLast();
        return parts.join(QStringLiteral(", "));
    }

    static const QRegularExpression trailingTime(QStringLiteral("\\s+\\d{1,2}:\\d{2}(:\\d{2})?\\s*(AM|PM)?$"),
                                                 QRegularExpression::CaseInsensitiveOption |
                                                     QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch match = trailingTime.match(text);
    if (match.hasMatch()) return text.left(match.capturedStart()).trimmed();
    return text;
}

} // namespace nimbrel
