// SPDX-License-Identifier: MIT
// Drawing state of the runtime: images by number, the drawing position and the redraw rate.
#pragma once

#include "CTarvoFonts.h"

// Holder of one image the effect loaded; made and given back by the image interface of the
// drawing bridge, which is not part of this build, so the table stays empty here.
struct TarvoImage;

class CTarvoGraphics : public CTarvoFonts {
public:
    std::size_t ImageCount() const noexcept { return m_images.size(); }

    double DrawX() const noexcept { return m_drawX; }
    double DrawY() const noexcept { return m_drawY; }
    void SetDrawPosition(double x, double y) noexcept {
        m_drawX = x;
        m_drawY = y;
    }

    // Timed redraws per second; 0 means none.
    double RedrawRate() const noexcept { return m_redrawRate; }
    void SetRedrawRate(double rate) noexcept { m_redrawRate = rate; }

protected:
    CTarvoGraphics() = default;
    ~CTarvoGraphics() = default;

private:
    std::map<std::int32_t, TarvoImage*> m_images;
    double m_drawX = 0.0;
    double m_drawY = 0.0;
    double m_redrawRate = 0.0;
};
