// SPDX-License-Identifier: MIT
// The editor's single view, covering the whole frame: the one place where the toolkit meets
// the effect. Its draw, mouse and key events go to the shell's bridge-table entries; while the
// `draw` entry runs, the shell's current draw context is the one the view paints with.
#pragma once

#include "toolkit/CView.h"

class CVeST;

class CVeSTView : public VSTGUI::CView {
public:
    CVeSTView(const VSTGUI::CCoordRect& area, CVeST* shell);
    ~CVeSTView() override;

    // Runs entry `draw` with the area's width and height; nothing without the entry.
    void draw(VSTGUI::CDrawContext* context) override;
    // Each to its entry with the point and the flags unchanged; always handled.
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CCoordPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CCoordPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CCoordPoint& where,
                                           const VSTGUI::CButtonState& buttons) override;
    // To entries `keyDown` and `keyUp`; always 1.
    std::int32_t onKeyDown(VSTGUI::VstKeyCode& key) override;
    std::int32_t onKeyUp(VSTGUI::VstKeyCode& key) override;

    const VSTGUI::CCoordRect& area() const noexcept { return m_area; }

private:
    CVeST* m_shell; // not owned
    VSTGUI::CCoordRect m_area;
};
