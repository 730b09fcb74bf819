// SPDX-License-Identifier: MIT
// The drawing half of the toolkit's platform seam: the 2-D library (pens, brushes, shapes,
// text, fonts, images) on opaque handles, shaped like the flat GDI+ API that the draw
// context's call rules are written against.
//
// Each operation answers a 32-bit status, 0 meaning success, and writes its results only on
// success; the portable wrappers keep the last non-zero status of each object and otherwise
// ignore it. A program links exactly one back end that defines these functions: win32_gdiplus
// (GDI+), x11_cairo (cairo, fontconfig, libjpeg) or, in the portable tests, the recording back
// end, which logs every call.
//
// Everything is called on the thread that owns the frame's window.                  [ui]
#pragma once

#include "toolkit/platform/PlatformTypes.h"

#include <cstdint>

namespace VSTGUI::platform {

struct NativeGraphics;
struct NativePen;
struct NativeBrush;
struct NativeFontFamily;
struct NativeFont;
struct NativeImage; // every image is a bitmap
struct NativePath;
struct NativeImageAttributes;
struct NativeDeviceBitmap;
using GraphicsHandle = NativeGraphics*;
using PenHandle = NativePen*;
using BrushHandle = NativeBrush*;
using FontFamilyHandle = NativeFontFamily*;
using FontHandle = NativeFont*;
using ImageHandle = NativeImage*;
using PathHandle = NativePath*;
using ImageAttributesHandle = NativeImageAttributes*;
using DeviceBitmapHandle = NativeDeviceBitmap*; // a GDI bitmap (HBITMAP)

struct PointF {
    float x = 0.0f;
    float y = 0.0f;
};
// Position and extent, as a GDI+ layout rectangle.
struct RectF {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
};

// Values passed through unchanged to the 2-D library.
inline constexpr std::int32_t kInterpolationLowQuality = 1;
inline constexpr std::int32_t kUnitWorld = 0;
inline constexpr std::int32_t kUnitPixel = 2;
inline constexpr std::int32_t kPixelOffsetNone = 3;
inline constexpr std::int32_t kSmoothingNone = 3;
inline constexpr std::int32_t kSmoothingAntiAlias = 4;
inline constexpr std::int32_t kTextHintSystemDefault = 0;
inline constexpr std::int32_t kTextHintClearTypeGridFit = 5;
inline constexpr std::int32_t kCombineReplace = 0;
inline constexpr std::int32_t kDashSolid = 0;
inline constexpr std::int32_t kDashDot = 2;
inline constexpr std::int32_t kFillModeAlternate = 0;
inline constexpr std::int32_t kPixelFormat32bppARGB = 0x0026200A;
inline constexpr std::int32_t kPixelFormat32bppPARGB = 0x000E200B;
inline constexpr std::int32_t kColorAdjustBitmap = 1;
inline constexpr std::int32_t kColorMatrixFlagsDefault = 0;
inline constexpr std::int32_t kFontStyleRegular = 0;
inline constexpr std::int32_t kFontStyleBold = 1;
inline constexpr std::int32_t kFontStyleItalic = 2;
inline constexpr std::int32_t kFontStyleUnderline = 4;

namespace drawing2d {

// -- library lifetime (GdiplusStartup / GdiplusShutdown) --
// Starts the library (version 1, no debug callback, background thread and external codecs not
// suppressed) and answers its token.
Status startup(std::uintptr_t& token);
void shutdown(std::uintptr_t token);

// -- graphics objects --
Status createGraphicsFromDeviceContext(DeviceContextHandle dc, GraphicsHandle& out);
// A graphics object drawing into `image` (GdipGetImageGraphicsContext).
Status createGraphicsOnImage(ImageHandle image, GraphicsHandle& out);
Status deleteGraphics(GraphicsHandle graphics);
Status setInterpolationMode(GraphicsHandle graphics, std::int32_t mode);
Status setPageUnit(GraphicsHandle graphics, std::int32_t unit);
Status setPixelOffsetMode(GraphicsHandle graphics, std::int32_t mode);
Status setSmoothingMode(GraphicsHandle graphics, std::int32_t mode);
Status setTextRenderingHint(GraphicsHandle graphics, std::int32_t hint);
// GdipSetClipRectI: x, y, width, height in device pixels.
Status setClipRectI(GraphicsHandle graphics, std::int32_t x, std::int32_t y, std::int32_t width,
                    std::int32_t height, std::int32_t combineMode);
// Vertical resolution in dots per inch.
Status getDpiY(GraphicsHandle graphics, float& dpi);

// -- pens and brushes (colours are ARGB: alpha in the top byte) --
Status createPen(std::uint32_t argb, float width, std::int32_t unit, PenHandle& out);
Status setPenColor(PenHandle pen, std::uint32_t argb);
Status setPenWidth(PenHandle pen, float width);
Status setPenDashStyle(PenHandle pen, std::int32_t dashStyle);
Status deletePen(PenHandle pen);
Status createSolidFill(std::uint32_t argb, BrushHandle& out);
Status setSolidFillColor(BrushHandle brush, std::uint32_t argb);
Status deleteBrush(BrushHandle brush);

// -- primitives --
Status drawLineI(GraphicsHandle graphics, PenHandle pen, std::int32_t x1, std::int32_t y1,
                 std::int32_t x2, std::int32_t y2);
Status drawRectangle(GraphicsHandle graphics, PenHandle pen, float x, float y, float width,
                     float height);
Status fillRectangle(GraphicsHandle graphics, BrushHandle brush, float x, float y, float width,
                     float height);
Status drawEllipseI(GraphicsHandle graphics, PenHandle pen, std::int32_t x, std::int32_t y,
                    std::int32_t width, std::int32_t height);
Status fillEllipseI(GraphicsHandle graphics, BrushHandle brush, std::int32_t x, std::int32_t y,
                    std::int32_t width, std::int32_t height);
Status createPath(std::int32_t fillMode, PathHandle& out);
// Angles in degrees, clockwise from the positive x axis.
Status addPathArc(PathHandle path, float x, float y, float width, float height, float startAngle,
                  float sweepAngle);
Status drawPath(GraphicsHandle graphics, PenHandle pen, PathHandle path);
Status fillPath(GraphicsHandle graphics, BrushHandle brush, PathHandle path);
Status deletePath(PathHandle path);
Status drawLines(GraphicsHandle graphics, PenHandle pen, const PointF* points, std::int32_t count);
Status drawPolygon(GraphicsHandle graphics, PenHandle pen, const PointF* points,
                   std::int32_t count);
Status fillPolygon(GraphicsHandle graphics, BrushHandle brush, const PointF* points,
                   std::int32_t count, std::int32_t fillMode);

// -- text (UTF-16, `length` characters or -1 for terminated; no string format) --
// The bounding box of the text laid out in `layout`.
Status measureString(GraphicsHandle graphics, const char16_t* text, std::int32_t length,
                     FontHandle font, const RectF& layout, RectF& boundingBox);
Status drawString(GraphicsHandle graphics, const char16_t* text, std::int32_t length,
                  FontHandle font, const RectF& layout, BrushHandle brush);
// Looks the family up among the installed fonts (no private collection).
Status createFontFamily(const char16_t* name, FontFamilyHandle& out);
Status deleteFontFamily(FontFamilyHandle family);
Status createFont(FontFamilyHandle family, float size, std::int32_t style, std::int32_t unit,
                  FontHandle& out);
Status deleteFont(FontHandle font);
Status getFontHeightGivenDpi(FontHandle font, float dpi, float& height);

// -- images --
// `pixels` may be null (the library allocates them; stride is then ignored).
Status createBitmapFromScan0(std::int32_t width, std::int32_t height, std::int32_t stride,
                             std::int32_t pixelFormat, void* pixels, ImageHandle& out);
// Decodes an encoded image (any format the platform decoder reads) held in memory. The bytes
// stay valid while the module is loaded; the image may keep reading them.
Status createBitmapFromEncodedBytes(const void* data, std::uint32_t size, ImageHandle& out);
// The module's own bitmap resource of that name or number.
Status createBitmapFromModuleResource(const ResourceName& name, ImageHandle& out);
Status createBitmapFromDeviceBitmap(DeviceBitmapHandle bitmap, ImageHandle& out);
Status cloneBitmapAreaI(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                        std::int32_t pixelFormat, ImageHandle source, ImageHandle& out);
Status getImageWidth(ImageHandle image, std::uint32_t& width);
Status getImageHeight(ImageHandle image, std::uint32_t& height);
// Draws the source area into the destination area, source unit pixels; `attributes` may be
// null.
Status drawImageRectRectI(GraphicsHandle graphics, ImageHandle image, std::int32_t dstX,
                          std::int32_t dstY, std::int32_t dstWidth, std::int32_t dstHeight,
                          std::int32_t srcX, std::int32_t srcY, std::int32_t srcWidth,
                          std::int32_t srcHeight, ImageAttributesHandle attributes);
Status disposeImage(ImageHandle image);
Status createImageAttributes(ImageAttributesHandle& out);
// `matrix` is 5 x 5, row by row; no grey matrix.
Status setImageAttributesColorMatrix(ImageAttributesHandle attributes, std::int32_t adjustType,
                                     bool enabled, const float* matrix, std::int32_t flags);
Status disposeImageAttributes(ImageAttributesHandle attributes);
// Deletes a GDI bitmap (DeleteObject).
void deleteDeviceBitmap(DeviceBitmapHandle bitmap);

} // namespace drawing2d

} // namespace VSTGUI::platform
