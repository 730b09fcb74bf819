// SPDX-License-Identifier: MIT
#include "toolkit/CDrawContext.h"

#include "toolkit/CFontDesc.h"
#include "toolkit/CFrame.h"
#include "toolkit/TextConversion.h"
#include "toolkit/platform/WindowSystem.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace VSTGUI {

namespace draw2d = platform::drawing2d;
namespace winsys = platform::window_system;

namespace {

float toFloat(double value) {
    return static_cast<float>(value);
}

CCoordRect frameSizeOrDefault(CFrame* frame) {
    if (!frame) return {0, 0, 1000, 1000};
    CCoordRect size;
    frame->getViewSize(size);
    return size;
}

// The pointer position moved into the ±2 box test used by the click and drag waits.
bool insideBox(const platform::PointI& start, const platform::PointI& now) {
    return now.x >= start.x - 2 && now.x < start.x + 2 && now.y >= start.y - 2 &&
           now.y < start.y + 2;
}

} // namespace

CDrawContext::CDrawContext(CFrame* frame, platform::DeviceContextHandle deviceContext,
                           platform::WindowHandle window)
    : m_deviceContext(deviceContext), m_window(window), m_frame(frame) {
    m_clipRect = frameSizeOrDefault(frame);
    if (!m_deviceContext && m_window) {
        m_deviceContext = winsys::getWindowDeviceContext(m_window);
        m_ownsDeviceContext = m_deviceContext != nullptr;
    }
    if (m_deviceContext) {
        m_graphics = std::make_unique<PlatformGraphics>();
        if (m_graphics->record(draw2d::createGraphicsFromDeviceContext(
                m_deviceContext, m_graphics->handle)) != platform::kOk)
            m_graphics->handle = nullptr;
        m_graphics->record(
            draw2d::setInterpolationMode(m_graphics->handle, platform::kInterpolationLowQuality));
        m_graphics->record(draw2d::setPageUnit(m_graphics->handle, platform::kUnitPixel));
        m_graphics->record(
            draw2d::setPixelOffsetMode(m_graphics->handle, platform::kPixelOffsetNone));
    }
    m_pen = std::make_unique<PlatformPen>();
    if (m_pen->record(draw2d::createPen(0xFF000000u, 1.0f, platform::kUnitWorld, m_pen->handle)) !=
        platform::kOk)
        m_pen->handle = nullptr;
    m_fillBrush = std::make_unique<PlatformBrush>();
    if (m_fillBrush->record(draw2d::createSolidFill(0xFF000000u, m_fillBrush->handle)) !=
        platform::kOk)
        m_fillBrush->handle = nullptr;
    m_textBrush = std::make_unique<PlatformBrush>();
    if (m_textBrush->record(draw2d::createSolidFill(0xFF000000u, m_textBrush->handle)) !=
        platform::kOk)
        m_textBrush->handle = nullptr;
    if (m_window) {
        platform::RectI rect;
        winsys::getWindowRect(m_window, rect);
        m_screenOffset = CCoordPoint(rect.left, rect.top);
    }

    // The initial state. Line style and draw mode start on values that make their first
    // setting reach the platform.
    setFrameColor(kWhiteCColor);
    setLineStyle(kLineSolid);
    setLineWidthIfChanged(1);
    setFillColor(kBlackCColor);
    setFontColor(kWhiteCColor);
    setFont(kDefaultFont, 0, -1);
    setDrawMode(kDrawModePlain);
}

CDrawContext::~CDrawContext() {
    deletePlatformObjects();
    if (m_ownsDeviceContext) winsys::releaseWindowDeviceContext(m_window, m_deviceContext);
}

void CDrawContext::deletePlatformObjects() {
    if (m_font) m_font->release();
    m_font = nullptr;
    for (auto* brush : {m_textBrush.get(), m_fillBrush.get()})
        if (brush && brush->handle) draw2d::deleteBrush(brush->handle);
    m_textBrush.reset();
    m_fillBrush.reset();
    if (m_pen && m_pen->handle) draw2d::deletePen(m_pen->handle);
    m_pen.reset();
    deleteGraphics();
}

void CDrawContext::createGraphicsOnImage(platform::ImageHandle image) {
    deleteGraphics();
    m_graphics = std::make_unique<PlatformGraphics>();
    if (m_graphics->record(draw2d::createGraphicsOnImage(image, m_graphics->handle)) !=
        platform::kOk)
        m_graphics->handle = nullptr;
    m_graphics->record(
        draw2d::setInterpolationMode(m_graphics->handle, platform::kInterpolationLowQuality));
    m_graphics->record(draw2d::setPageUnit(m_graphics->handle, platform::kUnitPixel));
}

void CDrawContext::deleteGraphics() {
    if (m_graphics && m_graphics->handle) draw2d::deleteGraphics(m_graphics->handle);
    m_graphics.reset();
}

// ---- state ------------------------------------------------------------------------------

void CDrawContext::setFrameColor(const CRgbaColor& color) {
    if (color == m_frameColor) return;
    m_frameColor = color;
    m_pen->record(draw2d::setPenColor(m_pen->handle, color.toArgb()));
}

void CDrawContext::setFillColor(const CRgbaColor& color) {
    if (color == m_fillColor) return;
    m_fillColor = color;
    m_fillBrush->record(draw2d::setSolidFillColor(m_fillBrush->handle, color.toArgb()));
}

void CDrawContext::setFontColor(const CRgbaColor& color) {
    m_fontColor = color;
    m_textBrush->record(draw2d::setSolidFillColor(m_textBrush->handle, color.toArgb()));
}

void CDrawContext::applyLineWidth(double width) {
    m_lineWidth = width;
    m_pen->record(draw2d::setPenWidth(m_pen->handle, toFloat(width)));
}

void CDrawContext::setLineWidth(double width) {
    applyLineWidth(width);
}

void CDrawContext::setLineWidthIfChanged(double width) {
    if (width == m_lineWidth) return;
    applyLineWidth(width);
}

void CDrawContext::setLineStyle(std::int32_t style) {
    if (style == m_lineStyle) return;
    m_lineStyle = style;
    m_pen->record(draw2d::setPenDashStyle(
        m_pen->handle, style == kLineDotted ? platform::kDashDot : platform::kDashSolid));
}

void CDrawContext::setDrawMode(std::int32_t mode) {
    if (mode == m_drawMode) return;
    m_drawMode = mode;
    if (!m_graphics) return;
    m_graphics->record(draw2d::setSmoothingMode(
        m_graphics->handle,
        mode == kDrawModeAntialias ? platform::kSmoothingAntiAlias : platform::kSmoothingNone));
}

void CDrawContext::setFont(CFontDesc* font, std::int32_t size, std::int32_t style) {
    if (!font) return;
    // The new font is held before the old one goes, so that passing the current font (whose
    // last reference may be ours) stays safe.
    CFontDesc* next = nullptr;
    if ((size <= 0 || size == font->getSize()) && (style == -1 || style == font->getStyle())) {
        font->retain();
        next = font;
    } else {
        next = new CFontDesc(font->getName(), size > 0 ? size : font->getSize(),
                             style != -1 ? style : font->getStyle());
    }
    if (m_font) m_font->release();
    m_font = next;
}

void CDrawContext::setClipRect(const CCoordRect& clip) {
    CCoordRect c = clip;
    c.offset(m_offset.x, m_offset.y);
    if (c == m_clipRect) return;
    m_clipRect = c;
    if (!m_graphics) return;
    m_graphics->record(draw2d::setClipRectI(m_graphics->handle, trunc32(c.left), trunc32(c.top),
                                            trunc32(c.right - c.left), trunc32(c.bottom - c.top),
                                            platform::kCombineReplace));
}

CCoordRect& CDrawContext::getClipRect(CCoordRect& clip) const {
    clip = m_clipRect;
    clip.offset(-m_offset.x, -m_offset.y);
    return clip;
}

void CDrawContext::resetClipRect() {
    m_clipRect = frameSizeOrDefault(m_frame);
}

// ---- drawing ----------------------------------------------------------------------------

void CDrawContext::moveTo(const CCoordPoint& point) {
    m_penLocation = m_offset + point;
}

void CDrawContext::lineTo(const CCoordPoint& point) {
    const CCoordPoint q = m_offset + point;
    if (m_graphics && m_pen) {
        m_graphics->record(draw2d::drawLineI(m_graphics->handle, m_pen->handle,
                                             trunc32(m_penLocation.x), trunc32(m_penLocation.y),
                                             trunc32(q.x), trunc32(q.y)));
    }
    m_penLocation = q;
}

void CDrawContext::drawLines(const CCoordPoint* points, std::int32_t count) {
    if (!points) return;
    for (std::int32_t i = 0; i + 1 < count; i += 2) {
        moveTo(points[i]);
        lineTo(points[i + 1]);
    }
}

void CDrawContext::drawPath(const CCoordPoint* points, std::int32_t count, std::int32_t style,
                            bool closed) {
    if (!m_graphics || !points || count <= 0) return;
    std::vector<platform::PointF> converted(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < converted.size(); ++i) {
        converted[i].x = toFloat(points[i].x + m_offset.x);
        converted[i].y = toFloat(points[i].y + m_offset.y);
    }
    if (style == kDrawFilled || style == kDrawFilledAndStroked)
        m_graphics->record(draw2d::fillPolygon(m_graphics->handle, m_fillBrush->handle,
                                               converted.data(), count,
                                               platform::kFillModeAlternate));
    if (style == kDrawStroked || style == kDrawFilledAndStroked) {
        if (closed)
            m_graphics->record(
                draw2d::drawPolygon(m_graphics->handle, m_pen->handle, converted.data(), count));
        else
            m_graphics->record(
                draw2d::drawLines(m_graphics->handle, m_pen->handle, converted.data(), count));
    }
}

void CDrawContext::drawPolygon(const CCoordPoint* points, std::int32_t count, std::int32_t style,
                               bool closed) {
    drawPath(points, count, style, closed);
}

void CDrawContext::fillPolygon(const CCoordPoint* points, std::int32_t count) {
    drawPath(points, count, kDrawFilled, true);
}

void CDrawContext::drawRect(const CCoordRect& rect, std::int32_t style) {
    if (!m_graphics) return;
    CCoordRect r = rect;
    r.offset(m_offset.x, m_offset.y);
    const double l = std::min(r.left, r.right);
    const double t = std::min(r.top, r.bottom);
    const double R = std::max(r.left, r.right);
    const double B = std::max(r.top, r.bottom);
    if ((style == kDrawFilled || style == kDrawFilledAndStroked) && m_fillBrush)
        m_graphics->record(draw2d::fillRectangle(m_graphics->handle, m_fillBrush->handle,
                                                 toFloat(l), toFloat(t), toFloat(R - l),
                                                 toFloat(B - t)));
    if ((style == kDrawStroked || style == kDrawFilledAndStroked) && m_pen)
        m_graphics->record(draw2d::drawRectangle(m_graphics->handle, m_pen->handle, toFloat(l),
                                                 toFloat(t), toFloat(R - l) - 1.0f,
                                                 toFloat(B - t) - 1.0f));
}

void CDrawContext::fillRect(const CCoordRect& rect) {
    if (!m_graphics || !m_fillBrush) return;
    CCoordRect r = rect;
    r.offset(m_offset.x, m_offset.y);
    const double l = std::min(r.left, r.right);
    const double t = std::min(r.top, r.bottom);
    const double R = std::max(r.left, r.right);
    const double B = std::max(r.top, r.bottom);
    m_graphics->record(draw2d::fillRectangle(m_graphics->handle, m_fillBrush->handle, toFloat(l),
                                             toFloat(t), toFloat(R - l), toFloat(B - t)));
}

void CDrawContext::drawEllipse(const CCoordRect& rect, std::int32_t style) {
    if (!m_graphics) return;
    CCoordRect r = rect;
    r.offset(m_offset.x, m_offset.y);
    const double l = std::min(r.left, r.right);
    const double t = std::min(r.top, r.bottom);
    const double R = std::max(r.left, r.right);
    const double B = std::max(r.top, r.bottom);
    const std::int32_t x = trunc32(l);
    const std::int32_t y = trunc32(t);
    const std::int32_t w = trunc32(R - l) - 1;
    const std::int32_t h = trunc32(B - t) - 1;
    if ((style == kDrawFilled || style == kDrawFilledAndStroked) && m_fillBrush)
        m_graphics->record(
            draw2d::fillEllipseI(m_graphics->handle, m_fillBrush->handle, x, y, w, h));
    if ((style == kDrawStroked || style == kDrawFilledAndStroked) && m_pen)
        m_graphics->record(draw2d::drawEllipseI(m_graphics->handle, m_pen->handle, x, y, w, h));
}

void CDrawContext::fillEllipse(const CCoordRect& rect) {
    drawEllipse(rect, kDrawFilled);
}

void CDrawContext::drawArc(const CCoordRect& rect, float startAngle, float endAngle,
                           std::int32_t style) {
    if (!m_graphics) return;
    const float x = toFloat(m_offset.x + rect.left);
    const float y = toFloat(m_offset.y + rect.top);
    const float w = toFloat(rect.right - rect.left);
    const float h = toFloat(rect.bottom - rect.top);
    const float end = startAngle > endAngle ? endAngle + 360.0f : endAngle;
    const float sweep = std::fabs(end - startAngle);
    platform::PathHandle path = nullptr;
    if (m_graphics->record(draw2d::createPath(platform::kFillModeAlternate, path)) != platform::kOk)
        path = nullptr;
    m_graphics->record(draw2d::addPathArc(path, x, y, w, h, startAngle, sweep));
    if (style == kDrawFilled || style == kDrawFilledAndStroked)
        m_graphics->record(draw2d::fillPath(m_graphics->handle, m_fillBrush->handle, path));
    if (style == kDrawStroked || style == kDrawFilledAndStroked)
        m_graphics->record(draw2d::drawPath(m_graphics->handle, m_pen->handle, path));
    if (path) draw2d::deletePath(path);
}

void CDrawContext::drawPoint(const CCoordPoint& point, const CRgbaColor& color) {
    const double savedWidth = m_lineWidth;
    const CRgbaColor savedColor = m_frameColor;
    if (m_lineWidth != 1) setLineWidthIfChanged(1);
    setFrameColor(color);
    m_penLocation = m_offset + point;
    lineTo(CCoordPoint(point.x + 1, point.y));
    setFrameColor(savedColor);
    if (savedWidth != m_lineWidth) setLineWidth(savedWidth);
}

CRgbaColor CDrawContext::getPoint(const CCoordPoint& /*point*/) {
    return kBlackCColor;
}

// ---- text -------------------------------------------------------------------------------

double CDrawContext::getStringWidth(const char* text) {
    if (!text || !m_font || !m_graphics) return -1;
    PlatformFont* font = m_font->getPlatformFont();
    if (!font) return -1;
    const std::u16string wide = utf8ToUtf16(text);
    const platform::RectF layout;
    platform::RectF box;
    if (m_graphics->record(draw2d::measureString(m_graphics->handle, wide.c_str(), -1,
                                                 font->handle(), layout, box)) != platform::kOk)
        return 0;
    return box.width;
}

void CDrawContext::drawString(const char* text, const CCoordPoint& point, bool antialias) {
    if (!text || !m_font || !m_graphics || !m_textBrush) return;
    PlatformFont* font = m_font->getPlatformFont();
    if (!font) return;
    m_graphics->record(draw2d::setTextRenderingHint(m_graphics->handle,
                                                    antialias ? platform::kTextHintClearTypeGridFit
                                                              : platform::kTextHintSystemDefault));
    float dpi = 0.0f;
    m_graphics->record(draw2d::getDpiY(m_graphics->handle, dpi));
    float fontHeight = 0.0f;
    font->record(draw2d::getFontHeightGivenDpi(font->handle(), dpi, fontHeight));
    const std::u16string wide = utf8ToUtf16(text);
    platform::RectF layout;
    layout.x = toFloat(m_offset.x + point.x);
    layout.y = toFloat((m_offset.y + point.y) + 1 - fontHeight);
    m_graphics->record(draw2d::drawString(m_graphics->handle, wide.c_str(), -1, font->handle(),
                                          layout, m_textBrush->handle));
}

void CDrawContext::drawString(const char* text, const CCoordRect& rect, CHoriTxtAlign align,
                              bool antialias) {
    if (!text) return;
    const double size = m_font ? m_font->getSize() : 0.0;
    const double y = rect.bottom - ((rect.bottom - rect.top) * 0.5 - size * 0.5 + 1);
    double x = rect.left;
    if (align != kAlignLeft) {
        const double width = getStringWidth(text);
        if (align == kAlignRight)
            x = rect.right - width;
        else
            x = rect.left + 0.5 * (rect.right - rect.left) - width * 0.5;
    }
    CCoordRect saved;
    getClipRect(saved);
    const CCoordRect clip(std::max(rect.left, saved.left), std::max(rect.top, saved.top),
                          std::min(rect.right, saved.right), std::min(rect.bottom, saved.bottom));
    setClipRect(clip);
    drawString(text, CCoordPoint(x, y), antialias);
    setClipRect(saved);
}

void CDrawContext::drawString(const char* text, const CCoordRect& rect, std::int16_t /*unused*/,
                              CHoriTxtAlign align) {
    drawString(text, rect, align, true);
}

// ---- pointer ----------------------------------------------------------------------------

void CDrawContext::getMouseLocation(CCoordPoint& point) {
    platform::PointI screen;
    winsys::getCursorPosition(screen);
    point = CCoordPoint(screen.x, screen.y) - m_screenOffset;
}

std::int32_t CDrawContext::getMouseButtons() {
    return CFrame::pollButtonState();
}

bool CDrawContext::waitDoubleClick() {
    platform::PointI start;
    winsys::getCursorPosition(start);
    const std::uint32_t deadline = winsys::messageTime() + winsys::doubleClickTime();
    if (winsys::tickCount() >= deadline) return false;
    do {
        platform::PointI now;
        winsys::getCursorPosition(now);
        if (!insideBox(start, now)) return false;
        if (winsys::takeLeftButtonDownMessage()) return true;
    } while (winsys::tickCount() < deadline);
    return false;
}

bool CDrawContext::waitDrag() {
    if (!m_frame) return false;
    platform::PointI start;
    winsys::getCursorPosition(start);
    while (getMouseButtons() & kButtonLeft) {
        m_frame->doIdleStuff();
        platform::PointI now;
        winsys::getCursorPosition(now);
        if (!insideBox(start, now)) return true;
    }
    return false;
}

} // namespace VSTGUI
