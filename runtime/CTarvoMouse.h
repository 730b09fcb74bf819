// SPDX-License-Identifier: MIT
// The mouse state that the editor's view reports to the effect.
#pragma once

#include "CTarvoGraphics.h"

class CTarvoMouse : public CTarvoGraphics {
public:
    // Effect button bits: 1 left, 2 right, 4 control, 8 shift, 16 alt, 64 middle.
    double MouseButtons() const noexcept { return m_mouseButtons; }
    double MouseX() const noexcept { return m_mouseX; }
    double MouseY() const noexcept { return m_mouseY; }
    void SetMouse(double buttons, double x, double y) noexcept {
        m_mouseButtons = buttons;
        m_mouseX = x;
        m_mouseY = y;
    }

protected:
    CTarvoMouse() = default;
    ~CTarvoMouse() = default;

private:
    double m_mouseButtons = 0.0;
    double m_mouseX = 0.0;
    double m_mouseY = 0.0;
};
