#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>
#include <vector>

namespace nimbrel {

// The flow layout of a card's pills: children keep their natural size, run left to right and
// start a new row when the next one would pass the width; rows are top-aligned and
// left-aligned. `spacing` separates neighbours in a row and the rows themselves.
namespace wrapLayout {

using Rows = std::vector<std::vector<size_t>>;

// Row breaking over the children's widths: a child goes on a new row when x + width exceeds
// `maxWidth` and the current row already holds a child; one wider than the row stands alone.
Rows rows(const std::vector<double>& widths, double maxWidth, double spacing);
// The size for a proposed width (none: width 0, so one child per row). The width is the
// proposal itself; the height sums the rows' tallest children and the spacings between.
QSizeF sizeThatFits(const std::vector<QSizeF>& sizes, std::optional<double> proposedWidth, double spacing);
// The top-left corner of every child inside `bounds`, in child order.
std::vector<QPointF> placements(const std::vector<QSizeF>& sizes, const QRectF& bounds, double spacing);

} // namespace wrapLayout
} // namespace nimbrel
