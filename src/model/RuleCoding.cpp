#include "model/RuleCoding.h"

#include <QJsonArray>

namespace nimbrel {

using json::DateForm;
using json::Reader;
using json::Writer;

namespace {

template <typename E> QJsonArray enumSetArray(const EnumSet<E>& values) {
    QJsonArray out;
    for (E v : values)
        out.append(json::enumName(v));
    return out;
}

template <typename T> QJsonArray objectArray(const std::vector<T>& values, DateForm form) {
    QJsonArray out;
    for (const T& v : values)
        out.append(toJson(v, form));
    return out;
}

template <typename T> std::vector<T> readList(const Reader& r, const QString& key) {
    return r.list<T>(key, [](const Reader& element) { return fromJson<T>(element); });
}

// Any order; repeats collapse.
template <typename E> EnumSet<E> readEnumSet(const Reader& r, const QString& key) {
    const std::vector<E> values = r.enumList<E>(key);
    return EnumSet<E>(values.begin(), values.end());
}

template <typename T> std::optional<T> readOptional(const Reader& r, const QString& key) {
    if (auto nested = r.optionalObject(key)) return fromJson<T>(*nested);
    return std::nullopt;
}

// {"caseName": {"_0": payload}}: exactly one member may be a case name; others are ignored.
std::pair<QString, Reader> readCase(const Reader& r, const std::vector<QString>& caseNames) {
    return r.casePayload(caseNames);
}

const std::vector<QString>& actionCaseNames() {
    static const std::vector<QString> names{
        QStringLiteral("openFolder"),     QStringLiteral("openApp"),           QStringLiteral("openBrowserWebsite"),
        QStringLiteral("arrangeWindows"), QStringLiteral("runSystemBehavior"), QStringLiteral("runTerminalScript"),
    };
    return names;
}

const std::vector<QString>& layoutTargetCaseNames() {
    static const std::vector<QString> names{QStringLiteral("app"), QStringLiteral("folder")};
    return names;
}

} // namespace

// Writing --------------------------------------------------------------------------------

namespace {
// The opening actions end with the same optional member.
QJsonObject withDisplayTarget(Writer& w, const std::optional<NimbrelDisplayTarget>& target) {
    if (target) w.set(QStringLiteral("displayTarget"), toJson(*target, w.dateForm()));
    return w.object();
}
} // namespace

QJsonObject toJson(const NimbrelRuleAppTarget& v, DateForm form) {
    return Writer(form)
        .set(QStringLiteral("displayName"), v.displayName)
        .setOptional(QStringLiteral("bundleIdentifier"), v.bundleIdentifier)
        .setOptional(QStringLiteral("path"), v.path)
        .object();
}

QJsonObject toJson(const NimbrelFolderTarget& v, DateForm form) {
    return Writer(form).set(QStringLiteral("displayName"), v.displayName).set(QStringLiteral("path"), v.path).object();
}

QJsonObject toJson(const NimbrelClockTime& v, DateForm form) {
    return Writer(form)
        .set(QStringLiteral("hour"), qint64(v.hour))
        .set(QStringLiteral("minute"), qint64(v.minute))
        .object();
}

QJsonObject toJson(const NimbrelDisplayTarget& v, DateForm form) {
    Writer w(form);
    w.set(QStringLiteral("kind"), v.kind);
    if (v.externalIndex) w.set(QStringLiteral("externalIndex"), qint64(*v.externalIndex));
    return w.object();
}

QJsonObject toJson(const NimbrelRuleTrigger& v, DateForm form) {
    return Writer(form)
        .set(QStringLiteral("clickCount"), qint64(v.clickCount))
        .set(QStringLiteral("app"), toJson(v.app, form))
        .object();
}

QJsonObject toJson(const NimbrelRuleAvailability& v, DateForm form) {
    Writer w(form);
    w.set(QStringLiteral("mode"), v.mode).set(QStringLiteral("activeDays"), enumSetArray(v.activeDays));
    if (v.startTime) w.set(QStringLiteral("startTime"), toJson(*v.startTime, form));
    if (v.endTime) w.set(QStringLiteral("endTime"), toJson(*v.endTime, form));
    return w.object();
}

QJsonObject toJson(const NimbrelLayoutTarget& v, DateForm form) {
    return std::visit([&](const auto& payload) { return json::caseObject(v.caseName(), toJson(payload, form)); },
                      v.value);
}

QJsonObject toJson(const NimbrelLayoutSlot& v, DateForm form) {
    return Writer(form)
        .set(QStringLiteral("id"), v.id)
        .set(QStringLiteral("placement"), v.placement)
        .set(QStringLiteral("target"), toJson(v.target, form))
        .object();
}

QJsonObject toJson(const OpenFolderRuleAction& v, DateForm form) {
    Writer w(form);
    w.set(QStringLiteral("id"), v.id)
        .set(QStringLiteral("folder"), toJson(v.folder, form))
        .set(QStringLiteral("placement"), v.placement);
    return withDisplayTarget(w, v.displayTarget);
}

QJsonObject toJson(const OpenAppRuleAction& v, DateForm form) {
    Writer w(form);
    w.set(QStringLiteral("id"), v.id)
        .set(QStringLiteral("app"), toJson(v.app, form))
        .set(QStringLiteral("placement"), v.placement);
    return withDisplayTarget(w, v.displayTarget);
}

QJsonObject toJson(const OpenBrowserWebsiteRuleAction& v, DateForm form) {
    Writer w(form);
    w.set(QStringLiteral("id"), v.id)
        .set(QStringLiteral("browser"), toJson(v.browser, form))
        .set(QStringLiteral("urlString"), v.urlString)
        .set(QStringLiteral("openingMode"), v.openingMode)
        .set(QStringLiteral("placement"), v.placement);
    return withDisplayTarget(w, v.displayTarget);
}

QJsonObject toJson(const ArrangeWindowsRuleAction& v, DateForm form) {
    return Writer(form)
        .set(QStringLiteral("id"), v.id)
        .set(QStringLiteral("layout"), v.layout)
        .set(QStringLiteral("slots"), objectArray(v.layoutSlots, form))
        .object();
}

QJsonObject toJson(const SystemBehaviorRuleAction& v, DateForm form) {
    return Writer(form).set(QStringLiteral("id"), v.id).set(QStringLiteral("behavior"), v.behavior).object();
}

QJsonObject toJson(const TerminalScriptCommand& v, DateForm form) {
    return Writer(form).set(QStringLiteral("id"), v.id).set(QStringLiteral("command"), v.command).object();
}

QJsonObject toJson(const TerminalScriptRuleAction& v, DateForm form) {
    return Writer(form)
        .set(QStringLiteral("id"), v.id)
        .set(QStringLiteral("terminalApp"), toJson(v.terminalApp, form))
        .set(QStringLiteral("commands"), objectArray(v.commands, form))
        .set(QStringLiteral("stopOnFirstFailure"), v.stopOnFirstFailure)
        .object();
}

QJsonObject toJson(const NimbrelRuleAction& v, DateForm form) {
    return std::visit([&](const auto& payload) { return json::caseObject(v.caseName(), toJson(payload, form)); },
                      v.value);
}

QJsonObject toJson(const NimbrelRule& v, DateForm form) {
    Writer w(form);
    w.set(QStringLiteral("id"), v.id)
        .set(QStringLiteral("name"), v.name)
        .set(QStringLiteral("isEnabled"), v.isEnabled)
        .set(QStringLiteral("isPinned"), v.isPinned)
        .setOptional(QStringLiteral("pausedUntil"), v.pausedUntil)
        .set(QStringLiteral("trigger"), toJson(v.trigger, form))
        .set(QStringLiteral("availability"), toJson(v.availability, form))
        .set(QStringLiteral("actions"), objectArray(v.actions, form))
        .set(QStringLiteral("createdAt"), v.createdAt)
        .set(QStringLiteral("updatedAt"), v.updatedAt);
    return w.object();
}

QJsonObject toJson(const NimbrelRuleAppCapabilities& v, DateForm form) {
    return Writer(form)
        .set(QStringLiteral("app"), toJson(v.app, form))
        .set(QStringLiteral("capabilities"), enumSetArray(v.capabilities))
        .object();
}

// Reading --------------------------------------------------------------------------------

template <> NimbrelRuleAppTarget fromJson(const Reader& r) {
    return NimbrelRuleAppTarget{
        .displayName = r.string(QStringLiteral("displayName")),
        .bundleIdentifier = r.optionalString(QStringLiteral("bundleIdentifier")),
        .path = r.optionalString(QStringLiteral("path")),
    };
}

template <> NimbrelFolderTarget fromJson(const Reader& r) {
    return NimbrelFolderTarget{
        .displayName = r.string(QStringLiteral("displayName")),
        .path = r.string(QStringLiteral("path")),
    };
}

template <> NimbrelClockTime fromJson(const Reader& r) {
    return NimbrelClockTime{
        .hour = r.integer(QStringLiteral("hour")),
        .minute = r.integer(QStringLiteral("minute")),
    };
}

template <> NimbrelDisplayTarget fromJson(const Reader& r) {
    return NimbrelDisplayTarget{
        .kind = r.enumValue<NimbrelDisplayTarget::Kind>(QStringLiteral("kind")),
        .externalIndex = r.optionalInteger(QStringLiteral("externalIndex")),
    };
}

template <> NimbrelRuleTrigger fromJson(const Reader& r) {
    return NimbrelRuleTrigger{
        .clickCount = r.integer(QStringLiteral("clickCount")),
        .app = fromJson<NimbrelRuleAppTarget>(r.object(QStringLiteral("app"))),
    };
}

template <> NimbrelRuleAvailability fromJson(const Reader& r) {
    return NimbrelRuleAvailability{
        .mode = r.enumValue<NimbrelRuleAvailabilityMode>(QStringLiteral("mode")),
        .activeDays = readEnumSet<NimbrelWeekday>(r, QStringLiteral("activeDays")),
        .startTime = readOptional<NimbrelClockTime>(r, QStringLiteral("startTime")),
        .endTime = readOptional<NimbrelClockTime>(r, QStringLiteral("endTime")),
    };
}

template <> NimbrelLayoutTarget fromJson(const Reader& r) {
    auto [name, payload] = readCase(r, layoutTargetCaseNames());
    if (name == QLatin1String("app")) return NimbrelLayoutTarget::app(fromJson<NimbrelRuleAppTarget>(payload));
    return NimbrelLayoutTarget::folder(fromJson<NimbrelFolderTarget>(payload));
}

template <> NimbrelLayoutSlot fromJson(const Reader& r) {
    return NimbrelLayoutSlot{
        .id = r.uuid(QStringLiteral("id")),
        .placement = r.enumValue<NimbrelWindowPlacement>(QStringLiteral("placement")),
        .target = fromJson<NimbrelLayoutTarget>(r.object(QStringLiteral("target"))),
    };
}

template <> OpenFolderRuleAction fromJson(const Reader& r) {
    return OpenFolderRuleAction{
        .id = r.uuid(QStringLiteral("id")),
        .folder = fromJson<NimbrelFolderTarget>(r.object(QStringLiteral("folder"))),
        .placement = r.enumValue<NimbrelWindowPlacement>(QStringLiteral("placement")),
        .displayTarget = readOptional<NimbrelDisplayTarget>(r, QStringLiteral("displayTarget")),
    };
}

template <> OpenAppRuleAction fromJson(const Reader& r) {
    return OpenAppRuleAction{
        .id = r.uuid(QStringLiteral("id")),
        .app = fromJson<NimbrelRuleAppTarget>(r.object(QStringLiteral("app"))),
        .placement = r.enumValue<NimbrelWindowPlacement>(QStringLiteral("placement")),
        .displayTarget = readOptional<NimbrelDisplayTarget>(r, QStringLiteral("displayTarget")),
    };
}

template <> OpenBrowserWebsiteRuleAction fromJson(const Reader& r) {
    return OpenBrowserWebsiteRuleAction{
        .id = r.uuid(QStringLiteral("id")),
        .browser = fromJson<NimbrelRuleAppTarget>(r.object(QStringLiteral("browser"))),
        .urlString = r.string(QStringLiteral("urlString")),
        .openingMode = r.enumValue<NimbrelBrowserOpeningMode>(QStringLiteral("openingMode")),
        .placement = r.enumValue<NimbrelWindowPlacement>(QStringLiteral("placement")),
        .displayTarget = readOptional<NimbrelDisplayTarget>(r, QStringLiteral("displayTarget")),
    };
}

template <> ArrangeWindowsRuleAction fromJson(const Reader& r) {
    return ArrangeWindowsRuleAction{
        .id = r.uuid(QStringLiteral("id")),
        .layout = r.enumValue<NimbrelWindowLayout>(QStringLiteral("layout")),
        .layoutSlots = readList<NimbrelLayoutSlot>(r, QStringLiteral("slots")),
    };
}

template <> SystemBehaviorRuleAction fromJson(const Reader& r) {
    return SystemBehaviorRuleAction{
        .id = r.uuid(QStringLiteral("id")),
        .behavior = r.enumValue<NimbrelSystemBehavior>(QStringLiteral("behavior")),
    };
}

template <> TerminalScriptCommand fromJson(const Reader& r) {
    return TerminalScriptCommand{
        .id = r.uuid(QStringLiteral("id")),
        .command = r.string(QStringLiteral("command")),
    };
}

template <> TerminalScriptRuleAction fromJson(const Reader& r) {
    return TerminalScriptRuleAction{
        .id = r.uuid(QStringLiteral("id")),
        .terminalApp = fromJson<NimbrelRuleAppTarget>(r.object(QStringLiteral("terminalApp"))),
        .commands = readList<TerminalScriptCommand>(r, QStringLiteral("commands")),
        .stopOnFirstFailure = r.boolean(QStringLiteral("stopOnFirstFailure")),
    };
}

template <> NimbrelRuleAction fromJson(const Reader& r) {
    auto [name, payload] = readCase(r, actionCaseNames());
    const auto& names = actionCaseNames();
    if (name == names[0]) return NimbrelRuleAction::openFolder(fromJson<OpenFolderRuleAction>(payload));
    if (name == names[1]) return NimbrelRuleAction::openApp(fromJson<OpenAppRuleAction>(payload));
    if (name == names[2]) return NimbrelRuleAction::openBrowserWebsite(fromJson<OpenBrowserWebsiteRuleAction>(payload));
    if (name == names[3]) return NimbrelRuleAction::arrangeWindows(fromJson<ArrangeWindowsRuleAction>(payload));
    if (name == names[4]) return NimbrelRuleAction::runSystemBehavior(fromJson<SystemBehaviorRuleAction>(payload));
    return NimbrelRuleAction::runTerminalScript(fromJson<TerminalScriptRuleAction>(payload));
}

template <> NimbrelRule fromJson(const Reader& r) {
    return NimbrelRule{
        .id = r.uuid(QStringLiteral("id")),
        .name = r.string(QStringLiteral("name")),
        .isEnabled = r.boolean(QStringLiteral("isEnabled")),
        .isPinned = r.boolean(QStringLiteral("isPinned")),
        .pausedUntil = r.optionalDate(QStringLiteral("pausedUntil")),
        .trigger = fromJson<NimbrelRuleTrigger>(r.object(QStringLiteral("trigger"))),
        .availability = fromJson<NimbrelRuleAvailability>(r.object(QStringLiteral("availability"))),
        .actions = readList<NimbrelRuleAction>(r, QStringLiteral("actions")),
        .createdAt = r.date(QStringLiteral("createdAt")),
        .updatedAt = r.date(QStringLiteral("updatedAt")),
    };
}

template <> NimbrelRuleAppCapabilities fromJson(const Reader& r) {
    return NimbrelRuleAppCapabilities(fromJson<NimbrelRuleAppTarget>(r.object(QStringLiteral("app"))),
                                      readEnumSet<NimbrelRuleAppCapability>(r, QStringLiteral("capabilities")));
}

// Documents ------------------------------------------------------------------------------

QByteArray encodeRule(const NimbrelRule& rule, DateForm form) {
    return json::serialize(toJson(rule, form));
}

QByteArray encodeRules(const std::vector<NimbrelRule>& rules, DateForm form) {
    return json::serialize(objectArray(rules, form));
}

json::Decoded<NimbrelRule> decodeRule(const QByteArray& bytes, DateForm form) {
    return json::tryDecode<NimbrelRule>([&] {
        const QJsonDocument document = json::parse(bytes);
        return fromJson<NimbrelRule>(Reader::fromValue(
            document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array()), form, QString()));
    });
}

json::Decoded<std::vector<NimbrelRule>> decodeRules(const QByteArray& bytes, DateForm form) {
    return json::tryDecode<std::vector<NimbrelRule>>([&] {
        const QJsonDocument document = json::parse(bytes);
        if (!document.isArray())
            throw json::DecodeError(
                QStringLiteral("Expected to decode an array of rules but found an object instead."));
        const QJsonArray items = document.array();
        std::vector<NimbrelRule> rules;
        rules.reserve(static_cast<size_t>(items.size()));
        for (qsizetype i = 0; i < items.size(); ++i)
            rules.push_back(fromJson<NimbrelRule>(Reader::fromArrayElement(items[i], form, i)));
        return rules;
    });
}

} // namespace nimbrel
