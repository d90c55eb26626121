#pragma once

#include "model/Rule.h"
#include "platform/NotificationCenter.h"
#include "ui/common/Spring.h"
#include "ui/rules/RuleEditorState.h"

#include <QObject>
#include <QVariantList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

namespace nimbrel {

struct Platform;
class AppPickerViewModel;
class RuleActionsViewModel;
class TerminalCommandsViewModel;
class RuleScheduleViewModel;

// One opening of the rule editor: its state, loaded from the rule edited (or a new rule's),
// the chosen app and the block of actions it offers, and the save that hands the finished rule
// to the rules screen. The sections are view models of their own over the same state.
class RuleEditorViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY changed)
    Q_PROPERTY(QString defaultName READ defaultName CONSTANT)
    Q_PROPERTY(QString subtitle READ subtitle CONSTANT)
    Q_PROPERTY(int clickCount READ clickCount NOTIFY changed)
    Q_PROPERTY(QString clickCountText READ clickCountText NOTIFY changed)
    Q_PROPERTY(QStringList clickCountMenu READ clickCountMenu CONSTANT)
    Q_PROPERTY(QString chosenAppName READ chosenAppName NOTIFY changed)
    Q_PROPERTY(QString chosenAppSubtitle READ chosenAppSubtitle NOTIFY changed)
    Q_PROPERTY(QVariantMap chosenAppIcon READ chosenAppIcon NOTIFY changed)
    Q_PROPERTY(QString capabilityHint READ capabilityHintText NOTIFY changed)
    Q_PROPERTY(QString capabilityHintSymbol READ capabilityHintSymbolName NOTIFY changed)
    // "finder", "browser", "terminal" or "universal".
    Q_PROPERTY(QString actionBlock READ actionBlockName NOTIFY changed)
    Q_PROPERTY(bool isShowingAppPicker READ isShowingAppPicker NOTIFY changed)
    Q_PROPERTY(QObject* motion READ motion CONSTANT)
    Q_PROPERTY(QObject* picker READ picker CONSTANT)
    Q_PROPERTY(QObject* actions READ actions CONSTANT)
    Q_PROPERTY(QObject* terminal READ terminal CONSTANT)
    Q_PROPERTY(QObject* schedule READ schedule CONSTANT)
  public:
    struct Services {
        // The display targets a rule may choose (the window manager's external screens).
        std::function<std::vector<NimbrelDisplayTarget>()> externalScreens;
        std::function<void()> onCancel;
        std::function<void(const NimbrelRule&)> onSave;
    };

    RuleEditorViewModel(Platform& platform, std::optional<NimbrelRule> rule, QString defaultName,
                        std::shared_ptr<NimbrelInstalledApps> catalogue, Services services, QObject* parent = nullptr);
    ~RuleEditorViewModel() override;

    QString name() const { return state_.name; }
    void setName(const QString& name);
    QString defaultName() const { return defaultName_; }
    QString subtitle() const;
    int clickCount() const { return int(state_.clickCount); }
    QString clickCountText() const;
    QStringList clickCountMenu() const;
    QString chosenAppName() const { return selectedApp().displayName; }
    QString chosenAppSubtitle() const;
    QVariantMap chosenAppIcon() const;
    QString capabilityHintText() const { return capabilityHint(block()); }
    QString capabilityHintSymbolName() const { return capabilityHintSymbol(block()); }
    QString actionBlockName() const;
    bool isShowingAppPicker() const { return state_.isShowingAppPicker; }
    Motion* motion() { return &motion_; }
    QObject* picker() const;
    QObject* actions() const;
    QObject* terminal() const;
    QObject* schedule() const;

    Q_INVOKABLE void setClickCount(int count);
    Q_INVOKABLE void openAppPicker();
    Q_INVOKABLE void closeAppPicker();
    // The back button: leaves at once, whatever was changed.
    Q_INVOKABLE void cancel();
    // Builds the rule and hands it on; does nothing while no app is chosen.
    Q_INVOKABLE void save();

    // For the sections.
    RuleEditorState& state() { return state_; }
    const RuleEditorState& state() const { return state_; }
    const CatalogueApps& apps() const { return catalogue_->apps().get(); }
    bool isCatalogueLoading() const { return catalogue_->isLoading().get(); }
    Platform& platform() { return platform_; }
    std::vector<NimbrelDisplayTarget> externalScreens() const;
    NimbrelRuleAppTarget selectedApp() const { return selectedAppTarget(state_, apps()); }
    RuleActionBlock block() const { return actionBlock(selectedApp()); }
    // The icon of an app as the editor shows it: a catalogue entry's (by exact identifier),
    // else the file's at the path, else the generic icon.
    QVariantMap appIcon(const std::optional<QString>& bundleIdentifier, const std::optional<QString>& path) const;
    // Runs `edit` on the state, then tells every view of the editor.
    void edit(const std::function<void(RuleEditorState&)>& edit);
    void setShowingAppPicker(bool showing);

  signals:
    void changed();

  private:
    Platform& platform_;
    std::optional<NimbrelRule> rule_;
    QString defaultName_;
    std::shared_ptr<NimbrelInstalledApps> catalogue_;
    Services services_;
    RuleEditorState state_;
    Motion motion_;
    ObserverToken appsObserver_;
    ObserverToken loadingObserver_;
    std::unique_ptr<AppPickerViewModel> picker_;
    std::unique_ptr<RuleActionsViewModel> actions_;
    std::unique_ptr<TerminalCommandsViewModel> terminal_;
    std::unique_ptr<RuleScheduleViewModel> schedule_;
};

} // namespace nimbrel
