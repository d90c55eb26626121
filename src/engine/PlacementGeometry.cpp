#include "engine/PlacementGeometry.h"

#include <algorithm>

namespace nimbrel::placement {

std::optional<Rect> frame(NimbrelWindowPlacement placement, const Rect& v) {
    const double w = v.width();
    const double h = v.height();
    switch (placement) {
    case NimbrelWindowPlacement::front:
    case NimbrelWindowPlacement::fullScreen:
        return std::nullopt;
    case NimbrelWindowPlacement::fullSize:
        return Rect(v.minX(), v.minY(), w, h);
    case NimbrelWindowPlacement::leftHalf:
        return Rect(v.minX(), v.minY(), w * 0.5, h);
    case NimbrelWindowPlacement::rightHalf:
        return Rect(v.midX(), v.minY(), w * 0.5, h);
    case NimbrelWindowPlacement::topLeft:
        return Rect(v.minX(), v.midY(), w * 0.5, h * 0.5);
    case NimbrelWindowPlacement::topRight:
        return Rect(v.midX(), v.midY(), w * 0.5, h * 0.5);
    case NimbrelWindowPlacement::bottomLeft:
        return Rect(v.minX(), v.minY(), w * 0.5, h * 0.5);
    case NimbrelWindowPlacement::bottomRight:
        return Rect(v.midX(), v.minY(), w * 0.5, h * 0.5);
    }
    return std::nullopt;
}

std::vector<ScreenInfo> externalScreens(const std::vector<ScreenInfo>& screens, const std::optional<ScreenInfo>& main) {
    std::vector<ScreenInfo> out;
    for (const ScreenInfo& s : screens)
        if (!main || s.id != main->id) out.push_back(s);
    return out;
}

std::optional<ScreenInfo> screenFor(const NimbrelDisplayTarget& target, const std::vector<ScreenInfo>& screens,
                                    const std::optional<ScreenInfo>& main) {
    if (screens.empty()) return main;
    auto mainOrFirst = [&]() -> std::optional<ScreenInfo> { return main ? main : std::optional(screens.front()); };
    if (target.kind != NimbrelDisplayTarget::Kind::external) return mainOrFirst();
    const std::vector<ScreenInfo> external = externalScreens(screens, main);
    if (external.empty()) return mainOrFirst();
    std::int64_t index = target.externalIndex.value_or(0);
    index = std::clamp<std::int64_t>(index, 0, static_cast<std::int64_t>(external.size()) - 1);
    return external[static_cast<size_t>(index)];
}

std::vector<NimbrelDisplayTarget> displayTargets(const std::vector<ScreenInfo>& screens,
                                                 const std::optional<ScreenInfo>& main) {
    if (screens.size() < 2) return {};
    const std::vector<ScreenInfo> external = externalScreens(screens, main);
    if (external.empty()) return {};
    std::vector<NimbrelDisplayTarget> out{{NimbrelDisplayTarget::Kind::main, std::nullopt}};
    for (size_t i = 0; i < external.size(); ++i)
        out.push_back({NimbrelDisplayTarget::Kind::external, static_cast<std::int64_t>(i)});
    return out;
}

std::vector<Rect> layoutFrames(NimbrelWindowLayout layout, const Rect& m) {
    const double w = m.width();
    const double h = m.height();
    switch (layout) {
    case NimbrelWindowLayout::fullSize:
        return {m};
    case NimbrelWindowLayout::sideBySide:
        return {Rect(m.minX(), m.minY(), w * 0.5, h), Rect(m.midX(), m.minY(), w * 0.5, h)};
    case NimbrelWindowLayout::dividedInThree:
    case NimbrelWindowLayout::dividedInFour:
        return {Rect(m.minX(), m.midY(), w * 0.5, h * 0.5), Rect(m.midX(), m.midY(), w * 0.5, h * 0.5),
                Rect(m.minX(), m.minY(), w * 0.5, h * 0.5), Rect(m.midX(), m.minY(), w * 0.5, h * 0.5)};
    }
    return {};
}

Point accessibilityOrigin(const Rect& f, const Screens& screens) {
    if (screens.screens().empty() && !screens.mainScreen()) return f.origin;
    return screens.accessibilityRect(f).origin;
}

} // namespace nimbrel::placement
