#include "Transcript.h"

#include "platform/Scheduler.h"

#include <QDir>
#include <QRegularExpression>

namespace nimbrel::simtool {

Transcript::Transcript(const Clock& clock, Date start, const QString& workFolder)
    : clock_(clock), start_(start), workFolder_(QDir::cleanPath(QDir(workFolder).absolutePath())) {}

void Transcript::line(const QString& kind, const QString& text) {
    lines_ << QStringLiteral("%1 %2: %3").arg(clock_.now().secondsSince(start_), 7, 'f', 3).arg(kind, stable(text));
}

void Transcript::raw(const QString& text) {
    lines_ << stable(text);
}

QString Transcript::stable(QString text) const {
    static const QRegularExpression scriptName(
        QStringLiteral("nimbrel_[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\.sh"));
    text.replace(workFolder_, QStringLiteral("<work>"));
    return text.replace(scriptName, QStringLiteral("nimbrel_<UUID>.sh"));
}

} // namespace nimbrel::simtool
