#include "Transcript.h"

#include "platform/Scheduler.h"

#include <QDir>
#include <QRegularExpression>

namespace nimbrel::simtool {

Transcript::Transcript(const Clock& clock, Date start, const QString& workFolder)
    : clock_(&clock), start_(start), workFolder_(QDir::cleanPath(QDir(workFolder).absolutePath())) {}

Transcript::Transcript(Date start, const QString& workFolder)
    : start_(start), workFolder_(QDir::cleanPath(QDir(workFolder).absolutePath())) {}

void Transcript::line(const QString& kind, const QString& text) {
    line(clock_ ? clock_->now() : start_, kind, text);
}

void Transcript::line(Date at, const QString& kind, const QString& text) {
    // One line per thing that happened, also when a name or a log line holds line breaks.
    QString oneLine = stable(text);
    oneLine.replace(QLatin1Char('\n'), QStringLiteral("\\n")).replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    lines_ << QStringLiteral("%1 %2: %3").arg(at.secondsSince(start_), 7, 'f', 3).arg(kind, oneLine);
}

void Transcript::raw(const QString& text) {
    lines_ << stable(text);
}

namespace {
const QRegularExpression& uuidPattern() {
    static const QRegularExpression uuid(
        QStringLiteral("[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}"));
    return uuid;
}
} // namespace

void Transcript::keepIdsOf(const QByteArray& scenarioText) {
    numberIds_ = true;
    for (const QRegularExpressionMatch& m : uuidPattern().globalMatch(QString::fromUtf8(scenarioText)))
        keptIds_.insert(m.captured().toUpper());
}

QString Transcript::stable(QString text) const {
    static const QRegularExpression scriptName(
        QStringLiteral("nimbrel_[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\.sh"));
    // A file kept aside is named after the wall clock's time, not the run's.
    static const QRegularExpression asideTime(
        QStringLiteral("\\.(unreadable|unrestored)-[0-9]{8}T[0-9]{6}Z(-[0-9]+)?"));
    text.replace(workFolder_, QStringLiteral("<work>"));
    text.replace(asideTime, QStringLiteral(".\\1-<time>"));
    text.replace(scriptName, QStringLiteral("nimbrel_<UUID>.sh"));
    if (realPid_)
        text.replace(QRegularExpression(QStringLiteral("\\bpid([= ])%1\\b").arg(*realPid_)),
                     QStringLiteral("pid\\1<real>"));
    if (!numberIds_) return text;
    QString out;
    qsizetype from = 0;
    for (const QRegularExpressionMatch& m : uuidPattern().globalMatch(text)) {
        const QString id = m.captured().toUpper();
        out += QStringView(text).mid(from, m.capturedStart() - from);
        if (keptIds_.contains(id)) {
            out += m.captured();
        } else {
            QString& number = numberedIds_[id];
            if (number.isEmpty()) number = QStringLiteral("<id-%1>").arg(numberedIds_.size());
            out += number;
        }
        from = m.capturedEnd();
    }
    out += QStringView(text).mid(from);
    return out;
}

} // namespace nimbrel::simtool
