#pragma once

#include "model/Rule.h"
#include "platform/NotificationCenter.h"
#include "platform/Scheduler.h"
#include "ui/common/CardListViewModel.h"
#include "ui/rules/KeptRuleCards.h"
#include "ui/rules/RuleCardListModel.h"
#include "ui/rules/RulePauseOption.h"

#include <QObject>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>

namespace nimbrel {

struct Platform;
class NimbrelRulesStore;
class NimbrelInstalledApps;
class RuleEditorViewModel;

// One opening of the rule editor: a fresh id every time, and the rule edited (none: a new one).
struct RuleEditorSession {
    Uuid id = Uuid::random();
    std::optional<NimbrelRule> rule;
};

// The rules screen: the list of cards over the shared rules store, the editor's opening and
// closing, the pause choices and the custom pause sheet. Every change goes through the store.
class RulesViewModel : public CardListViewModel {
    Q_OBJECT
    Q_PROPERTY(bool isShowingCustomPause READ isShowingCustomPause NOTIFY customPauseChanged)
    Q_PROPERTY(QString customPauseMinutesText READ customPauseMinutesText WRITE setCustomPauseMinutesText NOTIFY
                   customPauseChanged)
    // The items of an unpaused card's pause menu: {"title", "option"}; "Disable" has the option
    // "disable" and is followed by a divider ({"divider": true}).
    Q_PROPERTY(QVariantList pauseMenuItems READ pauseMenuItems CONSTANT)
  public:
    // What the editor needs beyond the platform: the installed-app catalogue (asked for as the
    // editor first opens) and the displays a rule may choose.
    struct EditorServices {
        std::function<std::shared_ptr<NimbrelInstalledApps>()> catalogue;
        std::function<std::vector<NimbrelDisplayTarget>()> externalScreens;
    };

    RulesViewModel(Platform& platform, std::shared_ptr<NimbrelRulesStore> store, EditorServices editorServices,
                   QObject* parent = nullptr);
    ~RulesViewModel() override;

    QObject* cardsModel() override { return &cards_; }
    const std::vector<RuleCardContent>& cards() const { return cards_.cards(); }
    // How many cards the screen has made, all told.
    std::uint64_t cardsMade() const { return keptCards_.cardsMade(); }
    bool isEmpty() const override { return cards_.count() == 0; }
    bool isEditorOpen() const override { return editorSession_.has_value(); }
    QString editorSessionId() const override { return editorSession_ ? editorSession_->id.toString() : QString(); }
    const std::optional<RuleEditorSession>& editorSession() const { return editorSession_; }
    QObject* editor() const override;
    RuleEditorViewModel* editorModel() const { return editor_.get(); }
    Motion* motion() override { return &motion_; }
    bool isShowingCustomPause() const { return isShowingCustomPause_; }
    QString customPauseMinutesText() const { return customPauseMinutesText_; }
    void setCustomPauseMinutesText(const QString& text);
    const std::optional<NimbrelRule>& customPauseRule() const { return customPauseRule_; }
    QVariantList pauseMenuItems() const;
    // The name offered to a new rule.
    QString defaultNameForNewRule() const;

    // The screen was shown: redraws from the store's rules, then starts the entrance one turn later.
    Q_INVOKABLE void appeared();
    Q_INVOKABLE void createRule();
    Q_INVOKABLE void editRule(const QString& ruleId);
    Q_INVOKABLE void closeEditor();
    Q_INVOKABLE void toggleRuleEnabled(const QString& ruleId);
    Q_INVOKABLE void toggleRulePinned(const QString& ruleId);
    Q_INVOKABLE void deleteRule(const QString& ruleId);
    // `option` is a pause option's raw value, or "disable" (the menu's first item).
    Q_INVOKABLE void pauseRule(const QString& ruleId, const QString& option);
    Q_INVOKABLE void applyCustomPause();
    Q_INVOKABLE void cancelCustomPause();

    // The editor's save: updates the stored rule with that id or adds it, then closes the editor.
    void saveRule(const NimbrelRule& rule);
    void pauseRule(const NimbrelRule& rule, RulePauseOption option);

  signals:
    void customPauseChanged();

  private:
    std::optional<NimbrelRule> storedRule(const QString& ruleId) const;
    void refreshCards();
    // Brings the card of the rule with `id` into view (after the person saved or moved it).
    void showCardOf(const Uuid& id);
    void openEditor(std::optional<NimbrelRule> rule);
    void setEditorSession(std::optional<RuleEditorSession> session);
    void endCustomPause();

    Platform& platform_;
    std::shared_ptr<NimbrelRulesStore> store_;
    EditorServices editorServices_;
    std::unique_ptr<RuleEditorViewModel> editor_;
    // The editor last closed: its view may still read it while it slides out.
    std::unique_ptr<RuleEditorViewModel> closedEditor_;
    RuleCardListModel cards_;
    KeptRuleCards keptCards_{cards_};
    Motion motion_;
    ObserverToken rulesObserver_;
    ObserverToken zoneObserver_;
    std::optional<RuleEditorSession> editorSession_;
    std::optional<NimbrelRule> customPauseRule_;
    QString customPauseMinutesText_;
    bool isShowingCustomPause_ = false;
};

} // namespace nimbrel
