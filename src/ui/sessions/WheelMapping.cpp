#include "ui/sessions/WheelMapping.h"

#include <algorithm>
#include <cmath>

namespace nimbrel {

WheelScroll wheelMappedScroll(double deltaX, double deltaY, double offset, double documentWidth, double visibleWidth) {
    // Both deltas are positive towards the start (a wheel turned up or to the left), as every
    // other list of the system reads them.
    const double delta = std::abs(deltaX) < std::abs(deltaY) ? -deltaY : -deltaX;
    if (delta == 0) return {false, offset};
    const double largest = std::max(documentWidth - visibleWidth, 0.0);
    double next = offset + delta;
    if (next <= 0) next = 0;
    if (next > largest) next = largest;
    return {true, next};
}

} // namespace nimbrel
