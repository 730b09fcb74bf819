// SPDX-License-Identifier: MIT
// Drawing state of the runtime: images by number, the drawing position, the redraw rate, and
// the calls into the shell's canvas interface.
#pragma once

#include "CTarvoFonts.h"
#include "host/CanvasInterface.h"
#include "host/HostQueries.h"

#include <utility>

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

    // Calls one function of the shell's canvas interface with the shell first, e.g.
    // Canvas<&CanvasInterface::canvasRect>(0.0, 0.0, 10.0, 10.0, 1). Without a shell or without
    // an interface (a library with no editor) it answers 0, as the functions do outside a
    // drawing pass. [ui]
    template <auto Entry, class... Args>
    auto Canvas(Args... args) const {
        using Answer = decltype((std::declval<const CanvasInterface&>().*
                                 Entry)(static_cast<CVeST*>(nullptr), args...));
        const CanvasInterface* canvas = hostCanvas(Shell());
        if (canvas == nullptr || canvas->*Entry == nullptr) return Answer{};
        return (canvas->*Entry)(Shell(), args...);
    }

protected:
    CTarvoGraphics() = default;
    // Gives back every image holder still in the table.
    ~CTarvoGraphics();

private:
    std::map<std::int32_t, TarvoImage*> m_images;
    double m_drawX = 0.0;
    double m_drawY = 0.0;
    double m_redrawRate = 0.0;
};
