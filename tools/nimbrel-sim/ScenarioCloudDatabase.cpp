// The timeline's steps on the cloud database itself: a trace of the calls that reach it,
// faults of single calls, records another Mac writes or a damaged disk spoils; and the device
// registry as it stands.
#include "ScenarioRun.h"

#include "platform/Platform.h"
#include "platform/local/CloudCallTrace.h"
#include "sync/CloudKitStatusProvider.h"
#include "sync/CloudPayloads.h"
#include "sync/CloudSyncManager.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace nimbrel::simtool {

namespace {

using Operation = CloudFailure::Operation;

// The container the program on this Mac uses.
QString programContainer() {
    return NimbrelCloudKitStatusProvider::containerIdentifier(Platform::current());
}

QString secondsText(Date date, Date start) {
    return QStringLiteral("%1 s").arg(date.secondsSince(start), 0, 'f', 3);
}

std::optional<CloudValue> cloudValueFrom(const QJsonValue& v) {
    if (v.isBool()) return v.toBool();
    if (v.isString()) return v.toString();
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (d != static_cast<double>(static_cast<qint64>(d))) return std::nullopt;
        return static_cast<qint64>(d);
    }
    if (v.isArray()) {
        QStringList texts;
        for (const QJsonValue& item : v.toArray()) {
            if (!item.isString()) return std::nullopt;
            texts << item.toString();
        }
        return texts;
    }
    const QJsonObject o = v.toObject();
    if (o.size() != 1) return std::nullopt;
    if (o.contains(QStringLiteral("date"))) {
        if (auto date = parseISO8601(o.value(QStringLiteral("date")).toString())) return *date;
    } else if (o.contains(QStringLiteral("bytes"))) {
        return QByteArray::fromBase64(o.value(QStringLiteral("bytes")).toString().toLatin1());
    } else if (o.contains(QStringLiteral("json"))) {
        // A payload as the cloud JSON encoder writes it: compact, keys sorted.
        const QJsonValue json = o.value(QStringLiteral("json"));
        const QByteArray array = QJsonDocument(QJsonArray{json}).toJson(QJsonDocument::Compact);
        return array.mid(1, array.size() - 2);
    }
    return std::nullopt;
}

// A record's fields as a scenario gives them: JSON's own kinds, {"date": ISO 8601},
// {"bytes": Base64} or {"json": any JSON, kept as its compact text}.
std::optional<std::map<QString, CloudValue>> cloudFieldsFrom(ScenarioRun& run, const QJsonObject& fields) {
    std::map<QString, CloudValue> out;
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        auto value = cloudValueFrom(it.value());
        if (!value) {
            run.error(QStringLiteral("cloud field \"%1\" is not a flag, integer, text, list of texts, "
                                     "{\"date\"}, {\"bytes\"} or {\"json\"}")
                          .arg(it.key()));
            return std::nullopt;
        }
        out.emplace(it.key(), std::move(*value));
    }
    return out;
}

// "network" is a lost connection; else a code of the cloud.
std::optional<int> cloudCode(const QJsonValue& v) {
    if (v.toString() == QLatin1String("network")) return int(CloudError::networkFailure);
    if (v.isDouble() && v.toInt() > 0) return v.toInt();
    return std::nullopt;
}

struct CallName {
    Operation operation;
    const char* shown; // as the step line names the calls
};

const std::map<QString, CallName>& callNames() {
    static const std::map<QString, CallName> names{
        {QStringLiteral("any"), {Operation::any, "calls"}},
        {QStringLiteral("fetch"), {Operation::fetch, "fetches"}},
        {QStringLiteral("save"), {Operation::save, "saves"}},
        {QStringLiteral("batch"), {Operation::batchFetch, "batch fetches"}},
        {QStringLiteral("fetches"), {Operation::anyFetch, "fetches and batch fetches"}},
    };
    return names;
}

void injectFault(ScenarioRun& run, const QJsonObject& step) {
    SqliteCloudService& cloud = run.sim().cloud();
    if (step.value(QStringLiteral("clear")).toBool()) {
        run.step(QStringLiteral("cloud faults cleared"));
        cloud.clearFailures();
        return;
    }
    CloudFailure failure;
    const QString call = step.value(QStringLiteral("call")).toString(QStringLiteral("any"));
    const auto op = callNames().find(call);
    const std::optional<int> code = cloudCode(step.value(QStringLiteral("code")));
    const QJsonValue times = step.value(QStringLiteral("times"));
    if (op == callNames().end() || !code ||
        (!times.isUndefined() && times.toString() != QLatin1String("always") &&
         !(times.isDouble() && times.toInt() > 0))) {
        run.error(QStringLiteral("cloudFault needs \"call\" (any, fetch, save, batch, fetches), \"code\" "
                                 "(2, 11, 14, \"network\", ...) and \"times\" above 0 or \"always\""));
        return;
    }
    failure.operation = op->second.operation;
    failure.recordName = step.value(QStringLiteral("name")).toString();
    failure.recordType = step.value(QStringLiteral("type")).toString();
    failure.error = CloudError::make(*code, step.value(QStringLiteral("message")).toString());
    failure.skip = step.value(QStringLiteral("skip")).toInt();
    failure.times = times.isString() ? 0 : times.toInt(1);
    const QJsonValue server = step.value(QStringLiteral("server"));
    failure.withServerRecord = server.toBool(true) || server.isObject();
    if (server.isObject()) {
        failure.serverFields = cloudFieldsFrom(run, server.toObject());
        if (!failure.serverFields) return;
    }
    QStringList itemTexts;
    for (const QJsonValue& v : step.value(QStringLiteral("items")).toArray()) {
        const QJsonObject item = v.toObject();
        const std::optional<int> itemCode = cloudCode(item.value(QStringLiteral("code")));
        if (!itemCode || !item.value(QStringLiteral("name")).isString()) {
            run.error(QStringLiteral("each of \"items\" needs \"name\" and \"code\""));
            return;
        }
        CloudError error = CloudError::make(*itemCode, item.value(QStringLiteral("message")).toString());
        error.itemID = CloudRecordID{item.value(QStringLiteral("name")).toString()};
        itemTexts << QStringLiteral("%1 %2").arg(error.itemID.recordName).arg(error.code);
        failure.items.push_back(std::move(error));
    }

    QString text = QStringLiteral("cloud fault: ") + QLatin1String(op->second.shown);
    if (!failure.recordName.isEmpty()) text += QStringLiteral(" of ") + failure.recordName;
    if (!failure.recordType.isEmpty()) text += QStringLiteral(" of type ") + failure.recordType;
    text += QStringLiteral(" fail with %1").arg(failure.error.code);
    if (!itemTexts.isEmpty()) text += QStringLiteral(" [") + itemTexts.join(QStringLiteral(", ")) + QLatin1Char(']');
    if (failure.serverFields) text += QStringLiteral(", the server's copy written first");
    if (failure.skip > 0) text += QStringLiteral(", after %1 let through").arg(failure.skip);
    text += failure.times == 0   ? QStringLiteral(", until cleared")
            : failure.times == 1 ? QStringLiteral(", once")
                                 : QStringLiteral(", %1 times").arg(failure.times);
    run.step(text);
    cloud.failNext(std::move(failure));
}

// Another Mac's save that came first: the record as given, whatever the stored copy's tag.
void writeRecord(ScenarioRun& run, const QJsonObject& step) {
    const QString name = step.value(QStringLiteral("name")).toString();
    const QString type = step.value(QStringLiteral("type")).toString();
    if (name.isEmpty() || type.isEmpty()) {
        run.error(QStringLiteral("cloudWrite needs \"name\", \"type\" and \"fields\""));
        return;
    }
    const QJsonObject fieldsJson = step.value(QStringLiteral("fields")).toObject();
    const bool merge = step.value(QStringLiteral("merge")).toBool();
    run.step(QStringLiteral("another Mac writes %1 (%2)%3: %4")
                 .arg(name, type, merge ? QStringLiteral(", other fields kept") : QString(),
                      fieldsJson.keys().join(QStringLiteral(", "))));
    const auto fields = cloudFieldsFrom(run, fieldsJson);
    if (!fields) return;
    CloudRecord record(type, CloudRecordID{name});
    for (const auto& [key, value] : *fields)
        record.set(key, value);
    const CloudResult<CloudRecord> written = run.sim().cloud().writeDirectly(programContainer(), record, merge);
    if (!written.ok()) run.error(QStringLiteral("the cloud did not take it: ") + written.error().localizedDescription);
}

// A row of the file left with fields that cannot be read, as a damaged disk would leave it.
void damageRecord(ScenarioRun& run, const QJsonObject& step) {
    const QString name = step.value(QStringLiteral("name")).toString();
    if (name.isEmpty()) {
        run.error(QStringLiteral("cloudDamage needs \"name\""));
        return;
    }
    run.step(QStringLiteral("the cloud's copy of %1 is damaged").arg(name));
    if (!run.sim().cloud().damageDirectly(programContainer(), {name}))
        run.error(QStringLiteral("the cloud holds no record ") + name);
}

// A field as a person reads it; payload bytes that hold JSON show the JSON.
QString describeValue(const CloudValue& value) {
    struct Visitor {
        QString operator()(bool v) const { return v ? QStringLiteral("true") : QStringLiteral("false"); }
        QString operator()(qint64 v) const { return QString::number(v); }
        QString operator()(const QString& v) const { return QLatin1Char('"') + v + QLatin1Char('"'); }
        QString operator()(Date v) const { return QStringLiteral("date ") + iso8601String(v); }
        QString operator()(const QByteArray& v) const {
            if (!QJsonDocument::fromJson(v).isNull()) return QStringLiteral("json ") + QString::fromUtf8(v);
            return QStringLiteral("%1 bytes").arg(v.size());
        }
        QString operator()(const QStringList& v) const {
            return QLatin1Char('[') + v.join(QStringLiteral(", ")) + QLatin1Char(']');
        }
    };
    return std::visit(Visitor{}, value);
}

// What the cloud holds under each name: type, tag and fields.
void showRecords(ScenarioRun& run, const QJsonObject& step) {
    run.step(QStringLiteral("cloud records"));
    const QString container = programContainer();
    for (const QJsonValue& v : step.value(QStringLiteral("names")).toArray()) {
        const CloudResult<CloudRecord> stored = run.sim().cloud().readDirectly(container, {v.toString()});
        run.transcript().raw(QStringLiteral("  %1: %2").arg(v.toString(), describeCloudAnswer(stored)));
        if (!stored.ok()) continue;
        for (const auto& [key, value] : stored.value().fields())
            run.transcript().raw(QStringLiteral("    %1 = %2").arg(key, describeValue(value)));
    }
}

} // namespace

QStringList deviceLines(ScenarioRun& run, Date start) {
    QStringList devices;
    for (const NimbrelCloudDeviceRecord& d : NimbrelCloudSyncManager::shared().registeredDevices.get())
        devices << QStringLiteral("%1 (%2, %3)").arg(d.deviceName, d.modelIdentifier, d.deviceID);
    QStringList lines{QStringLiteral("devices: ") + devices.join(QStringLiteral(", "))};

    SqliteCloudService& cloud = run.sim().cloud();
    const QString container = programContainer();
    const CloudResult<CloudRecord> registry = cloud.readDirectly(container, {QStringLiteral("device_registry")});
    if (!registry.ok()) {
        lines << QStringLiteral("cloud device registry: ") + describeCloudError(registry.error());
        return lines;
    }
    const QStringList ids = registry.value().textList(QStringLiteral("deviceIDs")).value_or(QStringList());
    lines << QStringLiteral("cloud device registry: ") + ids.join(QStringLiteral(", "));
    for (const QString& id : ids) {
        const CloudResult<CloudRecord> stored = cloud.readDirectly(container, NimbrelCloudDeviceRecord::recordID(id));
        const auto device = stored.ok() ? NimbrelCloudDeviceRecord::fromRecord(stored.value()) : std::nullopt;
        if (device)
            lines << QStringLiteral("cloud device %1: \"%2\" %3 %4, created %5, updated %6")
                         .arg(id, device->deviceName, device->modelIdentifier, device->status,
                              secondsText(device->createdAt, start), secondsText(device->updatedAt, start));
        else
            lines << QStringLiteral("cloud device %1: ").arg(id) +
                         (stored.ok() ? QStringLiteral("not a device record") : describeCloudError(stored.error()));
    }
    return lines;
}

bool runCloudDatabaseStep(ScenarioRun& run, const QString& what, const QJsonObject& step) {
    if (what == QLatin1String("cloudFault")) {
        injectFault(run, step);
    } else if (what == QLatin1String("cloudWrite")) {
        writeRecord(run, step);
    } else if (what == QLatin1String("cloudDamage")) {
        damageRecord(run, step);
    } else if (what == QLatin1String("showCloud")) {
        showRecords(run, step);
    } else if (what == QLatin1String("traceCloud")) {
        const bool on = step.value(QStringLiteral("on")).toBool(true);
        run.step(on ? QStringLiteral("trace cloud calls") : QStringLiteral("stop tracing cloud calls"));
        run.traceCloud(on);
    } else {
        return false;
    }
    return true;
}

} // namespace nimbrel::simtool
