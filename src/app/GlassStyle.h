#pragma once

#include "platform/NotificationCenter.h"

#include <QObject>

#include <functional>

namespace nimbrel {

// Whether a surface draws the platform's glass: the setting on and the system new enough.
// Anything else draws the blurred fallback.
inline bool drawsPlatformGlass(bool liquidGlassEnabled, int systemMajorVersion) {
    return liquidGlassEnabled && systemMajorVersion >= 26;
}

// The glass decision for QML: re-read whenever the design mode changes, so every visible
// surface switches at once.
class GlassStyle : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool liquidGlassEnabled READ liquidGlassEnabled NOTIFY changed)
    Q_PROPERTY(bool drawsGlass READ drawsGlass NOTIFY changed)
    Q_PROPERTY(double surfaceOutlineOpacity READ surfaceOutlineOpacity NOTIFY changed)
  public:
    // `settingCheck` is the liquid-glass setting check; it is read again at each design-mode notice.
    GlassStyle(NotificationCenter& notifications, std::function<bool()> settingCheck,
               std::function<int()> systemMajorVersion, QObject* parent = nullptr);

    bool liquidGlassEnabled() const { return enabled_; }
    bool drawsGlass() const { return drawsPlatformGlass(enabled_, systemMajorVersion_()); }
    // The surface's outline: brighter with the setting on.
    double surfaceOutlineOpacity() const { return enabled_ ? 0.16 : 0.10; }

  signals:
    void changed();

  private:
    void refresh();

    std::function<bool()> settingCheck_;
    std::function<int()> systemMajorVersion_;
    bool enabled_ = false;
    ObserverToken designModeObserver_;
};

} // namespace nimbrel
