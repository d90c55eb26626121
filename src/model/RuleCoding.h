#pragma once

#include "model/AppCapabilities.h"
#include "model/Rule.h"
#include "platform/Json.h"

#include <QByteArray>
#include <QJsonObject>

#include <vector>

// The keyed JSON form of the rule model. Writing leaves absent optionals out; reading
// requires every other member, takes null as absent, ignores unknown members and fails
// the whole value (and the whole list) on the first fault. Dates use the caller's form.
namespace nimbrel {

// Whole documents: one rule, or a list of rules (a JSON array).
QByteArray encodeRule(const NimbrelRule& rule, json::DateForm form);
QByteArray encodeRules(const std::vector<NimbrelRule>& rules, json::DateForm form);
json::Decoded<NimbrelRule> decodeRule(const QByteArray& bytes, json::DateForm form);
json::Decoded<std::vector<NimbrelRule>> decodeRules(const QByteArray& bytes, json::DateForm form);

// One value as a JSON object; for stores that embed rules in their own documents.
QJsonObject toJson(const NimbrelRule& v, json::DateForm form);
QJsonObject toJson(const NimbrelRuleTrigger& v, json::DateForm form);
QJsonObject toJson(const NimbrelRuleAppTarget& v, json::DateForm form);
QJsonObject toJson(const NimbrelRuleAvailability& v, json::DateForm form);
QJsonObject toJson(const NimbrelClockTime& v, json::DateForm form);
QJsonObject toJson(const NimbrelFolderTarget& v, json::DateForm form);
QJsonObject toJson(const NimbrelDisplayTarget& v, json::DateForm form);
QJsonObject toJson(const NimbrelLayoutTarget& v, json::DateForm form);
QJsonObject toJson(const NimbrelLayoutSlot& v, json::DateForm form);
QJsonObject toJson(const NimbrelRuleAction& v, json::DateForm form);
QJsonObject toJson(const OpenFolderRuleAction& v, json::DateForm form);
QJsonObject toJson(const OpenAppRuleAction& v, json::DateForm form);
QJsonObject toJson(const OpenBrowserWebsiteRuleAction& v, json::DateForm form);
QJsonObject toJson(const ArrangeWindowsRuleAction& v, json::DateForm form);
QJsonObject toJson(const SystemBehaviorRuleAction& v, json::DateForm form);
QJsonObject toJson(const TerminalScriptRuleAction& v, json::DateForm form);
QJsonObject toJson(const TerminalScriptCommand& v, json::DateForm form);
QJsonObject toJson(const NimbrelRuleAppCapabilities& v, json::DateForm form);

// Reads one value from an object reader; throws json::DecodeError.
template <typename T> T fromJson(const json::Reader& reader);

template <> NimbrelRule fromJson(const json::Reader& r);
template <> NimbrelRuleTrigger fromJson(const json::Reader& r);
template <> NimbrelRuleAppTarget fromJson(const json::Reader& r);
template <> NimbrelRuleAvailability fromJson(const json::Reader& r);
template <> NimbrelClockTime fromJson(const json::Reader& r);
template <> NimbrelFolderTarget fromJson(const json::Reader& r);
template <> NimbrelDisplayTarget fromJson(const json::Reader& r);
template <> NimbrelLayoutTarget fromJson(const json::Reader& r);
template <> NimbrelLayoutSlot fromJson(const json::Reader& r);
template <> NimbrelRuleAction fromJson(const json::Reader& r);
template <> OpenFolderRuleAction fromJson(const json::Reader& r);
template <> OpenAppRuleAction fromJson(const json::Reader& r);
template <> OpenBrowserWebsiteRuleAction fromJson(const json::Reader& r);
template <> ArrangeWindowsRuleAction fromJson(const json::Reader& r);
template <> SystemBehaviorRuleAction fromJson(const json::Reader& r);
template <> TerminalScriptRuleAction fromJson(const json::Reader& r);
template <> TerminalScriptCommand fromJson(const json::Reader& r);
template <> NimbrelRuleAppCapabilities fromJson(const json::Reader& r);

} // namespace nimbrel
