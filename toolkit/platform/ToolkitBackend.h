// SPDX-License-Identifier: MIT
// The one door between the portable toolkit and the platform.
//
// Every platform service the toolkit needs (2-D drawing objects, the frame's child window,
// pointer and key polling, module resources, dropped data) is an operation of
// `ToolkitBackend`. Portable code reaches it through `platform::backend()` only; it never
// includes a system header. A back end is a library that defines `platform::defaultBackend()`:
// the Windows one (win32_gdiplus) wraps Win32 and the flat GDI+ API, the tests' recording back
// end logs every call. `installBackend` replaces the default (tests do this).
//
// The drawing operations mirror the flat GDI+ API on opaque handles: each answers a 32-bit
// status, 0 meaning success, and writes its results only on success. The portable wrappers keep
// the last non-zero status of each object and otherwise ignore it.
//
// Messages travel the other way: the back end's window procedure turns each native message of
// the frame's window into one `WindowMessage` for the `WindowMessageSink` stored with the window
// and answers the native message as the sink says. Dropped data is read through a `DropSource`
// made by the back end per drag; the drag events go to the `DropEvents` given at registration.
//
// All operations are called on the thread that owns the frame's window.            [ui]
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace VSTGUI::platform {

using Status = std::int32_t;
inline constexpr Status kOk = 0;
// Answer of an operation the back end does not provide (the GDI+ "not implemented" status).
inline constexpr Status kNotImplemented = 6;
// Answer of an operation given an argument it cannot use (the GDI+ "invalid parameter" status).
inline constexpr Status kInvalidParameter = 2;

// ---- opaque handles -----------------------------------------------------------------------
// Each names one native object; the back end casts its own pointers to and from these types.
// A null handle is "none".
struct NativeGraphics;
struct NativePen;
struct NativeBrush;
struct NativeFontFamily;
struct NativeFont;
struct NativeImage; // a GDI+ image; every bitmap is one
struct NativePath;
struct NativeImageAttributes;
struct NativeDeviceContext;
struct NativeWindow;
struct NativeCursor;
struct NativeDeviceBitmap;
using GraphicsHandle = NativeGraphics*;
using PenHandle = NativePen*;
using BrushHandle = NativeBrush*;
using FontFamilyHandle = NativeFontFamily*;
using FontHandle = NativeFont*;
using ImageHandle = NativeImage*;
using PathHandle = NativePath*;
using ImageAttributesHandle = NativeImageAttributes*;
using DeviceContextHandle = NativeDeviceContext*;
using WindowHandle = NativeWindow*;
using CursorHandle = NativeCursor*;
using DeviceBitmapHandle = NativeDeviceBitmap*; // a GDI bitmap (HBITMAP)

// ---- plain records ------------------------------------------------------------------------
struct PointI {
    std::int32_t x = 0;
    std::int32_t y = 0;
};
struct PointF {
    float x = 0.0f;
    float y = 0.0f;
};
// Edges, as a native window rectangle.
struct RectI {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
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

// Key-state bits of a mouse message (the Win32 MK_ values; other back ends build the same).
inline constexpr std::uint32_t kMkLButton = 0x01;
inline constexpr std::uint32_t kMkRButton = 0x02;
inline constexpr std::uint32_t kMkShift = 0x04;
inline constexpr std::uint32_t kMkControl = 0x08;
inline constexpr std::uint32_t kMkMButton = 0x10;
inline constexpr std::uint32_t kMkXButton1 = 0x20;
inline constexpr std::uint32_t kMkXButton2 = 0x40;

// Drop effects (the OLE DROPEFFECT values).
inline constexpr std::uint32_t kDropEffectNone = 0;
inline constexpr std::uint32_t kDropEffectCopy = 1;
inline constexpr std::uint32_t kDropEffectMove = 2;
inline constexpr std::uint32_t kDropEffectLink = 4;

// Answers of OleInitialize that call for a matching OleUninitialize.
inline constexpr std::int32_t kHResultOk = 0;
inline constexpr std::int32_t kHResultFalse = 1;

// Modifier keys read as they were when the message being handled was posted (GetKeyState).
enum class MessageKey : std::int32_t { shift = 0, control = 1, alt = 2 };
// Buttons and keys polled as they are now (GetAsyncKeyState). The buttons are the physical
// ones: swapping is the caller's business.
enum class PolledKey : std::int32_t {
    leftButton = 0,
    rightButton = 1,
    middleButton = 2,
    shift = 3,
    control = 4,
    alt = 5
};

// ---- window messages ----------------------------------------------------------------------
enum class MessageKind : std::int32_t {
    destroy = 0,           // WM_DESTROY
    paint = 1,             // WM_PAINT with a non-empty update region, between BeginPaint/EndPaint
    eraseBackground = 2,   // WM_ERASEBKGND
    mouseMove = 3,         // WM_MOUSEMOVE
    buttonDown = 4,        // WM_[LRMX]BUTTONDOWN
    buttonDoubleClick = 5, // WM_[LRMX]BUTTONDBLCLK
    buttonUp = 6,          // WM_[LRMX]BUTTONUP
    wheel = 7,             // WM_MOUSEWHEEL
    mouseLeave = 8         // WM_MOUSELEAVE
};

struct WindowMessage {
    MessageKind kind = MessageKind::destroy;
    // Mouse messages: the point as the message carries it, each component a signed 16-bit value
    // (client coordinates; for the wheel, screen coordinates).
    PointI point;
    // Mouse messages except the wheel: the message's key-state bits (kMk* values).
    std::uint32_t keyState = 0;
    // Wheel: the signed 16-bit rotation (multiples of 120 per notch).
    std::int32_t wheelDelta = 0;
    // Paint: the paint rectangle and the paint device context (valid during the call only).
    RectI updateRect;
    DeviceContextHandle paintContext = nullptr;
};

struct MessageAnswer {
    std::intptr_t result = 0;      // answered to the system when not forwarded
    bool forwardToDefault = false; // also hand the message to the default window procedure,
                                   // whose answer is then the one returned
};

// Implemented by the frame. The back end stores it as the window's user data and hands it
// every message listed in MessageKind; messages it does not list, and every message that
// arrives while the user data is empty, go to the default window procedure.
class WindowMessageSink {
public:
    virtual MessageAnswer handleWindowMessage(const WindowMessage& message) = 0;

protected:
    ~WindowMessageSink() = default;
};

// ---- dropped data -------------------------------------------------------------------------
enum class FetchResult : std::int32_t {
    unavailable = 0, // the source does not offer the format (or the request failed)
    empty = 1,       // offered, but the data has no size or could not be read
    ok = 2
};

// One drag's data, made by the back end on its native data object. Every fetch gives the
// native medium back before answering. Destroying it lets go of the native object.
class DropSource {
public:
    virtual ~DropSource() = default;
    // True if the text format can be fetched now.
    virtual bool hasText() = 0;
    // The dragged text (UTF-16, without terminator).
    virtual FetchResult fetchText(std::u16string& text) = 0;
    // Number of paths in the dragged file list; 0 when no file list can be fetched.
    virtual std::uint32_t fileCount() = 0;
    // True if a file list can be fetched now.
    virtual bool hasFiles() = 0;
    // Path `index` of the file list (UTF-16, without terminator, at most 2047 characters);
    // false when the list cannot be fetched or holds no such path.
    virtual bool filePath(std::uint32_t index, std::u16string& path) = 0;
    // Resolves a shell shortcut file (no user interface, 500 ms time-out) and answers its
    // target's short path; false on any failure.
    virtual bool resolveShortcut(const std::u16string& shortcutPath, std::u16string& target) = 0;
};

// Implemented portably (the frame's drop handling); called by the back end's drop target.
// The effect arguments are the native in/out effect word.
class DropEvents {
public:
    // `source` is null when the native event carried no data object.
    virtual void dragEnter(std::unique_ptr<DropSource> source, std::uint32_t& effect) = 0;
    virtual void dragOver(std::uint32_t& effect) = 0;
    virtual void dragLeave() = 0;
    virtual void drop() = 0;

protected:
    ~DropEvents() = default;
};

// ---- module resources ---------------------------------------------------------------------
// A resource of the module the toolkit is linked into: by name when `name` is not null, else
// by `number`.
struct ResourceName {
    const char* name = nullptr;
    std::uint16_t number = 0;
};
struct ResourceBytes {
    const void* data = nullptr; // stays valid while the module is loaded
    std::uint32_t size = 0;
};

// ---- the back end -------------------------------------------------------------------------
class ToolkitBackend {
public:
    virtual ~ToolkitBackend() = default;

    // -- 2-D library lifetime (GdiplusStartup / GdiplusShutdown) --
    // Starts the library (version 1, no debug callback, background thread and external codecs
    // not suppressed) and answers its token.
    virtual Status startup(std::uintptr_t& token) = 0;
    virtual void shutdown(std::uintptr_t token) = 0;

    // -- graphics objects --
    virtual Status createGraphicsFromDeviceContext(DeviceContextHandle dc, GraphicsHandle& out) = 0;
    // A graphics object drawing into `image` (GdipGetImageGraphicsContext).
    virtual Status createGraphicsOnImage(ImageHandle image, GraphicsHandle& out) = 0;
    virtual Status deleteGraphics(GraphicsHandle graphics) = 0;
    virtual Status setInterpolationMode(GraphicsHandle graphics, std::int32_t mode) = 0;
    virtual Status setPageUnit(GraphicsHandle graphics, std::int32_t unit) = 0;
    virtual Status setPixelOffsetMode(GraphicsHandle graphics, std::int32_t mode) = 0;
    virtual Status setSmoothingMode(GraphicsHandle graphics, std::int32_t mode) = 0;
    virtual Status setTextRenderingHint(GraphicsHandle graphics, std::int32_t hint) = 0;
    // GdipSetClipRectI: x, y, width, height in device pixels.
    virtual Status setClipRectI(GraphicsHandle graphics, std::int32_t x, std::int32_t y,
                                std::int32_t width, std::int32_t height,
                                std::int32_t combineMode) = 0;
    // Vertical resolution in dots per inch.
    virtual Status getDpiY(GraphicsHandle graphics, float& dpi) = 0;

    // -- pens and brushes (colours are ARGB: alpha in the top byte) --
    virtual Status createPen(std::uint32_t argb, float width, std::int32_t unit,
                             PenHandle& out) = 0;
    virtual Status setPenColor(PenHandle pen, std::uint32_t argb) = 0;
    virtual Status setPenWidth(PenHandle pen, float width) = 0;
    virtual Status setPenDashStyle(PenHandle pen, std::int32_t dashStyle) = 0;
    virtual Status deletePen(PenHandle pen) = 0;
    virtual Status createSolidFill(std::uint32_t argb, BrushHandle& out) = 0;
    virtual Status setSolidFillColor(BrushHandle brush, std::uint32_t argb) = 0;
    virtual Status deleteBrush(BrushHandle brush) = 0;

    // -- primitives --
    virtual Status drawLineI(GraphicsHandle graphics, PenHandle pen, std::int32_t x1,
                             std::int32_t y1, std::int32_t x2, std::int32_t y2) = 0;
    virtual Status drawRectangle(GraphicsHandle graphics, PenHandle pen, float x, float y,
                                 float width, float height) = 0;
    virtual Status fillRectangle(GraphicsHandle graphics, BrushHandle brush, float x, float y,
                                 float width, float height) = 0;
    virtual Status drawEllipseI(GraphicsHandle graphics, PenHandle pen, std::int32_t x,
                                std::int32_t y, std::int32_t width, std::int32_t height) = 0;
    virtual Status fillEllipseI(GraphicsHandle graphics, BrushHandle brush, std::int32_t x,
                                std::int32_t y, std::int32_t width, std::int32_t height) = 0;
    virtual Status createPath(std::int32_t fillMode, PathHandle& out) = 0;
    // Angles in degrees, clockwise from the positive x axis.
    virtual Status addPathArc(PathHandle path, float x, float y, float width, float height,
                              float startAngle, float sweepAngle) = 0;
    virtual Status drawPath(GraphicsHandle graphics, PenHandle pen, PathHandle path) = 0;
    virtual Status fillPath(GraphicsHandle graphics, BrushHandle brush, PathHandle path) = 0;
    virtual Status deletePath(PathHandle path) = 0;
    virtual Status drawLines(GraphicsHandle graphics, PenHandle pen, const PointF* points,
                             std::int32_t count) = 0;
    virtual Status drawPolygon(GraphicsHandle graphics, PenHandle pen, const PointF* points,
                               std::int32_t count) = 0;
    virtual Status fillPolygon(GraphicsHandle graphics, BrushHandle brush, const PointF* points,
                               std::int32_t count, std::int32_t fillMode) = 0;

    // -- text (UTF-16, `length` characters or -1 for terminated; no string format) --
    // The bounding box of the text laid out in `layout`.
    virtual Status measureString(GraphicsHandle graphics, const char16_t* text, std::int32_t length,
                                 FontHandle font, const RectF& layout, RectF& boundingBox) = 0;
    virtual Status drawString(GraphicsHandle graphics, const char16_t* text, std::int32_t length,
                              FontHandle font, const RectF& layout, BrushHandle brush) = 0;
    // Looks the family up among the installed fonts (no private collection).
    virtual Status createFontFamily(const char16_t* name, FontFamilyHandle& out) = 0;
    virtual Status deleteFontFamily(FontFamilyHandle family) = 0;
    virtual Status createFont(FontFamilyHandle family, float size, std::int32_t style,
                              std::int32_t unit, FontHandle& out) = 0;
    virtual Status deleteFont(FontHandle font) = 0;
    virtual Status getFontHeightGivenDpi(FontHandle font, float dpi, float& height) = 0;

    // -- images --
    // `pixels` may be null (the library allocates them; stride is then ignored).
    virtual Status createBitmapFromScan0(std::int32_t width, std::int32_t height,
                                         std::int32_t stride, std::int32_t pixelFormat,
                                         void* pixels, ImageHandle& out) = 0;
    // Decodes an encoded image (any format the platform decoder reads) held in memory. The
    // bytes stay valid while the module is loaded; the image may keep reading them.
    virtual Status createBitmapFromEncodedBytes(const void* data, std::uint32_t size,
                                                ImageHandle& out) = 0;
    // The module's own bitmap resource of that name or number.
    virtual Status createBitmapFromModuleResource(const ResourceName& name, ImageHandle& out) = 0;
    virtual Status createBitmapFromDeviceBitmap(DeviceBitmapHandle bitmap, ImageHandle& out) = 0;
    virtual Status cloneBitmapAreaI(std::int32_t x, std::int32_t y, std::int32_t width,
                                    std::int32_t height, std::int32_t pixelFormat,
                                    ImageHandle source, ImageHandle& out) = 0;
    virtual Status getImageWidth(ImageHandle image, std::uint32_t& width) = 0;
    virtual Status getImageHeight(ImageHandle image, std::uint32_t& height) = 0;
    // Draws the source area into the destination area, source unit pixels; `attributes` may be
    // null.
    virtual Status drawImageRectRectI(GraphicsHandle graphics, ImageHandle image, std::int32_t dstX,
                                      std::int32_t dstY, std::int32_t dstWidth,
                                      std::int32_t dstHeight, std::int32_t srcX, std::int32_t srcY,
                                      std::int32_t srcWidth, std::int32_t srcHeight,
                                      ImageAttributesHandle attributes) = 0;
    virtual Status disposeImage(ImageHandle image) = 0;
    // One pixel as ARGB (GdipBitmapGetPixel).
    virtual Status getBitmapPixel(ImageHandle image, std::int32_t x, std::int32_t y,
                                  std::uint32_t& argb) = 0;
    virtual Status createImageAttributes(ImageAttributesHandle& out) = 0;
    // `matrix` is 5 x 5, row by row; no grey matrix.
    virtual Status setImageAttributesColorMatrix(ImageAttributesHandle attributes,
                                                 std::int32_t adjustType, bool enabled,
                                                 const float* matrix, std::int32_t flags) = 0;
    virtual Status disposeImageAttributes(ImageAttributesHandle attributes) = 0;
    // Deletes a GDI bitmap (DeleteObject).
    virtual void deleteDeviceBitmap(DeviceBitmapHandle bitmap) = 0;

    // -- module resources --
    // The bytes of the module's resource of type "DATA"; false when there is none.
    virtual bool findDataResource(const ResourceName& name, ResourceBytes& out) = 0;

    // -- device contexts --
    virtual DeviceContextHandle getWindowDeviceContext(WindowHandle window) = 0; // GetDC
    virtual void releaseWindowDeviceContext(WindowHandle window, DeviceContextHandle dc) = 0;

    // -- the frame's window --
    // Registers the module's frame window class (its name, window procedure and arrow cursor
    // are the back end's). Called once per module by the first frame; false on failure.
    virtual bool registerFrameWindowClass() = 0;
    virtual void unregisterFrameWindowClass() = 0;
    // Creates the frame's child window "Window" inside `parent` at 0,0 (child, visible, clip
    // siblings, clip children; composited when asked) and stores `sink` as its user data once
    // created. Null on failure.
    virtual WindowHandle createFrameWindow(WindowHandle parent, std::int32_t width,
                                           std::int32_t height, bool composited,
                                           WindowMessageSink* sink) = 0;
    virtual void clearWindowUserData(WindowHandle window) = 0;
    virtual void destroyWindow(WindowHandle window) = 0;
    // Adds the rectangle to the window's update region.
    virtual void invalidateRect(WindowHandle window, const RectI& rect, bool erase) = 0;
    virtual void setCapture(WindowHandle window) = 0;
    virtual void releaseCapture() = 0;
    // Asks for one mouse-leave message for `window`; false if the request failed.
    virtual bool requestMouseLeaveNotice(WindowHandle window) = 0;
    virtual WindowHandle getParent(WindowHandle window) = 0;
    // The window's class name (at most 1023 characters).
    virtual std::u16string getClassName(WindowHandle window) = 0;
    // Screen rectangle of the window; false on failure (the rectangle is then zero).
    virtual bool getWindowRect(WindowHandle window, RectI& rect) = 0;
    // Resizes keeping position and z-order.
    virtual bool setWindowSize(WindowHandle window, std::int32_t width, std::int32_t height) = 0;
    // Maps points from one window's client coordinates to another's; null is the screen.
    virtual void mapWindowPoints(WindowHandle from, WindowHandle to, PointI* points,
                                 std::int32_t count) = 0;
    virtual std::uint32_t getWindowStyle(WindowHandle window) = 0;

    // -- cursor --
    virtual CursorHandle getCursor() = 0;
    virtual void setCursor(CursorHandle cursor) = 0;
    // Shows the system cursor of a shape: 1 wait, 2 horizontal resize, 3 vertical resize,
    // 4 move, 5 resize NE-SW, 6 resize NW-SE, 8 forbidden, 9 hand. Other shapes do nothing.
    virtual void setSystemCursor(std::int32_t shape) = 0;

    // -- pointer, keys, time and system facts --
    // Pointer position in screen coordinates; false on failure (then 0,0).
    virtual bool getCursorPosition(PointI& point) = 0;
    virtual bool isMessageKeyDown(MessageKey key) = 0;
    virtual bool isKeyPressedNow(PolledKey key) = 0;
    virtual bool areMouseButtonsSwapped() = 0;    // GetSystemMetrics(SM_SWAPBUTTON) > 0
    virtual std::int32_t dialogFrameHeight() = 0; // GetSystemMetrics(SM_CYDLGFRAME)
    virtual std::uint32_t osMajorVersion() = 0;
    virtual std::uint32_t tickCount() = 0;   // milliseconds
    virtual std::uint32_t messageTime() = 0; // of the message being handled
    virtual std::uint32_t doubleClickTime() = 0;
    // If a left-button-down message is waiting for this thread, removes it (no yield) and
    // answers true.
    virtual bool takeLeftButtonDownMessage() = 0;
    // Handles every window-system event waiting for the toolkit's own connection (exposures,
    // input, drops) and paints what is waiting to be painted. Only a back end that reads its
    // events itself needs it; where the system delivers messages to the window procedure
    // through the host's own message loop there is nothing to do.
    virtual void processPendingEvents() {}

    // -- OLE and drop registration --
    virtual std::int32_t oleInitialize() = 0; // the HRESULT
    virtual void oleUninitialize() = 0;
    // Registers a drop target for `window` that forwards its events to `events`.
    virtual bool registerDropTarget(WindowHandle window, DropEvents* events) = 0;
    virtual void revokeDropTarget(WindowHandle window) = 0;
};

// The back end in use: the installed one, else `defaultBackend()`.
ToolkitBackend& backend();
// Installs a back end (null returns to the default). The caller keeps ownership.
void installBackend(ToolkitBackend* backend);
// Defined by the back end library linked into the program.
ToolkitBackend& defaultBackend();

} // namespace VSTGUI::platform
