// SPDX-License-Identifier: MIT
// A draw context on its own bitmap of a given size (a back buffer, or a container's
// offscreen surface). The bitmap can then be drawn into another context.
#pragma once

#include "toolkit/CDrawContext.h"

namespace VSTGUI {

class CBitmap;

class COffscreenContext : public CDrawContext {
public:
    COffscreenContext(CFrame* frame, std::int32_t width, std::int32_t height,
                      const CRgbaColor& background = kBlackCColor);
    ~COffscreenContext() override;

    CBitmap* getBitmap() const { return m_bitmap; }
    double getWidth() const { return m_width; }
    double getHeight() const { return m_height; }
    CRgbaColor getBackgroundColor() const { return m_backgroundColor; }

private:
    CBitmap* m_bitmap = nullptr;
    double m_width = 0.0;
    double m_height = 0.0;
    CRgbaColor m_backgroundColor;
};

} // namespace VSTGUI
