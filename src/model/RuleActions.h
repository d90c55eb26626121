#pragma once

#include "model/RuleTargets.h"
#include "platform/Uuid.h"

#include <QString>

#include <optional>
#include <variant>
#include <vector>

// What a rule does: the action payloads and the enums with payloads that wrap them.
// Every payload gets a fresh random id when it is built in code.
namespace nimbrel {

struct OpenFolderRuleAction {
    Uuid id = Uuid::random();
    NimbrelFolderTarget folder;
    NimbrelWindowPlacement placement = NimbrelWindowPlacement::front;
    std::optional<NimbrelDisplayTarget> displayTarget;

    friend bool operator==(const OpenFolderRuleAction&, const OpenFolderRuleAction&) = default;
};

struct OpenAppRuleAction {
    Uuid id = Uuid::random();
    NimbrelRuleAppTarget app;
    NimbrelWindowPlacement placement = NimbrelWindowPlacement::front;
    std::optional<NimbrelDisplayTarget> displayTarget;

    friend bool operator==(const OpenAppRuleAction&, const OpenAppRuleAction&) = default;
};

struct OpenBrowserWebsiteRuleAction {
    Uuid id = Uuid::random();
    NimbrelRuleAppTarget browser;
    QString urlString; // as typed; see normalizedURLString()
    NimbrelBrowserOpeningMode openingMode = NimbrelBrowserOpeningMode::newTab;
    NimbrelWindowPlacement placement = NimbrelWindowPlacement::front;
    std::optional<NimbrelDisplayTarget> displayTarget;

    // The address to open: trimmed, with "https://" in front unless it is http or https already.
    QString normalizedURLString() const;

    friend bool operator==(const OpenBrowserWebsiteRuleAction&, const OpenBrowserWebsiteRuleAction&) = default;
};

// What goes into one slot of an arrangement: an app, or a folder shown as a Finder window.
struct NimbrelLayoutTarget {
    using Payload = std::variant<NimbrelRuleAppTarget, NimbrelFolderTarget>;
    Payload value;

    static NimbrelLayoutTarget app(NimbrelRuleAppTarget target) { return {std::move(target)}; }
    static NimbrelLayoutTarget folder(NimbrelFolderTarget target) { return {std::move(target)}; }

    // The case name: "app" or "folder".
    QString caseName() const;
    const NimbrelRuleAppTarget* appTarget() const { return std::get_if<NimbrelRuleAppTarget>(&value); }
    const NimbrelFolderTarget* folderTarget() const { return std::get_if<NimbrelFolderTarget>(&value); }

    friend bool operator==(const NimbrelLayoutTarget&, const NimbrelLayoutTarget&) = default;
};

struct NimbrelLayoutSlot {
    Uuid id = Uuid::random();
    NimbrelWindowPlacement placement = NimbrelWindowPlacement::front;
    NimbrelLayoutTarget target;

    friend bool operator==(const NimbrelLayoutSlot&, const NimbrelLayoutSlot&) = default;
};

struct ArrangeWindowsRuleAction {
    Uuid id = Uuid::random();
    NimbrelWindowLayout layout = NimbrelWindowLayout::fullSize;
    // Stored under the JSON key "slots"; that word is reserved by Qt's moc keywords.
    std::vector<NimbrelLayoutSlot> layoutSlots;

    friend bool operator==(const ArrangeWindowsRuleAction&, const ArrangeWindowsRuleAction&) = default;
};

struct SystemBehaviorRuleAction {
    Uuid id = Uuid::random();
    NimbrelSystemBehavior behavior = NimbrelSystemBehavior::normalCycle;

    friend bool operator==(const SystemBehaviorRuleAction&, const SystemBehaviorRuleAction&) = default;
};

struct TerminalScriptCommand {
    Uuid id = Uuid::random();
    QString command; // one shell command line

    friend bool operator==(const TerminalScriptCommand&, const TerminalScriptCommand&) = default;
};

struct TerminalScriptRuleAction {
    Uuid id = Uuid::random();
    NimbrelRuleAppTarget terminalApp;
    std::vector<TerminalScriptCommand> commands; // run in order
    bool stopOnFirstFailure = false;

    friend bool operator==(const TerminalScriptRuleAction&, const TerminalScriptRuleAction&) = default;
};

// One action of a rule. Its id is its payload's id, so re-wrapping keeps the identity.
struct NimbrelRuleAction {
    // In case order: openFolder, openApp, openBrowserWebsite, arrangeWindows,
    // runSystemBehavior, runTerminalScript.
    using Payload = std::variant<OpenFolderRuleAction, OpenAppRuleAction, OpenBrowserWebsiteRuleAction,
                                 ArrangeWindowsRuleAction, SystemBehaviorRuleAction, TerminalScriptRuleAction>;
    Payload value;

    static NimbrelRuleAction openFolder(OpenFolderRuleAction a) { return {std::move(a)}; }
    static NimbrelRuleAction openApp(OpenAppRuleAction a) { return {std::move(a)}; }
    static NimbrelRuleAction openBrowserWebsite(OpenBrowserWebsiteRuleAction a) { return {std::move(a)}; }
    static NimbrelRuleAction arrangeWindows(ArrangeWindowsRuleAction a) { return {std::move(a)}; }
    static NimbrelRuleAction runSystemBehavior(SystemBehaviorRuleAction a) { return {std::move(a)}; }
    static NimbrelRuleAction runTerminalScript(TerminalScriptRuleAction a) { return {std::move(a)}; }

    Uuid id() const;
    QString caseName() const;
    template <typename T> const T* as() const { return std::get_if<T>(&value); }

    friend bool operator==(const NimbrelRuleAction&, const NimbrelRuleAction&) = default;
};

} // namespace nimbrel
