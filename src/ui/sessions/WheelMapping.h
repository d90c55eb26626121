#pragma once

namespace nimbrel {

// A wheel or swipe turned into a sideways scroll: a vertical wheel scrolls the strip (down
// moves the content left), a mostly horizontal swipe scrolls by its own amount.
struct WheelScroll {
    bool handled = false; // false: the strip did not move (no movement in the event, nothing to
                          // scroll, or already at the end it is pushed towards); hand it on
    double offset = 0;    // the new offset, within 0 ... document width - visible width
};

WheelScroll wheelMappedScroll(double deltaX, double deltaY, double offset, double documentWidth, double visibleWidth);

} // namespace nimbrel
