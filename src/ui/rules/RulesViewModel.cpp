#include "ui/rules/RulesViewModel.h"

#include "model/RulesStore.h"
#include "platform/Calendar.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "ui/rules/RuleEditorViewModel.h"

#include <QJSEngine>

#include <algorithm>

namespace nimbrel {

namespace {
// The springs of the screen's moves: opening and closing the editor, and deleting a card.
constexpr double kEditorResponse = 0.46;
constexpr double kEditorDamping = 0.88;
constexpr double kDeleteResponse = 0.2;
constexpr double kDeleteDamping = 1.0;
const QString kDisableItem = QStringLiteral("disable");
} // namespace

RulesViewModel::RulesViewModel(Platform& platform, std::shared_ptr<NimbrelRulesStore> store,
                               EditorServices editorServices, QObject* parent)
    : CardListViewModel(parent), platform_(platform), store_(std::move(store)),
      editorServices_(std::move(editorServices)) {
    rulesObserver_ = store_->rules().observe([this](const std::vector<NimbrelRule>&) { refreshCards(); });
    // A pause's end is shown in local time: the open screen follows a change of zone at once.
    zoneObserver_ = platform_.notifications->addObserver(kTimeZoneDidChangeNotification,
                                                         [this](const Notification&) { refreshCards(); });
    refreshCards();
}

RulesViewModel::~RulesViewModel() = default;

void RulesViewModel::refreshCards() {
    cardsChanging();
    keptCards_.follow(store_->rules().get(), store_->lastRulesChange(), *platform_.workspace, *platform_.files,
                      platform_.clock->now());
    emit cardsChanged();
}

void RulesViewModel::showCardOf(const Uuid& id) {
    const std::vector<RuleCardContent>& shown = cards_.cards();
    const auto card = std::find_if(shown.begin(), shown.end(), [&](const RuleCardContent& c) { return c.id == id; });
    if (card != shown.end()) emit cardToShow(int(card - shown.begin()));
}

QString RulesViewModel::defaultNameForNewRule() const {
    return defaultRuleName(store_->rules().get().size());
}

QVariantList RulesViewModel::pauseMenuItems() const {
    QVariantList items{
        QVariantMap{{QStringLiteral("title"), QStringLiteral("Disable")}, {QStringLiteral("option"), kDisableItem}},
        QVariantMap{{QStringLiteral("divider"), true}}};
    for (RulePauseOption option : rulePause::menuOptions())
        items.append(QVariantMap{{QStringLiteral("title"), rulePause::title(option)},
                                 {QStringLiteral("option"), rulePause::rawValue(option)}});
    return items;
}

std::optional<NimbrelRule> RulesViewModel::storedRule(const QString& ruleId) const {
    const std::optional<Uuid> id = Uuid::parse(ruleId);
    if (!id) return std::nullopt;
    for (const NimbrelRule& rule : store_->rules().get())
        if (rule.id == *id) return rule;
    return std::nullopt;
}

void RulesViewModel::appeared() {
    // Redraw from the rules as they are now, as the screen comes in: what the Mac has may have
    // changed while it was away.
    keptCards_.forget();
    refreshCards();
    beginEntrance(platform_.scheduler);
}

QObject* RulesViewModel::editor() const {
    return editor_.get();
}

void RulesViewModel::setEditorSession(std::optional<RuleEditorSession> session) {
    editorSession_ = std::move(session);
    if (editor_) {
        if (closedEditor_) closedEditor_.release()->deleteLater();
        closedEditor_ = std::move(editor_);
    }
    if (editorSession_) {
        const std::optional<NimbrelRule>& rule = editorSession_->rule;
        RuleEditorViewModel::Services services;
        services.externalScreens = editorServices_.externalScreens;
        services.onCancel = [this] { closeEditor(); };
        services.onSave = [this](const NimbrelRule& finished) { saveRule(finished); };
        editor_ = std::make_unique<RuleEditorViewModel>(
            platform_, rule, rule ? rule->name : defaultNameForNewRule(),
            editorServices_.catalogue ? editorServices_.catalogue() : NimbrelInstalledApps::create(platform_),
            std::move(services));
        QJSEngine::setObjectOwnership(editor_.get(), QJSEngine::CppOwnership);
    }
    emit editorChanged();
}

void RulesViewModel::openEditor(std::optional<NimbrelRule> rule) {
    motion_.withSpringAnimation(kEditorResponse, kEditorDamping, [&] {
        setEditorSession(RuleEditorSession{Uuid::random(), std::move(rule)});
    });
}

void RulesViewModel::createRule() {
    openEditor(std::nullopt);
}

void RulesViewModel::editRule(const QString& ruleId) {
    if (auto rule = storedRule(ruleId)) openEditor(std::move(rule));
}

void RulesViewModel::closeEditor() {
    motion_.withSpringAnimation(kEditorResponse, kEditorDamping, [this] { setEditorSession(std::nullopt); });
}

void RulesViewModel::saveRule(const NimbrelRule& rule) {
    motion_.withoutAnimation([&] {
        if (upsertFor(store_->rules().get(), rule.id) == RuleUpsert::update)
            store_->updateRule(rule);
        else
            store_->addRule(rule);
    });
    showCardOf(rule.id);
    closeEditor();
}

void RulesViewModel::toggleRuleEnabled(const QString& ruleId) {
    auto rule = storedRule(ruleId);
    if (!rule) return;
    rule->isEnabled = !rule->isEnabled;
    motion_.withoutAnimation([&] { store_->updateRule(*rule); });
}

void RulesViewModel::toggleRulePinned(const QString& ruleId) {
    auto rule = storedRule(ruleId);
    if (!rule) return;
    rule->isPinned = !rule->isPinned;
    motion_.withoutAnimation([&] { store_->updateRule(*rule); });
    showCardOf(rule->id);
}

void RulesViewModel::deleteRule(const QString& ruleId) {
    auto rule = storedRule(ruleId);
    if (!rule) return;
    motion_.withSpringAnimation(kDeleteResponse, kDeleteDamping, [&] { store_->deleteRule(*rule); });
}

void RulesViewModel::pauseRule(const QString& ruleId, const QString& option) {
    auto rule = storedRule(ruleId);
    if (!rule) return;
    if (option == kDisableItem) {
        toggleRuleEnabled(ruleId);
        return;
    }
    if (auto choice = rulePause::fromRawValue(option)) pauseRule(*rule, *choice);
}

void RulesViewModel::pauseRule(const NimbrelRule& rule, RulePauseOption option) {
    if (option == RulePauseOption::custom) {
        customPauseRule_ = rule;
        customPauseMinutesText_.clear();
        isShowingCustomPause_ = true;
        emit customPauseChanged();
        return;
    }
    motion_.withoutAnimation([&] { store_->pauseRule(rule.id, rulePause::pauseDate(option, platform_.clock->now())); });
}

void RulesViewModel::setCustomPauseMinutesText(const QString& text) {
    if (text == customPauseMinutesText_) return;
    customPauseMinutesText_ = text;
    emit customPauseChanged();
}

void RulesViewModel::applyCustomPause() {
    if (!customPauseRule_) return;
    const std::optional<std::int64_t> seconds = customPauseSeconds(customPauseMinutesText_);
    if (!seconds) return; // the sheet stays open with its text
    const Uuid id = customPauseRule_->id;
    motion_.withoutAnimation([&] { store_->pauseRule(id, platform_.clock->now().addingSeconds(double(*seconds))); });
    endCustomPause();
}

void RulesViewModel::cancelCustomPause() {
    endCustomPause();
}

void RulesViewModel::endCustomPause() {
    isShowingCustomPause_ = false;
    customPauseRule_.reset();
    customPauseMinutesText_.clear();
    emit customPauseChanged();
}

} // namespace nimbrel
