#include "app/PanelGeometry.h"

#include <algorithm>
#include <cmath>

namespace nimbrel {

namespace {
constexpr double kGapUnderButton = 8;
constexpr double kScreenMargin = 8;
} // namespace

QString panelModeName(PanelMode mode) {
    return mode == PanelMode::Menu ? QStringLiteral("menu") : QStringLiteral("onboarding");
}

PanelSize panelSize(PanelMode mode) {
    return mode == PanelMode::Menu ? PanelSize{360, 500} : PanelSize{420, 500};
}

ScreenRect panelFrame(PanelMode mode, const ScreenRect& buttonFrame, const std::optional<ScreenRect>& visibleFrame,
                      const std::optional<double>& previousTopEdge) {
    const PanelSize size = panelSize(mode);
    double x = buttonFrame.midX() - size.width / 2;
    double y = buttonFrame.y - size.height - kGapUnderButton;
    if (visibleFrame) {
        const ScreenRect& v = *visibleFrame;
        x = std::max(v.x + kScreenMargin, std::min(v.maxX() - size.width - kScreenMargin, x));
        y = std::max(v.y + kScreenMargin, std::min(v.maxY() - size.height - kScreenMargin, y));
    }
    if (previousTopEdge) y = *previousTopEdge - size.height;
    return {x, y, size.width, size.height};
}

std::optional<ScreenRect> panelFrameForHeight(const ScreenRect& current, double height) {
    // A height that is not a positive finite number would leave a panel nobody can see.
    if (!std::isfinite(height) || height <= 0) return std::nullopt;
    if (!(std::abs(current.height - height) > 0.5)) return std::nullopt;
    return ScreenRect{current.x, current.maxY() - height, current.width, height};
}

} // namespace nimbrel
