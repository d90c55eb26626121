#pragma once

#include <QString>

#include <algorithm>

namespace nimbrel {

// Screen geometry in points. Which way y grows depends on who speaks: AppKit
// coordinates grow upwards from the primary screen's bottom-left corner, Accessibility
// coordinates grow downwards from its top-left corner (see Screens.h).
struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    Point origin;
    Size size;

    Rect() = default;
    Rect(double x, double y, double w, double h) : origin{x, y}, size{w, h} {}
    Rect(Point o, Size s) : origin(o), size(s) {}

    double minX() const { return origin.x; }
    double minY() const { return origin.y; }
    double maxX() const { return origin.x + size.width; }
    double maxY() const { return origin.y + size.height; }
    double midX() const { return origin.x + size.width / 2; }
    double midY() const { return origin.y + size.height / 2; }
    double width() const { return size.width; }
    double height() const { return size.height; }
    bool isEmpty() const { return size.width <= 0 || size.height <= 0; }

    // Half-open on the far edges, like the platform's rectangle test.
    bool contains(Point p) const { return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY(); }
    bool intersects(const Rect& r) const {
        return !isEmpty() && !r.isEmpty() && minX() < r.maxX() && r.minX() < maxX() && minY() < r.maxY() &&
               r.minY() < maxY();
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// "{x, y}", "{w, h}" and "{{x, y}, {w, h}}", numbers in their shortest form.
QString toText(Point p);
QString toText(Size s);
QString toText(const Rect& r);

} // namespace nimbrel
