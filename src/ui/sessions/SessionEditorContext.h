#pragma once

#include "ui/common/InstalledAppsCatalogue.h"
#include "ui/common/Spring.h"
#include "ui/sessions/SessionEditorState.h"
#include "ui/sessions/SessionSymbols.h"

#include <QObject>
#include <QVariantMap>

#include <functional>
#include <memory>

namespace nimbrel {

struct Platform;

// What the session editor's sections share: the edited state, this Mac's apps, screens and
// file chooser, and one signal after every change of the state.
class SessionEditorContext : public QObject {
    Q_OBJECT
  public:
    // The spring with which the editor and its libraries open and close.
    static constexpr SpringParameters kEditorSpring{0.46, 0.88};

    struct Services {
        Platform& platform;
        // The installed-app catalogue; obtained as the editor opens.
        std::function<std::shared_ptr<NimbrelInstalledApps>()> catalogue;
        SessionSymbolLookup symbols;
    };

    SessionEditorContext(SessionEditorState state, Services services, QObject* parent = nullptr);
    ~SessionEditorContext() override;

    const SessionEditorState& state() const { return state_; }
    // Runs `edit` on the state and tells every section; the change moves with `spring`, or
    // lands at once without one.
    void change(const std::function<void(SessionEditorState&)>& edit,
                std::optional<SpringParameters> spring = std::nullopt);
    Motion* motion() { return &motion_; }
    Platform& platform() { return services_.platform; }
    const SessionSymbolLookup& symbols() const { return services_.symbols; }

    // The catalogue's apps as session apps, converted afresh (each with a new id).
    std::vector<NimbrelSessionApp> catalogueApps() const;
    std::vector<NimbrelSessionApp> defaultDockApps() const;
    // {"generic", "filePath", "iconPath", "title"}: the app's file when it exists, else the
    // app its bundle identifier names, else the generic application icon.
    QVariantMap appIcon(const NimbrelSessionApp& app) const;
    // The system beep that answers a refused request.
    void beep();

  signals:
    void stateChanged();

  private:
    SessionEditorState state_;
    Services services_;
    std::shared_ptr<NimbrelInstalledApps> catalogue_;
    ObserverToken catalogueObserver_;
    Motion motion_;
};

} // namespace nimbrel
