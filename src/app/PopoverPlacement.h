#pragma once

#include <QRectF>
#include <QSizeF>

namespace nimbrel {

// Where a popover goes beside the control it belongs to, in top-left coordinates (y down).
// It opens above the control if it fits whole inside `area`, else below it, else on the side
// with more room with its height cut to that room (its rows then scroll). It never covers the
// control, and its arrow points at the control's middle.
struct PopoverPlacement {
    QRectF frame;
    bool arrowOnTop = false; // below the control, the arrow on its top edge
    double arrowX = 0;       // the arrow's middle, from the popover's left edge
    bool scrolls = false;    // cut shorter than its content
};

// `arrowSize` is the arrow's height; `margin` is kept from every edge of `area`; `arrowInset`
// is how close to a side the arrow may come (past the rounded corner).
PopoverPlacement placePopover(const QRectF& control, const QSizeF& size, const QRectF& area, double arrowSize,
                              double margin, double arrowInset);

} // namespace nimbrel
