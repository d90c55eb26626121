#pragma once

#include "model/RuleEnums.h"
#include "model/RuleTargets.h"
#include "platform/Geometry.h"
#include "platform/Screens.h"

#include <optional>
#include <vector>

namespace nimbrel {

// The arithmetic of window placement, free of any window: which screen a display target
// means, the frame a placement gives on a visible frame, the frames of the four layouts,
// and the turn from AppKit frames to Accessibility origins. Frames are AppKit frames
// (origin at the primary screen's bottom-left, y upwards).
namespace placement {

// The frame of `placement` on the visible frame `visible`; none for `front` and `fullScreen`.
std::optional<Rect> frame(NimbrelWindowPlacement placement, const Rect& visible);

// The screens other than the main screen, in order (all of them without a main screen).
std::vector<ScreenInfo> externalScreens(const std::vector<ScreenInfo>& screens, const std::optional<ScreenInfo>& main);

// The screen a display target means: automatic and main are the main screen (else the
// first screen); external ones index the external screens, clamped into range, and fall
// back to the main screen when there is no external screen.
std::optional<ScreenInfo> screenFor(const NimbrelDisplayTarget& target, const std::vector<ScreenInfo>& screens,
                                    const std::optional<ScreenInfo>& main);

// What the rule editor offers: "main" and one entry per external screen; empty with fewer
// than two screens.
std::vector<NimbrelDisplayTarget> displayTargets(const std::vector<ScreenInfo>& screens,
                                                 const std::optional<ScreenInfo>& main);

// The frames of a layout's slots on the main screen's visible frame, in slot order; slots
// past the end of the list are opened but not placed.
std::vector<Rect> layoutFrames(NimbrelWindowLayout layout, const Rect& visible);

// The top-left corner of an AppKit frame in Accessibility coordinates. Accessibility y
// counts down from the top of the primary screen whichever screen the frame lies on, so
// this is the same turn the Dock hit test uses; with no screen at all the frame's own
// origin is kept.
Point accessibilityOrigin(const Rect& frame, const Screens& screens);

} // namespace placement
} // namespace nimbrel
