// SPDX-License-Identifier: MIT
// A rectangle by its edges. It may be reversed (right < left or bottom < top); operations that
// need an ordered one say so.
#pragma once

#include "toolkit/CCoordPoint.h"

namespace VSTGUI {

struct CCoordRect {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;

    constexpr CCoordRect() = default;
    constexpr CCoordRect(double l, double t, double r, double b)
        : left(l), top(t), right(r), bottom(b) {}

    constexpr double getWidth() const { return right - left; }
    constexpr double getHeight() const { return bottom - top; }
    constexpr CCoordPoint getTopLeft() const { return {left, top}; }

    constexpr CCoordRect& offset(double dx, double dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    // Intersection: the larger left and top, the smaller right and bottom; an empty result
    // collapses to zero width and height at its left/top, so sizes are never negative.
    constexpr CCoordRect& bound(const CCoordRect& other) {
        if (other.left > left) left = other.left;
        if (other.top > top) top = other.top;
        if (other.right < right) right = other.right;
        if (other.bottom < bottom) bottom = other.bottom;
        if (right <= left || bottom <= top) {
            right = left;
            bottom = top;
        }
        return *this;
    }
    // Edges included.
    constexpr bool pointInside(const CCoordPoint& p) const {
        return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom;
    }
    // Overlap where touching edges count.
    constexpr bool rectOverlap(const CCoordRect& other) const {
        return right >= other.left && left <= other.right && bottom >= other.top &&
               top <= other.bottom;
    }
    constexpr bool operator==(const CCoordRect& other) const {
        return left == other.left && top == other.top && right == other.right &&
               bottom == other.bottom;
    }
};

} // namespace VSTGUI
