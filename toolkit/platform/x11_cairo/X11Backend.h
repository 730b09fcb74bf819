// SPDX-License-Identifier: MIT
// The toolkit's Linux back end: cairo for drawing and images, fontconfig (through cairo's
// FreeType font faces) for fonts, Xlib for the frame's child window, pointer and keys.
//
// Drawing follows the rules the Windows library applies, so that both back ends give the same
// pixels for the same calls: integer coordinates are pixel centres (every shape is drawn half a
// pixel down and right in cairo's space), shapes are anti-aliased only in smoothing mode
// anti-alias, a one-pixel line covers both its end pixels, arcs run clockwise from the
// positive x axis in degrees and a text's layout rectangle starts at the top of its line.
//
// A device context is a cairo surface (the paint buffer of a frame window). Images are cairo
// image surfaces in premultiplied ARGB.
//
// Windows: the handles of windows are X window ids. One display connection serves every frame
// of the process; the first registration of the frame window class opens it and the last
// unregistration closes it. X delivers events only to whoever reads the connection, so
// `processEvents` runs on the frame's thread at every idle tick of a frame (and for the editor's
// one pending paint): it handles every pending event of the connection (exposures, buttons,
// motion, leaving, drops) and then paints what is waiting to be painted. `invalidateRect` runs
// it too.                                                       [ui]
#pragma once

#include "toolkit/platform/ToolkitBackend.h"

#include <cstdint>
#include <string>
#include <vector>

namespace VSTGUI::x11 {

using namespace VSTGUI::platform;

class X11Backend final : public ToolkitBackend {
public:
    Status startup(std::uintptr_t& token) override;
    void shutdown(std::uintptr_t token) override;

    Status createGraphicsFromDeviceContext(DeviceContextHandle dc, GraphicsHandle& out) override;
    Status createGraphicsOnImage(ImageHandle image, GraphicsHandle& out) override;
    Status deleteGraphics(GraphicsHandle graphics) override;
    Status setInterpolationMode(GraphicsHandle graphics, std::int32_t mode) override;
    Status setPageUnit(GraphicsHandle graphics, std::int32_t unit) override;
    Status setPixelOffsetMode(GraphicsHandle graphics, std::int32_t mode) override;
    Status setSmoothingMode(GraphicsHandle graphics, std::int32_t mode) override;
    Status setTextRenderingHint(GraphicsHandle graphics, std::int32_t hint) override;
    Status setClipRectI(GraphicsHandle graphics, std::int32_t x, std::int32_t y, std::int32_t width,
                        std::int32_t height, std::int32_t combineMode) override;
    Status getDpiY(GraphicsHandle graphics, float& dpi) override;

    Status createPen(std::uint32_t argb, float width, std::int32_t unit, PenHandle& out) override;
    Status setPenColor(PenHandle pen, std::uint32_t argb) override;
    Status setPenWidth(PenHandle pen, float width) override;
    Status setPenDashStyle(PenHandle pen, std::int32_t dashStyle) override;
    Status deletePen(PenHandle pen) override;
    Status createSolidFill(std::uint32_t argb, BrushHandle& out) override;
    Status setSolidFillColor(BrushHandle brush, std::uint32_t argb) override;
    Status deleteBrush(BrushHandle brush) override;

    Status drawLineI(GraphicsHandle graphics, PenHandle pen, std::int32_t x1, std::int32_t y1,
                     std::int32_t x2, std::int32_t y2) override;
    Status drawRectangle(GraphicsHandle graphics, PenHandle pen, float x, float y, float width,
                         float height) override;
    Status fillRectangle(GraphicsHandle graphics, BrushHandle brush, float x, float y, float width,
                         float height) override;
    Status drawEllipseI(GraphicsHandle graphics, PenHandle pen, std::int32_t x, std::int32_t y,
                        std::int32_t width, std::int32_t height) override;
    Status fillEllipseI(GraphicsHandle graphics, BrushHandle brush, std::int32_t x, std::int32_t y,
                        std::int32_t width, std::int32_t height) override;
    Status createPath(std::int32_t fillMode, PathHandle& out) override;
    Status addPathArc(PathHandle path, float x, float y, float width, float height,
                      float startAngle, float sweepAngle) override;
    Status drawPath(GraphicsHandle graphics, PenHandle pen, PathHandle path) override;
    Status fillPath(GraphicsHandle graphics, BrushHandle brush, PathHandle path) override;
    Status deletePath(PathHandle path) override;
    Status drawLines(GraphicsHandle graphics, PenHandle pen, const PointF* points,
                     std::int32_t count) override;
    Status drawPolygon(GraphicsHandle graphics, PenHandle pen, const PointF* points,
                       std::int32_t count) override;
    Status fillPolygon(GraphicsHandle graphics, BrushHandle brush, const PointF* points,
                       std::int32_t count, std::int32_t fillMode) override;

    Status measureString(GraphicsHandle graphics, const char16_t* text, std::int32_t length,
                         FontHandle font, const RectF& layout, RectF& boundingBox) override;
    Status drawString(GraphicsHandle graphics, const char16_t* text, std::int32_t length,
                      FontHandle font, const RectF& layout, BrushHandle brush) override;
    Status createFontFamily(const char16_t* name, FontFamilyHandle& out) override;
    Status deleteFontFamily(FontFamilyHandle family) override;
    Status createFont(FontFamilyHandle family, float size, std::int32_t style, std::int32_t unit,
                      FontHandle& out) override;
    Status deleteFont(FontHandle font) override;
    Status getFontHeightGivenDpi(FontHandle font, float dpi, float& height) override;

    Status createBitmapFromScan0(std::int32_t width, std::int32_t height, std::int32_t stride,
                                 std::int32_t pixelFormat, void* pixels, ImageHandle& out) override;
    Status createBitmapFromEncodedBytes(const void* data, std::uint32_t size,
                                        ImageHandle& out) override;
    Status createBitmapFromModuleResource(const ResourceName& name, ImageHandle& out) override;
    Status createBitmapFromDeviceBitmap(DeviceBitmapHandle bitmap, ImageHandle& out) override;
    Status cloneBitmapAreaI(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                            std::int32_t pixelFormat, ImageHandle source,
                            ImageHandle& out) override;
    Status getImageWidth(ImageHandle image, std::uint32_t& width) override;
    Status getImageHeight(ImageHandle image, std::uint32_t& height) override;
    Status drawImageRectRectI(GraphicsHandle graphics, ImageHandle image, std::int32_t dstX,
                              std::int32_t dstY, std::int32_t dstWidth, std::int32_t dstHeight,
                              std::int32_t srcX, std::int32_t srcY, std::int32_t srcWidth,
                              std::int32_t srcHeight, ImageAttributesHandle attributes) override;
    Status disposeImage(ImageHandle image) override;
    Status getBitmapPixel(ImageHandle image, std::int32_t x, std::int32_t y,
                          std::uint32_t& argb) override;
    Status createImageAttributes(ImageAttributesHandle& out) override;
    Status setImageAttributesColorMatrix(ImageAttributesHandle attributes, std::int32_t adjustType,
                                         bool enabled, const float* matrix,
                                         std::int32_t flags) override;
    Status disposeImageAttributes(ImageAttributesHandle attributes) override;
    void deleteDeviceBitmap(DeviceBitmapHandle bitmap) override;

    bool findDataResource(const ResourceName& name, ResourceBytes& out) override;

    DeviceContextHandle getWindowDeviceContext(WindowHandle window) override;
    void releaseWindowDeviceContext(WindowHandle window, DeviceContextHandle dc) override;

    bool registerFrameWindowClass() override;
    void unregisterFrameWindowClass() override;
    WindowHandle createFrameWindow(WindowHandle parent, std::int32_t width, std::int32_t height,
                                   bool composited, WindowMessageSink* sink) override;
    void clearWindowUserData(WindowHandle window) override;
    void destroyWindow(WindowHandle window) override;
    void invalidateRect(WindowHandle window, const RectI& rect, bool erase) override;
    void setCapture(WindowHandle window) override;
    void releaseCapture() override;
    bool requestMouseLeaveNotice(WindowHandle window) override;
    WindowHandle getParent(WindowHandle window) override;
    std::u16string getClassName(WindowHandle window) override;
    bool getWindowRect(WindowHandle window, RectI& rect) override;
    bool setWindowSize(WindowHandle window, std::int32_t width, std::int32_t height) override;
    void mapWindowPoints(WindowHandle from, WindowHandle to, PointI* points,
                         std::int32_t count) override;
    std::uint32_t getWindowStyle(WindowHandle window) override;

    CursorHandle getCursor() override;
    void setCursor(CursorHandle cursor) override;
    void setSystemCursor(std::int32_t shape) override;

    bool getCursorPosition(PointI& point) override;
    bool isMessageKeyDown(MessageKey key) override;
    bool isKeyPressedNow(PolledKey key) override;
    bool areMouseButtonsSwapped() override;
    std::int32_t dialogFrameHeight() override;
    std::uint32_t osMajorVersion() override;
    std::uint32_t tickCount() override;
    std::uint32_t messageTime() override;
    std::uint32_t doubleClickTime() override;
    bool takeLeftButtonDownMessage() override;
    void processPendingEvents() override;

    std::int32_t oleInitialize() override;
    void oleUninitialize() override;
    bool registerDropTarget(WindowHandle window, DropEvents* events) override;
    void revokeDropTarget(WindowHandle window) override;
};

// Handles every pending event of the frame windows' display connection, then paints every
// frame window with a waiting update area. Does nothing while no frame window exists or when
// called again from inside a message it is delivering.                              [ui]
void processEvents();
// The display connection the frame windows use (null while no frame is open), for tests and
// hosts that want to share it.
struct DisplayInfo {
    void* display = nullptr;  // the Xlib Display*
    std::int32_t users = 0;   // frames holding it open
    std::uint32_t opened = 0; // times a connection was opened in this process
};
DisplayInfo displayInfo();

// The local paths of the file:// URIs of a text/uri-list (percent escapes decoded; other
// schemes, other hosts and paths with a NUL are skipped), in order.
std::vector<std::string> pathsOfUriList(const std::string& list);

// UTF-16 to UTF-8 (unpaired surrogates become U+FFFD); `length` -1 means terminated.
std::string toUtf8(const char16_t* text, std::int32_t length);
// UTF-8 to UTF-16 (invalid bytes become U+FFFD).
std::u16string toUtf16(const std::string& text);

} // namespace VSTGUI::x11
