// SPDX-License-Identifier: MIT
// The 2-D operations of the Windows back end: one flat GDI+ call each, its status answered as
// it comes. Handles are the GDI+ objects themselves; brushes are kept as their base type and
// images as `GpImage` (every image this back end makes is a bitmap).
#include "ResourceStream.h"
#include "Win32Backend.h"
#include "toolkit/platform/Drawing2D.h"

#include <gdiplus.h>

#include <cstring>
#include <string>

namespace VSTGUI::platform::drawing2d {

namespace gp = Gdiplus;
namespace flat = Gdiplus::DllExports;

static_assert(sizeof(PointF) == sizeof(gp::PointF), "points are handed through unchanged");
static_assert(sizeof(RectF) == sizeof(gp::RectF), "rectangles are handed through unchanged");
static_assert(sizeof(gp::ColorMatrix) == 25 * sizeof(float), "a colour matrix is 5 x 5");

namespace {

Status status(gp::GpStatus value) {
    return static_cast<Status>(value);
}

gp::GpGraphics* native(GraphicsHandle handle) {
    return reinterpret_cast<gp::GpGraphics*>(handle);
}
gp::GpPen* native(PenHandle handle) {
    return reinterpret_cast<gp::GpPen*>(handle);
}
gp::GpBrush* native(BrushHandle handle) {
    return reinterpret_cast<gp::GpBrush*>(handle);
}
gp::GpSolidFill* solidFill(BrushHandle handle) {
    return static_cast<gp::GpSolidFill*>(native(handle));
}
gp::GpFontFamily* native(FontFamilyHandle handle) {
    return reinterpret_cast<gp::GpFontFamily*>(handle);
}
gp::GpFont* native(FontHandle handle) {
    return reinterpret_cast<gp::GpFont*>(handle);
}
gp::GpImage* native(ImageHandle handle) {
    return reinterpret_cast<gp::GpImage*>(handle);
}
gp::GpBitmap* bitmap(ImageHandle handle) {
    return static_cast<gp::GpBitmap*>(native(handle));
}
gp::GpPath* native(PathHandle handle) {
    return reinterpret_cast<gp::GpPath*>(handle);
}
gp::GpImageAttributes* native(ImageAttributesHandle handle) {
    return reinterpret_cast<gp::GpImageAttributes*>(handle);
}
const WCHAR* wide(const char16_t* text) {
    return reinterpret_cast<const WCHAR*>(text);
}
const gp::PointF* native(const PointF* points) {
    return reinterpret_cast<const gp::PointF*>(points);
}

ImageHandle handleOf(gp::GpBitmap* image) {
    return reinterpret_cast<ImageHandle>(static_cast<gp::GpImage*>(image));
}

} // namespace

Status startup(std::uintptr_t& token) {
    const gp::GdiplusStartupInput input; // version 1, no callback, nothing suppressed
    ULONG_PTR started = 0;
    const Status answer = status(gp::GdiplusStartup(&started, &input, nullptr));
    if (answer == kOk) token = started;
    return answer;
}

void shutdown(std::uintptr_t token) {
    gp::GdiplusShutdown(token);
}

Status createGraphicsFromDeviceContext(DeviceContextHandle dc, GraphicsHandle& out) {
    gp::GpGraphics* graphics = nullptr;
    const Status answer = status(flat::GdipCreateFromHDC(reinterpret_cast<HDC>(dc), &graphics));
    if (answer == kOk) out = reinterpret_cast<GraphicsHandle>(graphics);
    return answer;
}

Status createGraphicsOnImage(ImageHandle image, GraphicsHandle& out) {
    gp::GpGraphics* graphics = nullptr;
    const Status answer = status(flat::GdipGetImageGraphicsContext(native(image), &graphics));
    if (answer == kOk) out = reinterpret_cast<GraphicsHandle>(graphics);
    return answer;
}

Status deleteGraphics(GraphicsHandle graphics) {
    return status(flat::GdipDeleteGraphics(native(graphics)));
}

Status setInterpolationMode(GraphicsHandle graphics, std::int32_t mode) {
    return status(
        flat::GdipSetInterpolationMode(native(graphics), static_cast<gp::InterpolationMode>(mode)));
}

Status setPageUnit(GraphicsHandle graphics, std::int32_t unit) {
    return status(flat::GdipSetPageUnit(native(graphics), static_cast<gp::Unit>(unit)));
}

Status setPixelOffsetMode(GraphicsHandle graphics, std::int32_t mode) {
    return status(
        flat::GdipSetPixelOffsetMode(native(graphics), static_cast<gp::PixelOffsetMode>(mode)));
}

Status setSmoothingMode(GraphicsHandle graphics, std::int32_t mode) {
    return status(
        flat::GdipSetSmoothingMode(native(graphics), static_cast<gp::SmoothingMode>(mode)));
}

Status setTextRenderingHint(GraphicsHandle graphics, std::int32_t hint) {
    return status(
        flat::GdipSetTextRenderingHint(native(graphics), static_cast<gp::TextRenderingHint>(hint)));
}

Status setClipRectI(GraphicsHandle graphics, std::int32_t x, std::int32_t y, std::int32_t width,
                    std::int32_t height, std::int32_t combineMode) {
    return status(flat::GdipSetClipRectI(native(graphics), x, y, width, height,
                                         static_cast<gp::CombineMode>(combineMode)));
}

Status getDpiY(GraphicsHandle graphics, float& dpi) {
    gp::REAL value = 0.0f;
    const Status answer = status(flat::GdipGetDpiY(native(graphics), &value));
    if (answer == kOk) dpi = value;
    return answer;
}

Status createPen(std::uint32_t argb, float width, std::int32_t unit, PenHandle& out) {
    gp::GpPen* pen = nullptr;
    const Status answer =
        status(flat::GdipCreatePen1(argb, width, static_cast<gp::Unit>(unit), &pen));
    if (answer == kOk) out = reinterpret_cast<PenHandle>(pen);
    return answer;
}

Status setPenColor(PenHandle pen, std::uint32_t argb) {
    return status(flat::GdipSetPenColor(native(pen), argb));
}

Status setPenWidth(PenHandle pen, float width) {
    return status(flat::GdipSetPenWidth(native(pen), width));
}

Status setPenDashStyle(PenHandle pen, std::int32_t dashStyle) {
    return status(flat::GdipSetPenDashStyle(native(pen), static_cast<gp::DashStyle>(dashStyle)));
}

Status deletePen(PenHandle pen) {
    return status(flat::GdipDeletePen(native(pen)));
}

Status createSolidFill(std::uint32_t argb, BrushHandle& out) {
    gp::GpSolidFill* brush = nullptr;
    const Status answer = status(flat::GdipCreateSolidFill(argb, &brush));
    if (answer == kOk) out = reinterpret_cast<BrushHandle>(static_cast<gp::GpBrush*>(brush));
    return answer;
}

Status setSolidFillColor(BrushHandle brush, std::uint32_t argb) {
    return status(flat::GdipSetSolidFillColor(solidFill(brush), argb));
}

Status deleteBrush(BrushHandle brush) {
    return status(flat::GdipDeleteBrush(native(brush)));
}

Status drawLineI(GraphicsHandle graphics, PenHandle pen, std::int32_t x1, std::int32_t y1,
                 std::int32_t x2, std::int32_t y2) {
    return status(flat::GdipDrawLineI(native(graphics), native(pen), x1, y1, x2, y2));
}

Status drawRectangle(GraphicsHandle graphics, PenHandle pen, float x, float y, float width,
                     float height) {
    return status(flat::GdipDrawRectangle(native(graphics), native(pen), x, y, width, height));
}

Status fillRectangle(GraphicsHandle graphics, BrushHandle brush, float x, float y, float width,
                     float height) {
    return status(flat::GdipFillRectangle(native(graphics), native(brush), x, y, width, height));
}

Status drawEllipseI(GraphicsHandle graphics, PenHandle pen, std::int32_t x, std::int32_t y,
                    std::int32_t width, std::int32_t height) {
    return status(flat::GdipDrawEllipseI(native(graphics), native(pen), x, y, width, height));
}

Status fillEllipseI(GraphicsHandle graphics, BrushHandle brush, std::int32_t x, std::int32_t y,
                    std::int32_t width, std::int32_t height) {
    return status(flat::GdipFillEllipseI(native(graphics), native(brush), x, y, width, height));
}

Status createPath(std::int32_t fillMode, PathHandle& out) {
    gp::GpPath* path = nullptr;
    const Status answer = status(flat::GdipCreatePath(static_cast<gp::FillMode>(fillMode), &path));
    if (answer == kOk) out = reinterpret_cast<PathHandle>(path);
    return answer;
}

Status addPathArc(PathHandle path, float x, float y, float width, float height, float startAngle,
                  float sweepAngle) {
    return status(flat::GdipAddPathArc(native(path), x, y, width, height, startAngle, sweepAngle));
}

Status drawPath(GraphicsHandle graphics, PenHandle pen, PathHandle path) {
    return status(flat::GdipDrawPath(native(graphics), native(pen), native(path)));
}

Status fillPath(GraphicsHandle graphics, BrushHandle brush, PathHandle path) {
    return status(flat::GdipFillPath(native(graphics), native(brush), native(path)));
}

Status deletePath(PathHandle path) {
    return status(flat::GdipDeletePath(native(path)));
}

Status drawLines(GraphicsHandle graphics, PenHandle pen, const PointF* points, std::int32_t count) {
    return status(flat::GdipDrawLines(native(graphics), native(pen), native(points), count));
}

Status drawPolygon(GraphicsHandle graphics, PenHandle pen, const PointF* points,
                   std::int32_t count) {
    return status(flat::GdipDrawPolygon(native(graphics), native(pen), native(points), count));
}

Status fillPolygon(GraphicsHandle graphics, BrushHandle brush, const PointF* points,
                   std::int32_t count, std::int32_t fillMode) {
    return status(flat::GdipFillPolygon(native(graphics), native(brush), native(points), count,
                                        static_cast<gp::FillMode>(fillMode)));
}

Status measureString(GraphicsHandle graphics, const char16_t* text, std::int32_t length,
                     FontHandle font, const RectF& layout, RectF& boundingBox) {
    const gp::RectF area(layout.x, layout.y, layout.width, layout.height);
    gp::RectF box;
    const Status answer =
        status(flat::GdipMeasureString(native(graphics), wide(text), length, native(font), &area,
                                       nullptr, &box, nullptr, nullptr));
    if (answer == kOk) boundingBox = RectF{box.X, box.Y, box.Width, box.Height};
    return answer;
}

Status drawString(GraphicsHandle graphics, const char16_t* text, std::int32_t length,
                  FontHandle font, const RectF& layout, BrushHandle brush) {
    const gp::RectF area(layout.x, layout.y, layout.width, layout.height);
    return status(flat::GdipDrawString(native(graphics), wide(text), length, native(font), &area,
                                       nullptr, native(brush)));
}

Status createFontFamily(const char16_t* name, FontFamilyHandle& out) {
    gp::GpFontFamily* family = nullptr;
    const Status answer = status(flat::GdipCreateFontFamilyFromName(wide(name), nullptr, &family));
    if (answer == kOk) out = reinterpret_cast<FontFamilyHandle>(family);
    return answer;
}

Status deleteFontFamily(FontFamilyHandle family) {
    return status(flat::GdipDeleteFontFamily(native(family)));
}

Status createFont(FontFamilyHandle family, float size, std::int32_t style, std::int32_t unit,
                  FontHandle& out) {
    gp::GpFont* font = nullptr;
    const Status answer = status(
        flat::GdipCreateFont(native(family), size, style, static_cast<gp::Unit>(unit), &font));
    if (answer == kOk) out = reinterpret_cast<FontHandle>(font);
    return answer;
}

Status deleteFont(FontHandle font) {
    return status(flat::GdipDeleteFont(native(font)));
}

Status getFontHeightGivenDpi(FontHandle font, float dpi, float& height) {
    gp::REAL value = 0.0f;
    const Status answer = status(flat::GdipGetFontHeightGivenDPI(native(font), dpi, &value));
    if (answer == kOk) height = value;
    return answer;
}

Status createBitmapFromScan0(std::int32_t width, std::int32_t height, std::int32_t stride,
                             std::int32_t pixelFormat, void* pixels, ImageHandle& out) {
    gp::GpBitmap* image = nullptr;
    const Status answer = status(flat::GdipCreateBitmapFromScan0(
        width, height, pixels != nullptr ? stride : 0, static_cast<gp::PixelFormat>(pixelFormat),
        static_cast<BYTE*>(pixels), &image));
    if (answer == kOk) out = handleOf(image);
    return answer;
}

Status createBitmapFromEncodedBytes(const void* data, std::uint32_t size, ImageHandle& out) {
    if (data == nullptr) return kInvalidParameter;
    // The decoder takes its own reference when it keeps reading later; ours goes at the end.
    auto* stream = new win32::ResourceStream(data, size);
    gp::GpBitmap* image = nullptr;
    const Status answer = status(flat::GdipCreateBitmapFromStreamICM(stream, &image));
    stream->Release();
    if (answer == kOk) out = handleOf(image);
    return answer;
}

Status createBitmapFromModuleResource(const ResourceName& name, ImageHandle& out) {
    std::wstring text;
    const WCHAR* identifier = MAKEINTRESOURCEW(name.number);
    if (name.name != nullptr) {
        // Resource names are plain ASCII; each byte widens to one character.
        for (const char* at = name.name; *at != '\0'; ++at)
            text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*at)));
        identifier = text.c_str();
    }
    gp::GpBitmap* image = nullptr;
    const Status answer =
        status(flat::GdipCreateBitmapFromResource(win32::resourceModule(), identifier, &image));
    if (answer == kOk) out = handleOf(image);
    return answer;
}

Status createBitmapFromDeviceBitmap(DeviceBitmapHandle bitmap, ImageHandle& out) {
    gp::GpBitmap* image = nullptr;
    const Status answer = status(
        flat::GdipCreateBitmapFromHBITMAP(reinterpret_cast<HBITMAP>(bitmap), nullptr, &image));
    if (answer == kOk) out = handleOf(image);
    return answer;
}

Status cloneBitmapAreaI(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                        std::int32_t pixelFormat, ImageHandle source, ImageHandle& out) {
    gp::GpBitmap* image = nullptr;
    const Status answer = status(flat::GdipCloneBitmapAreaI(
        x, y, width, height, static_cast<gp::PixelFormat>(pixelFormat), bitmap(source), &image));
    if (answer == kOk) out = handleOf(image);
    return answer;
}

Status getImageWidth(ImageHandle image, std::uint32_t& width) {
    UINT value = 0;
    const Status answer = status(flat::GdipGetImageWidth(native(image), &value));
    if (answer == kOk) width = value;
    return answer;
}

Status getImageHeight(ImageHandle image, std::uint32_t& height) {
    UINT value = 0;
    const Status answer = status(flat::GdipGetImageHeight(native(image), &value));
    if (answer == kOk) height = value;
    return answer;
}

Status drawImageRectRectI(GraphicsHandle graphics, ImageHandle image, std::int32_t dstX,
                          std::int32_t dstY, std::int32_t dstWidth, std::int32_t dstHeight,
                          std::int32_t srcX, std::int32_t srcY, std::int32_t srcWidth,
                          std::int32_t srcHeight, ImageAttributesHandle attributes) {
    return status(flat::GdipDrawImageRectRectI(
        native(graphics), native(image), dstX, dstY, dstWidth, dstHeight, srcX, srcY, srcWidth,
        srcHeight, gp::UnitPixel, native(attributes), nullptr, nullptr));
}

Status disposeImage(ImageHandle image) {
    return status(flat::GdipDisposeImage(native(image)));
}

Status createImageAttributes(ImageAttributesHandle& out) {
    gp::GpImageAttributes* attributes = nullptr;
    const Status answer = status(flat::GdipCreateImageAttributes(&attributes));
    if (answer == kOk) out = reinterpret_cast<ImageAttributesHandle>(attributes);
    return answer;
}

Status setImageAttributesColorMatrix(ImageAttributesHandle attributes, std::int32_t adjustType,
                                     bool enabled, const float* matrix, std::int32_t flags) {
    gp::ColorMatrix colours;
    std::memset(&colours, 0, sizeof(colours));
    if (matrix != nullptr) std::memcpy(colours.m, matrix, sizeof(colours.m));
    return status(flat::GdipSetImageAttributesColorMatrix(
        native(attributes), static_cast<gp::ColorAdjustType>(adjustType), enabled ? TRUE : FALSE,
        matrix != nullptr ? &colours : nullptr, nullptr, static_cast<gp::ColorMatrixFlags>(flags)));
}

Status disposeImageAttributes(ImageAttributesHandle attributes) {
    return status(flat::GdipDisposeImageAttributes(native(attributes)));
}

void deleteDeviceBitmap(DeviceBitmapHandle bitmap) {
    if (bitmap != nullptr) DeleteObject(reinterpret_cast<HBITMAP>(bitmap));
}

} // namespace VSTGUI::platform::drawing2d
