#include "ui/sessions/WheelMapping.h"

#include <algorithm>
#include <cmath>

namespace nimbrel {

WheelScroll wheelMappedScroll(double deltaX, double deltaY, double offset, double documentWidth, double visibleWidth) {
    const double delta = std::abs(deltaX) < std::abs(deltaY) ? -deltaY : deltaX;
    if (delta == 0) return {false, offset};
    const double largest = std::max(documentWidth - visibleWidth, 0.0);
    double next = offset + delta;
    if (next <= 0) next = 0;
    if (next > largest) next = largest;
    return {next != offset, next};
}

} // namespace nimbrel
