// SPDX-License-Identifier: MIT
// An 8-bit-per-channel colour; alpha 255 is opaque.
#pragma once

#include <cstdint>

namespace VSTGUI {

struct CRgbaColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 0;

    constexpr bool operator==(const CRgbaColor& other) const {
        return red == other.red && green == other.green && blue == other.blue &&
               alpha == other.alpha;
    }
    // The 2-D library's form: alpha in the top byte, then red, green, blue.
    constexpr std::uint32_t toArgb() const {
        return (std::uint32_t{alpha} << 24) | (std::uint32_t{red} << 16) |
               (std::uint32_t{green} << 8) | std::uint32_t{blue};
    }
};

inline constexpr CRgbaColor kWhiteCColor{255, 255, 255, 255};
inline constexpr CRgbaColor kBlackCColor{0, 0, 0, 255};

} // namespace VSTGUI
