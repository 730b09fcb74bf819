// SPDX-License-Identifier: MIT
// A key as the editor hands it to the frame: character, virtual key code and modifier bits.
#pragma once

#include <cstdint>

namespace VSTGUI {

struct VstKeyCode {
    std::int32_t character = 0;
    std::uint8_t virt = 0;     // virtual key code; 2 is tab
    std::uint8_t modifier = 0; // bit 0 shift, bit 1 alternate, bit 2 command, bit 3 control
};

inline constexpr std::uint8_t kVirtualKeyTab = 2;
inline constexpr std::uint8_t kModifierShift = 0x1;

} // namespace VSTGUI
