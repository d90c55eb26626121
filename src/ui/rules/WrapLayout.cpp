#include "ui/rules/WrapLayout.h"

#include <algorithm>

namespace nimbrel::wrapLayout {

namespace {

std::vector<double> widthsOf(const std::vector<QSizeF>& sizes) {
    std::vector<double> widths;
    widths.reserve(sizes.size());
    for (const QSizeF& s : sizes)
        widths.push_back(s.width());
    return widths;
}

double rowHeight(const std::vector<size_t>& row, const std::vector<QSizeF>& sizes) {
    double height = 0;
    for (size_t index : row)
        height = std::max(height, sizes[index].height());
    return height;
}

} // namespace

Rows rows(const std::vector<double>& widths, double maxWidth, double spacing) {
    Rows out(1);
    double x = 0;
    for (size_t i = 0; i < widths.size(); ++i) {
        if (x + widths[i] > maxWidth && !out.back().empty()) {
            out.emplace_back();
            x = 0;
        }
        out.back().push_back(i);
        x += widths[i] + spacing;
    }
    return out;
}

QSizeF sizeThatFits(const std::vector<QSizeF>& sizes, std::optional<double> proposedWidth, double spacing) {
    const double width = proposedWidth.value_or(0);
    double height = 0;
    for (const std::vector<size_t>& row : rows(widthsOf(sizes), width, spacing))
        height += rowHeight(row, sizes) + spacing;
    return {width, std::max(0.0, height - spacing)};
}

std::vector<QPointF> placements(const std::vector<QSizeF>& sizes, const QRectF& bounds, double spacing) {
    std::vector<QPointF> out(sizes.size());
    double y = bounds.top();
    for (const std::vector<size_t>& row : rows(widthsOf(sizes), bounds.width(), spacing)) {
        double x = bounds.left();
        for (size_t index : row) {
            out[index] = QPointF(x, y);
            x += sizes[index].width() + spacing;
        }
        y += rowHeight(row, sizes) + spacing;
    }
    return out;
}

} // namespace nimbrel::wrapLayout
