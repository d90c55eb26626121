// nimbrel-other-mac: another Mac of the same account, as a second process over the cloud file,
// for measuring the program's pulls (bench/rule_pull_measure.py).
//
//   nimbrel-other-mac --home DIR --cloud FILE push
//       pushes every rule stored in the home as this other Mac's records and lists them in the
//       sync registry, as if it had made them and synced
//   nimbrel-other-mac --home DIR --cloud FILE change --count N --round R [--first ID]
//       renames N of those rules in the cloud with a later change date (spread over the list, others
//       at each round; the rule ID first), as an edit on this other Mac does
//
// The home is that of the program run with XDG_CONFIG_HOME=DIR/config; its stored rules name the
// rules, the cloud's copies are the ones changed.

#include "OtherMacRecords.h"

#include "model/RuleCoding.h"
#include "model/RulesStore.h"
#include "platform/ProgramIdentity.h"
#include "platform/local/JsonFileUserDefaults.h"
#include "platform/local/SqliteCloudStore.h"
#include "sync/CloudPayloadType.h"
#include "sync/CloudPayloads.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>
#include <cstdio>

using namespace nimbrel;

namespace {

const QString kContainer = kNimbrelCloudKitContainerIdentifier;

int fail(const QString& what) {
    std::fprintf(stderr, "nimbrel-other-mac: %s\n", qPrintable(what));
    return 1;
}

std::optional<std::vector<NimbrelRule>> storedRules(const QString& home) {
    JsonFileUserDefaults defaults(JsonFileUserDefaults::filePath(Locations::underRoot(home)));
    const std::optional<QByteArray> bytes = defaults.dataValue(NimbrelRulesStore::defaultsKey);
    if (!bytes) return std::nullopt;
    json::Decoded<std::vector<NimbrelRule>> rules = decodeRules(*bytes, json::DateForm::SecondsSince2001);
    if (!rules) return std::nullopt;
    return std::move(*rules.value);
}

int push(SqliteCloudStore& cloud, const std::vector<NimbrelRule>& rules) {
    QStringList ids;
    for (const NimbrelRule& rule : rules) {
        if (!seed::saveAsOtherMac(cloud, rule)) return fail(QStringLiteral("could not save a rule's record"));
        ids << rule.id.toString();
    }
    CloudRecord registry(cloudnames::registryType, {cloudnames::syncRegistry});
    if (CloudResult<CloudRecord> held = cloud.fetch(kContainer, registry.recordID()); held.ok())
        registry = held.value();
    registry.set(QStringLiteral("payloadIDs_rule"), ids);
    return cloud.save(kContainer, registry).ok() ? 0 : fail(QStringLiteral("could not save the sync registry"));
}

int change(SqliteCloudStore& cloud, const std::vector<NimbrelRule>& rules, int count, int round,
           const std::optional<Uuid>& first) {
    const Date now = Date::fromUnix(double(QDateTime::currentSecsSinceEpoch()));
    const int stamp = round;
    if (first) { // that rule first, then the others
        const auto at = std::find_if(rules.begin(), rules.end(), [&](const NimbrelRule& r) { return r.id == *first; });
        if (at == rules.end()) return fail(QStringLiteral("the home has no rule ") + first->toString());
        round = int(at - rules.begin());
    }
    for (int k = 0; k < count && !rules.empty(); ++k) {
        const NimbrelRule& named = rules[size_t(k * 97 + round) % rules.size()];
        CloudResult<CloudRecord> record =
            cloud.fetch(kContainer, payloadRecordID(NimbrelCloudPayloadType::rule, named.id.toString()));
        std::optional<NimbrelCloudPayloadRecord> payload =
            record.ok() ? NimbrelCloudPayloadRecord::fromRecord(record.value()) : std::nullopt;
        json::Decoded<NimbrelRule> held =
            payload ? decodeRule(payload->payload, json::DateForm::ISO8601) : json::Decoded<NimbrelRule>{};
        if (!held) return fail(QStringLiteral("the cloud has no readable record of rule ") + named.id.toString());
        NimbrelRule edited = *held.value;
        edited.name = named.name.section(QStringLiteral(" (round "), 0, 0) + QStringLiteral(" (round %1)").arg(stamp);
        edited.updatedAt = now;
        if (!seed::saveAsOtherMac(cloud, edited)) return fail(QStringLiteral("could not save a rule's record"));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser options;
    options.addOptions({{QStringLiteral("home"), QStringLiteral("The program's home."), QStringLiteral("dir")},
                        {QStringLiteral("cloud"), QStringLiteral("The cloud file."), QStringLiteral("file")},
                        {QStringLiteral("count"), QStringLiteral("How many rules to change."), QStringLiteral("n")},
                        {QStringLiteral("round"), QStringLiteral("Which rules to change."), QStringLiteral("n")},
                        {QStringLiteral("first"), QStringLiteral("The rule to change first."), QStringLiteral("id")}});
    options.addPositionalArgument(QStringLiteral("command"), QStringLiteral("push or change"));
    options.process(app);
    const QStringList command = options.positionalArguments();
    if (!options.isSet(QStringLiteral("home")) || !options.isSet(QStringLiteral("cloud")) || command.size() != 1)
        return fail(QStringLiteral("--home, --cloud and one command are required"));
    const std::optional<std::vector<NimbrelRule>> rules = storedRules(options.value(QStringLiteral("home")));
    if (!rules) return fail(QStringLiteral("the home has no readable rules"));
    SqliteCloudStore cloud(options.value(QStringLiteral("cloud")));
    if (command[0] == QLatin1String("push")) return push(cloud, *rules);
    if (command[0] == QLatin1String("change"))
        return change(cloud, *rules, options.value(QStringLiteral("count")).toInt(),
                      options.value(QStringLiteral("round")).toInt(),
                      options.isSet(QStringLiteral("first")) ? Uuid::parse(options.value(QStringLiteral("first")))
                                                             : std::nullopt);
    return fail(QStringLiteral("unknown command ") + command[0]);
}
