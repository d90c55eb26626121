#include "platform/local/AutostartLoginItems.h"

#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QHash>

namespace nimbrel {

namespace {

// Keys of the [Desktop Entry] group, their string escapes undone.
std::optional<QHash<QString, QString>> readEntry(const QByteArray& bytes) {
    QHash<QString, QString> keys;
    bool inGroup = false;
    bool sawGroup = false;
    for (const QByteArray& rawLine : bytes.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1String("[Desktop Entry]");
            sawGroup = sawGroup || inGroup;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inGroup || equals <= 0) continue;
        QString value;
        const QString raw = line.mid(equals + 1).trimmed();
        for (qsizetype i = 0; i < raw.size(); ++i) {
            if (raw[i] != QLatin1Char('\\') || i + 1 == raw.size()) {
                value += raw[i];
                continue;
            }
            const QChar next = raw[++i];
            value += next == QLatin1Char('s')   ? QChar(' ')
                     : next == QLatin1Char('n') ? QChar('\n')
                     : next == QLatin1Char('t') ? QChar('\t')
                     : next == QLatin1Char('r') ? QChar('\r')
                                                : next;
        }
        keys.insert(line.left(equals).trimmed(), value);
    }
    if (!sawGroup) return std::nullopt;
    return keys;
}

} // namespace

AutostartLoginItems::AutostartLoginItems(QString autostartFolder, QString executablePath)
    : folder_(std::move(autostartFolder)), executable_(std::move(executablePath)) {}

QString AutostartLoginItems::defaultFolder() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config)) config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart");
}

QString AutostartLoginItems::entryPath() const {
    return folder_ + QLatin1Char('/') + kFileName;
}

QByteArray AutostartLoginItems::entryText(const QString& executablePath) {
    // Inside double quotes the Exec value escapes " ` $ and \ with a backslash; the string
    // type then escapes every backslash once more, and a field code's % is doubled.
    QString quoted;
    for (const QChar c : executablePath) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Nimbrel\n"
                          "Comment=Changes what a click on an application in the Dock does\n"
                          "Exec=\"%1\"\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(quoted)
        .toUtf8();
}

QString AutostartLoginItems::execProgram(const QString& execValue) {
    const QString value = execValue.trimmed();
    QString program;
    if (value.startsWith(QLatin1Char('"'))) {
        for (qsizetype i = 1; i < value.size(); ++i) {
            if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) {
                program += value[++i];
            } else if (value[i] == QLatin1Char('"')) {
                return program.replace(QStringLiteral("%%"), QStringLiteral("%"));
            } else {
                program += value[i];
            }
        }
        return {}; // no closing quote
    }
    program = value.section(QLatin1Char(' '), 0, 0);
    return program.replace(QStringLiteral("%%"), QStringLiteral("%"));
}

LoginItemStatus AutostartLoginItems::status() const {
    // An entry is a few lines; anything larger is not the one this program writes.
    constexpr qint64 kMaxEntryBytes = 64 * 1024;
    const BoundedRead read = readFileWithin(entryPath(), kMaxEntryBytes);
    if (read.status == BoundedRead::Status::missing) return LoginItemStatus::notRegistered;
    if (read.status != BoundedRead::Status::read) return LoginItemStatus::notFound;
    const auto entry = readEntry(read.bytes);
    if (!entry || execProgram(entry->value(QStringLiteral("Exec"))) != executable_) return LoginItemStatus::notFound;
    const bool hidden = entry->value(QStringLiteral("Hidden")).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    const bool switchedOff = entry->value(QStringLiteral("X-GNOME-Autostart-enabled"))
                                 .compare(QLatin1String("false"), Qt::CaseInsensitive) == 0;
    return hidden || switchedOff ? LoginItemStatus::requiresApproval : LoginItemStatus::enabled;
}

bool AutostartLoginItems::registerMainApp(QString* error) {
    if (executable_.isEmpty()) {
        if (error) *error = QStringLiteral("Nimbrel could not tell where its own program file is.");
        return false;
    }
    QString reason;
    if (!writeFileAtomically(entryPath(), entryText(executable_), &reason)) {
        if (error) *error = QStringLiteral("The autostart entry could not be written: %1").arg(reason);
        return false;
    }
    return true;
}

bool AutostartLoginItems::unregisterMainApp(QString* error) {
    QFile file(entryPath());
    if (!file.exists()) return true;
    if (!file.remove()) {
        if (error) *error = QStringLiteral("The autostart entry could not be removed: %1").arg(file.errorString());
        return false;
    }
    return true;
}

} // namespace nimbrel
