#include "platform/local/JsonFileUserDefaults.h"

#include "platform/Log.h"
#include "platform/local/TypedValueCoding.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>

namespace nimbrel {

namespace {
const QString kComponent = QStringLiteral("NimbrelDefaults");
const QString kFormatKey = QStringLiteral("format");
const QString kValuesKey = QStringLiteral("values");
constexpr int kFormat = 1;
} // namespace

JsonFileUserDefaults::JsonFileUserDefaults(QString filePath, qint64 maxFileBytes)
    : path_(std::move(filePath)), maxFileBytes_(maxFileBytes),
      writer_(std::make_unique<CoalescedFileWriter>(path_, 0600, kWriteInterval, maxFileBytes)) {
    load();
}

JsonFileUserDefaults::~JsonFileUserDefaults() {
    failed_ = nullptr; // whoever listens may be gone already: the last failure is only logged
    writer_->flush();
    reportWriteFailure();
}

void JsonFileUserDefaults::reportWriteFailuresOn(Scheduler& scheduler,
                                                 std::function<void(const QString& error)> failed) {
    failed_ = std::move(failed);
    writer_->setFailureNotice(
        [this, &scheduler] { scheduler.postFromAnyThread(lifetime_.guard([this] { reportWriteFailure(); })); });
}

QString JsonFileUserDefaults::filePath(const Locations& locations) {
    return locations.preferences + QStringLiteral("/defaults.json");
}

void JsonFileUserDefaults::load() {
    removeStaleTemporaries(path_);
    const BoundedRead read = readFileWithin(path_, maxFileBytes_);
    if (read.status == BoundedRead::Status::missing) return;

    QString problem;
    QJsonObject root;
    if (read.status != BoundedRead::Status::read) {
        problem = read.error;
    } else {
        QJsonParseError parseError{};
        const QJsonDocument document = QJsonDocument::fromJson(read.bytes, &parseError);
        if (parseError.error != QJsonParseError::NoError)
            problem = QStringLiteral("%1 at offset %2").arg(parseError.errorString()).arg(parseError.offset);
        else if (!document.isObject())
            problem = QStringLiteral("the file does not hold an object");
        else {
            root = document.object();
            if (root.value(kFormatKey).toInt() != kFormat || !root.value(kValuesKey).isObject())
                problem = QStringLiteral("the file is not in the defaults format %1").arg(kFormat);
        }
    }

    if (!problem.isEmpty()) {
        const auto aside = moveAside(path_, QStringLiteral("unreadable"));
        movedAside_ = aside.value_or(QString());
        // Never write over a file that is still there: changes then stay in memory only.
        if (!aside) writable_ = false;
        logLine(kComponent, QStringLiteral("could not read %1 (%2); %3; starting with empty defaults")
                                .arg(path_, problem,
                                     aside ? QStringLiteral("kept it as %1").arg(*aside)
                                           : QStringLiteral("it could not be moved aside either")));
        setAsideProblem_ =
            aside ? QStringLiteral("The preferences file could not be read (%1). It was kept as %2.")
                        .arg(problem, QFileInfo(*aside).fileName())
                  : QStringLiteral("The preferences file could not be read (%1) and could not be moved aside; it is "
                                   "left untouched and changes are not saved.")
                        .arg(problem);
        return;
    }

    const QJsonObject stored = root.value(kValuesKey).toObject();
    for (auto it = stored.begin(); it != stored.end(); ++it) {
        stored_.insert(it.key(), it.value());
        // Data is decoded when first read, then kept once, as its bytes.
        if (it.value().toObject().value(QLatin1String("type")) == QLatin1String("data")) {
            pendingData_.insert(it.key());
            continue;
        }
        QString error;
        if (auto value = decodeTypedValue(it.value(), &error)) {
            values_.insert(it.key(), *value);
        } else {
            logLine(
                kComponent,
                QStringLiteral("could not read the value of \"%1\" (%2); keeping it unchanged").arg(it.key(), error));
        }
    }
}

void JsonFileUserDefaults::decodePendingData(const QString& key) const {
    if (!pendingData_.remove(key)) return;
    std::lock_guard lock(storedMutex_);
    QString error;
    if (auto value = decodeTypedValue(stored_.value(key), &error)) {
        values_.insert(key, *value);
        storedData_.insert(key, value->toByteArray());
        stored_.remove(key);
    } else {
        logLine(kComponent,
                QStringLiteral("could not read the value of \"%1\" (%2); keeping it unchanged").arg(key, error));
    }
}

void JsonFileUserDefaults::write() {
    if (!writable_) {
        logLine(kComponent, QStringLiteral("not saving the defaults over the unreadable %1").arg(path_));
        return;
    }
    // The writer's thread takes the values as they are when it writes, so a burst of changes
    // costs one copy and one text.
    writer_->submit([this] { return render(); });
    reportWriteFailure();
}

// On the writer's thread.
QByteArray JsonFileUserDefaults::render() const {
    QJsonObject values;
    QHash<QString, QByteArray> data;
    {
        std::lock_guard lock(storedMutex_);
        values = stored_;
        data = storedData_;
    }
    for (auto it = data.cbegin(); it != data.cend(); ++it)
        values.insert(it.key(), *encodeTypedValue(QVariant(it.value())));
    const QJsonObject root{{kFormatKey, kFormat}, {kValuesKey, values}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

// A value set again as it was changes nothing on disk: with large stored values (the rules) a
// start-up that writes back what it read would rewrite megabytes for nothing.
void JsonFileUserDefaults::writeIfChanged(bool changed) {
    if (changed || writer_->lastWriteFailed()) write();
}

// Failures happen on the writer's thread; they are told here, on the caller's.
bool JsonFileUserDefaults::reportWriteFailure() {
    const std::optional<CoalescedFileWriter::Failure> failure = writer_->takeFailure();
    if (!failure) return false;
    logLine(kComponent, QStringLiteral("could not save the defaults: %1").arg(failure->error));
    // Every change retries the whole file: one report for a run of failures, not one per change.
    if (failure->firstSinceSuccess && failed_) failed_(failure->error);
    return true;
}

QVariant JsonFileUserDefaults::object(const QString& key) const {
    decodePendingData(key);
    return values_.value(key);
}

void JsonFileUserDefaults::set(const QString& key, const QVariant& value) {
    if (!value.isValid()) {
        remove(key);
        return;
    }
    decodePendingData(key); // to tell whether the value changes
    bool changed = true;
    if (value.typeId() == QMetaType::QByteArray) {
        // Data needs no widening, and its text form waits for the writer's thread.
        const QByteArray bytes = value.toByteArray();
        {
            std::lock_guard lock(storedMutex_);
            const auto old = storedData_.constFind(key);
            changed = old == storedData_.constEnd() || *old != bytes;
            storedData_.insert(key, bytes);
            stored_.remove(key);
        }
        values_.insert(key, value);
    } else {
        QString error;
        const auto json = encodeTypedValue(value, &error);
        const auto widened = json ? decodeTypedValue(*json, &error) : std::nullopt;
        if (!widened) {
            logLine(kComponent, QStringLiteral("not saving \"%1\": %2").arg(key, error));
            return;
        }
        {
            std::lock_guard lock(storedMutex_);
            const bool wasData = storedData_.remove(key);
            changed = wasData || stored_.value(key) != *json;
            stored_.insert(key, *json);
        }
        values_.insert(key, *widened);
    }
    writeIfChanged(changed);
    noteChanged(key);
    changes_.post(key);
}

void JsonFileUserDefaults::remove(const QString& key) {
    decodePendingData(key);
    const bool hadValue = values_.remove(key) > 0;
    bool wasStored = false; // also a value that could not be read
    {
        std::lock_guard lock(storedMutex_);
        wasStored = stored_.contains(key) || storedData_.contains(key);
        stored_.remove(key);
        storedData_.remove(key);
    }
    if (!hadValue && !wasStored) return;
    write();
    noteChanged(key);
    if (hadValue) changes_.post(key);
}

QStringList JsonFileUserDefaults::keys() const {
    for (const QString& key : QSet<QString>(pendingData_)) // only readable values are listed
        decodePendingData(key);
    return values_.keys();
}

QStringList JsonFileUserDefaults::keysStartingWith(const QString& prefix) const {
    for (const QString& key : QSet<QString>(pendingData_))
        if (key.startsWith(prefix)) decodePendingData(key);
    return nimbrel::keysStartingWith(values_, prefix);
}

bool JsonFileUserDefaults::synchronize() {
    if (!writable_) {
        write(); // says why nothing is saved
        return false;
    }
    bool written = writer_->flush();
    reportWriteFailure();
    if (!written) {
        write();
        written = writer_->flush();
        reportWriteFailure();
    }
    return written;
}

ObserverToken JsonFileUserDefaults::observe(const QString& key, std::function<void()> onChange) {
    return changes_.addObserver(key, [onChange = std::move(onChange)](const Notification&) {
        if (onChange) onChange();
    });
}

} // namespace nimbrel
