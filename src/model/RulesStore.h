#pragma once

#include "activity/ActivityEntry.h"
#include "model/CloudStoreLifecycle.h"
#include "model/Rule.h"
#include "model/RuleListEdit.h"
#include "model/StoreSyncLinks.h"
#include "platform/Published.h"
#include "sync/CloudPendingChanges.h"
#include "sync/CloudPullMerge.h"
#include "sync/CloudUnsentChanges.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace nimbrel {

struct Platform;
struct NimbrelCloudPayloadRecord;
struct NimbrelCloudTombstone;
class DateFormatter;
class RuleListBytes;
class RuleTriggerIndex;

// The user's rules: kept in user defaults, edited by the rules screens, asked by the engine
// which rules a Dock tap fires, and kept in step with the user's other Macs.
class NimbrelRulesStore : public std::enable_shared_from_this<NimbrelRulesStore> {
  public:
    static inline const QString defaultsKey = QStringLiteral("Nimbrel.rules");
    // Stored rules that could not be read, kept here before a save replaces them: a list of
    // {"value": the stored value, "failedAt": date, "error": text}.
    static inline const QString unreadableRulesKey = QStringLiteral("Nimbrel.rules.unreadable");
    // Rules deleted here whose tombstones have not reached the cloud yet: {id: deletion date}.
    static inline const QString pendingDeletionsKey = QStringLiteral("Nimbrel.rules.pendingDeletions");
    // Rules changed while sync was off or paused, never sent: {id: date of the change}. The
    // cloud's copy of the same second does not replace them.
    static inline const QString unsentChangesKey = QStringLiteral("Nimbrel.rules.unsentChanges");

    // Builds a store and runs its start-up: load, the initial pull, then the later pulls' triggers.
    static std::shared_ptr<NimbrelRulesStore> create(Platform& platform, StoreSyncLinks links);
    static NimbrelRulesStore& shared();
    static std::shared_ptr<NimbrelRulesStore> sharedPtr();
    ~NimbrelRulesStore();

    const Published<std::vector<NimbrelRule>>& rules() const { return rules_; }
    // What the last change of `rules` did; read by its observers as they are called.
    const RuleListChange& lastRulesChange() const { return lastChange_; }
    // The screens' direct write of the list (not saved by itself).
    void setRules(std::vector<NimbrelRule> rules);
    bool isApplyingCloudRulesPayload() const { return applyingCloudPayload_; }

    void load();
    void save();
    void addRule(const NimbrelRule& rule);
    void updateRule(const NimbrelRule& rule);
    void deleteRule(const NimbrelRule& rule);
    // `until` none resumes the rule.
    void pauseRule(const Uuid& id, std::optional<Date> until);

    // The rules that fire for a tap on `app` counted `clickCount` times, in store order.
    // Reads the stored rules first, so a change to them is seen by the very next tap.
    std::vector<NimbrelRule> rulesForDockTap(const NimbrelRuleAppTarget& app, std::int64_t clickCount);

    // Calls `done` (later, on the main thread) when the pull has finished or was skipped.
    void pullFromCloud(std::function<void()> done = {});
    void applyCloudRules(const std::vector<NimbrelCloudPayloadRecord>& records,
                         const std::vector<NimbrelCloudTombstone>& tombstones);
    // The merge of a whole pull: its records and tombstones, the ids the registry lists among the
    // deletions, and the records it could not read.
    void applyCloudPull(const CloudPull& pull);
    void startInitialCloudPull();

    using SyncOperation = std::function<void(NimbrelRulesStore&, const NimbrelRule&)>;
    // Runs `operation` on a copy of `rule` on the next turn, when sync is on and no global
    // pause is in force; otherwise the change is not sent, now or later.
    void startRuleSyncTaskIfEnabled(const NimbrelRule& rule, SyncOperation operation);
    void pushRulePayload(const NimbrelRule& rule);
    void pushRuleTombstone(const NimbrelRule& rule);
    // The tombstone of a deletion made here; once saved the deletion is no longer pending.
    void pushRuleTombstone(const QString& objectID, Date deletedAt);

    // Medium date, short time, in the user's locale: the end of a pause in "Rule Paused".
    static const DateFormatter& pauseDateFormatter();

  private:
    NimbrelRulesStore(Platform& platform, StoreSyncLinks links);
    void start();
    void startCloudPullTriggers();
    // Local changes go out, pulled ones are not sent back.
    void pushPayloadUnlessApplying(const NimbrelRule& rule);
    void fetchAndApply(std::function<void()> done);
    bool isSyncAllowed() const;
    CloudPendingChanges pendingDeletions() const;
    CloudUnsentChanges unsentChanges() const;
    void pushPendingDeletions();
    static std::optional<QString> encodingProblem(const std::vector<NimbrelRule>& rules);
    Date now() const;
    void record(NimbrelActivityType type, const QString& title, const QString& message) const;

    // Sets the list; `storedGeneration` is the defaults' generation of the stored value it was
    // read from or saved as, if any. What is kept alongside the list is made anew when needed.
    void assignRules(std::vector<NimbrelRule> rules, std::optional<quint64> storedGeneration);
    // Edits the list in place by `edits` (in sequence; their `before` is found here): the tap
    // lookup and the stored text follow them, and the list is neither copied nor compared.
    void editRules(std::vector<RuleListEdit> edits);
    // Makes the list anew by `arrangement`: the rules held as they are are moved, not copied,
    // and keep their stored text and their place in the tap lookup.
    void arrangeRules(const RuleListArrangement& arrangement);
    std::optional<size_t> positionOf(const Uuid& id) const;
    void noteUnreadableStoredRules(const QVariant& value, const QString& error);
    void setAsideUnreadableStoredRules();
    bool targetMatches(size_t index, const NimbrelRuleAppTarget& tapped, const QString& tappedName);

    Platform& platform_;
    StoreSyncLinks links_;
    Published<std::vector<NimbrelRule>> rules_;
    RuleListChange lastChange_;
    bool applyingCloudPayload_ = false;
    CloudStoreLifecycle cloudPulls_;
    // The cloud records merged so far, so that a pull does not decode an unchanged one again.
    CloudMergeMemory mergedRecords_;

    // The generation of the stored value that `rules_` reflects: a tap reads the stored rules
    // first, and an unchanged value must cost it neither a decode nor a comparison.
    std::optional<quint64> loadedGeneration_;
    // Which rules a tap can concern; made by the first tap, then kept up to date by the edits.
    std::unique_ptr<RuleTriggerIndex> triggerIndex_;
    // The list's stored form, when this store wrote it: a save after an edit then encodes only
    // the edited rules. Made by the first save after the list was read or replaced.
    std::unique_ptr<RuleListBytes> storedText_;
    // The last stored value that could not be read: reported once, kept aside by the next save.
    std::optional<QVariant> unreadableValue_;
    QString unreadableError_;
    Date unreadableSince_;
};

} // namespace nimbrel
