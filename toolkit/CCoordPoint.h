// SPDX-License-Identifier: MIT
// A point of the toolkit's coordinate space: pixels, y growing downwards.
#pragma once

namespace VSTGUI {

struct CCoordPoint {
    double x = 0.0;
    double y = 0.0;

    constexpr CCoordPoint() = default;
    constexpr CCoordPoint(double px, double py) : x(px), y(py) {}

    constexpr CCoordPoint& offset(double dx, double dy) {
        x += dx;
        y += dy;
        return *this;
    }
    constexpr CCoordPoint operator+(const CCoordPoint& other) const {
        return {x + other.x, y + other.y};
    }
    constexpr CCoordPoint operator-(const CCoordPoint& other) const {
        return {x - other.x, y - other.y};
    }
    constexpr bool operator==(const CCoordPoint& other) const {
        return x == other.x && y == other.y;
    }
};

} // namespace VSTGUI
