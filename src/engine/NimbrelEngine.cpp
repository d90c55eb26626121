#include "engine/NimbrelEngine.h"

#include "engine/AxReaders.h"
#include "engine/DockTitles.h"
#include "engine/WindowManager.h"
#include "platform/Platform.h"
#include "platform/SharedInstance.h"

namespace nimbrel {

NimbrelEngine::NimbrelEngine(Platform& platform, Options options)
    : platform_(platform), services_(std::move(options.services)),
      tiles_(*platform.accessibility, *platform.workspace, *platform.screens),
      taps_(state_, *platform.scheduler, *platform.clock),
      finderGroups_(state_, *platform.accessibility, *platform.workspace, *platform.files),
      cycler_(state_, *platform.accessibility, *platform.workspace, *platform.files, *platform.clock, services_),
      settle_(state_, *platform.accessibility, *platform.workspace, *platform.scheduler, services_),
      longPress_(state_,
                 {*platform.accessibility, *platform.workspace, *platform.input, *platform.scheduler, *platform.clock},
                 services_),
      trashCleanup_(state_, *platform.accessibility, *platform.scheduler, *platform.clock),
      defaultBehavior_(state_, *platform.accessibility, *platform.workspace, services_),
      decision_(state_, {*platform.accessibility, *platform.workspace, *platform.defaults, *platform.clock}, services_,
                finderGroups_, defaultBehavior_),
      monitor_(state_,
               {*platform.input, *platform.workspace, *platform.accessibility, *platform.scheduler, *platform.clock},
               tiles_, taps_, std::move(options.ownBundleIdentifier)) {
    decision_.setExecutor(options.executor);
    taps_.setTapHandler([this](const RunningApplication& app, const DockTapContext& context, int clickCount) {
        decision_.handleDockTap(app, context, clickCount);
    });
    defaultBehavior_.setCycleStep(
        [this](const std::vector<AXElement>& windows, const std::vector<AXElement>& minimized,
               std::optional<AXElement> focused, const RunningApplication& app,
               const QString& appKey) { cycler_.cycleWindows(windows, minimized, focused, app, appKey); });
    cycler_.setAfterCycle([this](const RunningApplication& app, const QString& appKey, const AXElement& window) {
        settle_.scheduleCyclingSettle(app, appKey, window);
    });
    cycler_.setCancelSettle([this](const QString& appKey) { settle_.cancel(appKey); });
    defaultBehavior_.setTrashCleanup([this](const RunningApplication& app, const DockTapContext& context) {
        trashCleanup_.scheduleFinderTrashCleanup(app, context);
    });
    taps_.setLongPressHandler(
        [this](const RunningApplication& app, const QString& appKey, const DockTapContext& context) {
            longPress_.handleLongDockClick(app, appKey, context);
        });
}

namespace {
// The shared window manager, reached when a tap first needs it: creating the engine creates no
// other shared instance.
class SharedWindowManager final : public RuleActionExecutor {
  public:
    void executeRuleActions(const std::vector<NimbrelRuleAction>& actions) override {
        WindowManager::shared().executeRuleActions(actions);
    }
    bool handleBrowserRuleGroupDockTap(const RunningApplication& app) override {
        return WindowManager::shared().handleBrowserRuleGroupDockTap(app);
    }
};
} // namespace

NimbrelEngine& NimbrelEngine::shared() {
    return shared(Platform::current());
}

NimbrelEngine& NimbrelEngine::shared(Platform& platform) {
    static SharedWindowManager windowManager;
    return sharedInstance<NimbrelEngine>([&platform] {
        Options options{EngineServices::standard(platform), &windowManager, kNimbrelBundleIdentifier};
        return std::make_shared<NimbrelEngine>(platform, std::move(options));
    });
}

std::vector<AXElement> NimbrelEngine::axWindows(const AXElement& element) {
    return AxReaders::axWindows(*Platform::current().accessibility, element);
}

std::optional<QString> NimbrelEngine::stringAttribute(const QString& name, const AXElement& element) {
    return AxReaders::stringAttribute(*Platform::current().accessibility, name, element);
}

bool NimbrelEngine::boolAttribute(const QString& name, const AXElement& element) {
    return AxReaders::boolAttribute(*Platform::current().accessibility, name, element);
}

std::optional<Point> NimbrelEngine::position(const AXElement& element) {
    return AxReaders::position(*Platform::current().accessibility, element);
}

std::optional<QString> NimbrelEngine::documentPath(const AXElement& window) {
    return AxReaders::documentPath(*Platform::current().accessibility, window);
}

QString NimbrelEngine::normalizedPath(const QString& path) {
    return AxReaders::normalizedPath(path, Platform::current().files->homeDirectory());
}

std::optional<QString> NimbrelEngine::appKey(const RunningApplication& app) {
    return appKeyFor(app);
}

bool NimbrelEngine::isTrashDockTitle(const QString& title) {
    return nimbrel::isTrashDockTitle(title);
}

} // namespace nimbrel
