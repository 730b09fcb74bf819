// SPDX-License-Identifier: MIT
// The drawing surface: the current drawing state (colours, pen, font, clip, origin) and the
// drawing operations, each turned into calls of the platform 2-D library on four objects the
// context owns: a graphics object (absent on a context with neither device context nor
// bitmap), a pen, a fill brush and a text brush.
//
// Coordinates handed to the operations are in the caller's space; the offset is added inside.
// Integer platform calls truncate towards zero; float ones convert from the 64-bit values.
// A context made for a paint lives for that paint; an offscreen one until its owner drops it.
#pragma once

#include "toolkit/CBaseObject.h"
#include "toolkit/CCoordRect.h"
#include "toolkit/CRgbaColor.h"
#include "toolkit/PlatformObject.h"

#include <cstdint>
#include <memory>

namespace VSTGUI {

class CFontDesc;
class CFrame;

enum CLineStyle : std::int32_t { kLineSolid = 0, kLineDotted = 1 };
enum CDrawMode : std::int32_t { kDrawModePlain = 0, kDrawModeAntialias = 3 };
enum CDrawStyle : std::int32_t { kDrawStroked = 0, kDrawFilled = 1, kDrawFilledAndStroked = 2 };
enum CHoriTxtAlign : std::int32_t { kAlignLeft = 0, kAlignCenter = 1, kAlignRight = 2 };

class CDrawContext : public CBaseObject {
public:
    // On a window (or its given device context); any of the three may be none.
    CDrawContext(CFrame* frame, platform::DeviceContextHandle deviceContext,
                 platform::WindowHandle window);
    ~CDrawContext() override;

    // -- state --
    void setFrameColor(const CRgbaColor& color);
    CRgbaColor getFrameColor() const { return m_frameColor; }
    void setFillColor(const CRgbaColor& color);
    CRgbaColor getFillColor() const { return m_fillColor; }
    void setFontColor(const CRgbaColor& color);
    CRgbaColor getFontColor() const { return m_fontColor; }
    void setLineWidth(double width);
    // The same, without a platform call when the width is the current one.
    void setLineWidthIfChanged(double width);
    double getLineWidth() const { return m_lineWidth; }
    void setLineStyle(std::int32_t style);
    std::int32_t getLineStyle() const { return m_lineStyle; }
    void setDrawMode(std::int32_t mode);
    std::int32_t getDrawMode() const { return m_drawMode; }
    // Size <= 0 keeps the font's size, style -1 its style.
    void setFont(CFontDesc* font, std::int32_t size = 0, std::int32_t style = -1);
    CFontDesc* getFont() const { return m_font; }
    void setClipRect(const CCoordRect& clip);
    CCoordRect& getClipRect(CCoordRect& clip) const;
    void resetClipRect();

    // -- drawing --
    void moveTo(const CCoordPoint& point);
    void lineTo(const CCoordPoint& point);
    // Each pair of points is one segment.
    void drawLines(const CCoordPoint* points, std::int32_t count);
    void drawPolygon(const CCoordPoint* points, std::int32_t count,
                     std::int32_t style = kDrawStroked, bool closed = true);
    void fillPolygon(const CCoordPoint* points, std::int32_t count);
    void drawRect(const CCoordRect& rect, std::int32_t style = kDrawStroked);
    void fillRect(const CCoordRect& rect);
    void drawEllipse(const CCoordRect& rect, std::int32_t style = kDrawStroked);
    void fillEllipse(const CCoordRect& rect);
    // Angles in degrees, clockwise from the positive x axis.
    void drawArc(const CCoordRect& rect, float startAngle, float endAngle,
                 std::int32_t style = kDrawStroked);
    void drawPoint(const CCoordPoint& point, const CRgbaColor& color);
    // Always opaque black: the surface is not read.
    CRgbaColor getPoint(const CCoordPoint& point);

    // -- text (UTF-8) --
    // -1 without text, font, platform font or graphics object; 0 when measuring failed.
    double getStringWidth(const char* text);
    // `point` is the base line's start: the text's top lies one font height above point.y + 1.
    void drawString(const char* text, const CCoordPoint& point, bool antialias = true);
    // Centred vertically on the font's nominal size, aligned horizontally, clipped to `rect`.
    void drawString(const char* text, const CCoordRect& rect, CHoriTxtAlign align, bool antialias);
    void drawString(const char* text, const CCoordRect& rect, std::int16_t unused,
                    CHoriTxtAlign align);

    // -- pointer --
    void getMouseLocation(CCoordPoint& point);
    std::int32_t getMouseButtons();
    bool waitDoubleClick();
    bool waitDrag();

    // -- origin --
    const CCoordPoint& getOffset() const { return m_offset; }
    void setOffset(const CCoordPoint& offset) { m_offset = offset; }
    const CCoordPoint& getScreenOffset() const { return m_screenOffset; }
    void setScreenOffset(const CCoordPoint& offset) { m_screenOffset = offset; }

    CFrame* getFrame() const { return m_frame; }
    platform::WindowHandle getWindow() const { return m_window; }
    platform::DeviceContextHandle getDeviceContext() const { return m_deviceContext; }
    // The platform objects (graphics none when absent).
    PlatformGraphics* getGraphics() const { return m_graphics.get(); }
    PlatformPen* getPen() const { return m_pen.get(); }
    PlatformBrush* getFillBrush() const { return m_fillBrush.get(); }
    PlatformBrush* getTextBrush() const { return m_textBrush.get(); }

protected:
    // Makes the graphics object on an image (offscreen contexts).
    void createGraphicsOnImage(platform::ImageHandle image);
    void deleteGraphics();
    // Releases the font and deletes the brushes, the pen and the graphics object, while the
    // 2-D library is surely still up; the context draws nothing afterwards.
    void deletePlatformObjects();

    CCoordPoint m_screenOffset;
    CCoordPoint m_offset;
    platform::DeviceContextHandle m_deviceContext = nullptr;
    platform::WindowHandle m_window = nullptr;
    CFrame* m_frame = nullptr;
    CFontDesc* m_font = nullptr;
    CRgbaColor m_fontColor;
    CCoordPoint m_penLocation;
    double m_lineWidth = 0.0;
    CRgbaColor m_frameColor;
    CRgbaColor m_fillColor;
    std::int32_t m_lineStyle = kLineDotted;
    std::int32_t m_drawMode = kDrawModeAntialias;
    CCoordRect m_clipRect;
    std::unique_ptr<PlatformGraphics> m_graphics;
    std::unique_ptr<PlatformPen> m_pen;
    std::unique_ptr<PlatformBrush> m_fillBrush;
    std::unique_ptr<PlatformBrush> m_textBrush;
    bool m_ownsDeviceContext = false;

private:
    void applyLineWidth(double width);
    void drawPath(const CCoordPoint* points, std::int32_t count, std::int32_t style, bool closed);
};

} // namespace VSTGUI
