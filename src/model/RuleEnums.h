#pragma once

#include "model/EnumSet.h"
#include "platform/Json.h"

#include <array>
#include <cstdint>
#include <vector>

// Text-valued enums of the rule model. Each value's JSON text is its case name; the
// declaration order is also the order of the "all cases" lists.
namespace nimbrel {

enum class NimbrelRuleAvailabilityMode { always, scheduled };
enum class NimbrelWeekday { monday, tuesday, wednesday, thursday, friday, saturday, sunday };
enum class NimbrelWindowPlacement {
    front,
    fullSize,
    fullScreen,
    leftHalf,
    rightHalf,
    topLeft,
    topRight,
    bottomLeft,
    bottomRight
};
enum class NimbrelBrowserOpeningMode { newTab, newWindow };
enum class NimbrelWindowLayout { fullSize, sideBySide, dividedInThree, dividedInFour };
enum class NimbrelSystemBehavior { normalCycle, ignoreApp, minimizeCurrentWindow, restoreNextWindow, hideApp };
enum class NimbrelRuleAppCapability { finder, browser, terminalScript, universalWindowPlacement };

// Every case of an enum with an "all cases" list, in declaration order.
template <typename E> std::vector<E> allCases() {
    std::vector<E> out;
    out.reserve(json::enumCount<E>());
    for (size_t i = 0; i < json::enumCount<E>(); ++i)
        out.push_back(static_cast<E>(i));
    return out;
}

// The identity of the enums the editor lists by id is their case name.
inline QString id(NimbrelBrowserOpeningMode mode) {
    return json::enumName(mode);
}
inline QString id(NimbrelRuleAppCapability capability) {
    return json::enumName(capability);
}

// Sets of weekdays and capabilities; members iterate in declaration order (Monday first).
using NimbrelWeekdaySet = EnumSet<NimbrelWeekday>;
using NimbrelRuleAppCapabilitySet = EnumSet<NimbrelRuleAppCapability>;

// Calendar weekday number (1 = Sunday ... 7 = Saturday); any other number is Monday.
NimbrelWeekday weekdayFromCalendarWeekday(std::int64_t calendarWeekday);
// "Mon" ... "Sun".
QString shortName(NimbrelWeekday day);
// What the screens call a placement ("Front", "Full Size", ..., "Bottom Right").
QString title(NimbrelWindowPlacement placement);
// "New Tab", "New Window".
QString title(NimbrelBrowserOpeningMode mode);
NimbrelWeekdaySet allWeekdays();
NimbrelWeekdaySet workWeekdays();    // monday to friday
NimbrelWeekdaySet weekendWeekdays(); // saturday and sunday

} // namespace nimbrel

template <> struct nimbrel::json::EnumNames<nimbrel::NimbrelRuleAvailabilityMode> {
    static constexpr std::array names{"always", "scheduled"};
};
template <> struct nimbrel::json::EnumNames<nimbrel::NimbrelWeekday> {
    static constexpr std::array names{"monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday"};
};
template <> struct nimbrel::json::EnumNames<nimbrel::NimbrelWindowPlacement> {
    static constexpr std::array names{"front",   "fullSize", "fullScreen", "leftHalf",   "rightHalf",
                                      "topLeft", "topRight", "bottomLeft", "bottomRight"};
};
template <> struct nimbrel::json::EnumNames<nimbrel::NimbrelBrowserOpeningMode> {
    static constexpr std::array names{"newTab", "newWindow"};
};
template <> struct nimbrel::json::EnumNames<nimbrel::NimbrelWindowLayout> {
    static constexpr std::array names{"fullSize", "sideBySide", "dividedInThree", "dividedInFour"};
};
template <> struct nimbrel::json::EnumNames<nimbrel::NimbrelSystemBehavior> {
    static constexpr std::array names{"normalCycle", "ignoreApp", "minimizeCurrentWindow", "restoreNextWindow",
                                      "hideApp"};
};
template <> struct nimbrel::json::EnumNames<nimbrel::NimbrelRuleAppCapability> {
    static constexpr std::array names{"finder", "browser", "terminalScript", "universalWindowPlacement"};
};
