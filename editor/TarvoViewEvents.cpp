// SPDX-License-Identifier: MIT
#include "TarvoViewEvents.h"

#include "host/CVeST.h"
#include "runtime/TTarvo.h"

namespace tarvo_view {

namespace {

// Toolkit flags (the frame's mouse flags).
constexpr std::int32_t kButtonLeft = 0x2;
constexpr std::int32_t kButtonMiddle = 0x4;
constexpr std::int32_t kButtonRight = 0x8;
constexpr std::int32_t kModShift = 0x10;
constexpr std::int32_t kModControl = 0x20;
constexpr std::int32_t kModAlt = 0x40;

// A higher rate set by the effect is never lowered; a NaN rate stays as it is.
void raiseRedrawRate(TTarvo& effect) noexcept {
    if (effect.RedrawRate() < kMouseRedrawRate) effect.SetRedrawRate(kMouseRedrawRate);
}

} // namespace

std::int32_t effectButtons(std::int32_t f) noexcept {
    std::int32_t b = (f & kButtonLeft) >> 1; // left to 1
    b |= (f & kButtonRight) >> 2;            // right to 2
    b |= (f & kModControl) >> 3;             // control to 4
    b |= (f & kModShift) >> 1;               // shift to 8
    b |= (f & kModAlt) >> 2;                 // alt to 16
    b |= (f & kButtonMiddle) << 4;           // middle to 64
    return b;
}

void draw(CVeST* shell, double /*width*/, double /*height*/) {
    shell->effect()->OnDraw();
}

void mouseDown(CVeST* shell, double x, double y, int flags) {
    TTarvo& effect = *shell->effect();
    effect.SetMouse(static_cast<double>(effectButtons(flags)), x, y);
    raiseRedrawRate(effect);
}

void mouseUp(CVeST* shell, double x, double y, int /*flags*/) {
    TTarvo& effect = *shell->effect();
    effect.SetMouse(0.0, x, y);
    raiseRedrawRate(effect);
}

void mouseMoved(CVeST* shell, double x, double y, int /*flags*/) {
    TTarvo& effect = *shell->effect();
    effect.SetMouse(effect.MouseButtons(), x, y);
    raiseRedrawRate(effect);
}

} // namespace tarvo_view
