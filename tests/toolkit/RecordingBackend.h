// SPDX-License-Identifier: MIT
// A back end that draws nothing: it logs every platform call with its arguments (handles by
// the names it gave them, e.g. "pen1"), answers the statuses a test scripts (0 by default),
// and plays a tiny window system (windows with rectangles, parents and class names, a pointer,
// key states, a clock) so that the portable toolkit can be driven without a display.
#pragma once

#include "toolkit/platform/ToolkitBackend.h"

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace VSTGUI::test {

class RecordingBackend : public platform::ToolkitBackend {
public:
    // ---- the log ----
    std::vector<std::string> calls;
    void clearLog() { calls.clear(); }
    // Entries whose operation name (the text before '(') is `operation`.
    std::vector<std::string> callsOf(const std::string& operation) const;
    std::size_t count(const std::string& operation) const { return callsOf(operation).size(); }
    // Name of a handle in the log ("none" for null).
    std::string nameOf(const void* handle) const;

    // ---- scripting ----
    // Every later call of `operation` answers `status`.
    void failAlways(const std::string& operation, platform::Status status) {
        m_fixedStatus[operation] = status;
    }
    // The next call of `operation` answers `status` (queued, once each).
    void failNext(const std::string& operation, platform::Status status) {
        m_queuedStatus[operation].push_back(status);
    }

    float dpi = 96.0f;
    float fontHeight = 14.0f;
    float measuredWidth = 50.0f;
    std::set<std::u16string> installedFamilies{u"Arial", u"Symbol"};
    // Size of every image the back end makes (decoded, loaded or made from pixels take their
    // own sizes where given).
    std::map<std::string, std::pair<std::uint32_t, std::uint32_t>> resourceImages; // by name
    std::map<std::string, std::vector<unsigned char>> dataResources;               // by name

    platform::PointI cursor;
    std::set<platform::PolledKey> pressedNow;
    std::set<platform::MessageKey> messageKeysDown;
    bool swappedButtons = false;
    std::int32_t dialogFrame = 0;
    std::uint32_t osMajor = 10;
    std::int32_t oleResult = platform::kHResultOk;
    // Ticks: each read answers the next value of the queue, then the last value forever.
    std::deque<std::uint32_t> ticks{1000};
    std::uint32_t msgTime = 1000;
    std::uint32_t dblClickTime = 500;
    // Left-button-down messages waiting (taken one per call).
    int pendingLeftDowns = 0;
    // Pointer positions read one after another while waiting (then `cursor`).
    std::deque<platform::PointI> cursorPath;

    // ---- the window system ----
    struct Window {
        platform::WindowHandle parent = nullptr;
        platform::RectI rect; // screen rectangle
        std::u16string className = u"HostWindow";
        std::uint32_t style = 0;
        platform::WindowMessageSink* sink = nullptr;
        bool destroyed = false;
        bool dropRegistered = false;
        platform::DropEvents* dropEvents = nullptr;
    };
    // Makes a window the tests use as a host's parent window.
    platform::WindowHandle makeWindow(const platform::RectI& rect,
                                      platform::WindowHandle parent = nullptr,
                                      const std::u16string& className = u"HostWindow");
    Window& window(platform::WindowHandle handle) { return m_windows.at(handle); }
    bool hasWindow(platform::WindowHandle handle) const { return m_windows.count(handle) != 0; }
    // Delivers a message to the window's sink as the window procedure would; answers whether
    // a sink was there, with its answer.
    bool send(platform::WindowHandle handle, const platform::WindowMessage& message,
              platform::MessageAnswer* answer = nullptr);
    int classRegistrations = 0;
    int classUnregistrations = 0;
    bool classRegistered = false;
    platform::WindowHandle lastCreatedWindow = nullptr;
    platform::WindowHandle capture = nullptr;
    int startups = 0;
    int shutdowns = 0;
    platform::CursorHandle currentCursor = nullptr;
    // Live native objects by kind (for leak checks).
    std::map<std::string, int> live;

    // ---- the interface ----
    platform::Status startup(std::uintptr_t& token) override;
    void shutdown(std::uintptr_t token) override;
    platform::Status createGraphicsFromDeviceContext(platform::DeviceContextHandle dc,
                                                     platform::GraphicsHandle& out) override;
    platform::Status createGraphicsOnImage(platform::ImageHandle image,
                                           platform::GraphicsHandle& out) override;
    platform::Status deleteGraphics(platform::GraphicsHandle graphics) override;
    platform::Status setInterpolationMode(platform::GraphicsHandle graphics,
                                          std::int32_t mode) override;
    platform::Status setPageUnit(platform::GraphicsHandle graphics, std::int32_t unit) override;
    platform::Status setPixelOffsetMode(platform::GraphicsHandle graphics,
                                        std::int32_t mode) override;
    platform::Status setSmoothingMode(platform::GraphicsHandle graphics,
                                      std::int32_t mode) override;
    platform::Status setTextRenderingHint(platform::GraphicsHandle graphics,
                                          std::int32_t hint) override;
    platform::Status setClipRectI(platform::GraphicsHandle graphics, std::int32_t x, std::int32_t y,
                                  std::int32_t width, std::int32_t height,
                                  std::int32_t combineMode) override;
    platform::Status getDpiY(platform::GraphicsHandle graphics, float& dpiOut) override;
    platform::Status createPen(std::uint32_t argb, float width, std::int32_t unit,
                               platform::PenHandle& out) override;
    platform::Status setPenColor(platform::PenHandle pen, std::uint32_t argb) override;
    platform::Status setPenWidth(platform::PenHandle pen, float width) override;
    platform::Status setPenDashStyle(platform::PenHandle pen, std::int32_t dashStyle) override;
    platform::Status deletePen(platform::PenHandle pen) override;
    platform::Status createSolidFill(std::uint32_t argb, platform::BrushHandle& out) override;
    platform::Status setSolidFillColor(platform::BrushHandle brush, std::uint32_t argb) override;
    platform::Status deleteBrush(platform::BrushHandle brush) override;
    platform::Status drawLineI(platform::GraphicsHandle graphics, platform::PenHandle pen,
                               std::int32_t x1, std::int32_t y1, std::int32_t x2,
                               std::int32_t y2) override;
    platform::Status drawRectangle(platform::GraphicsHandle graphics, platform::PenHandle pen,
                                   float x, float y, float width, float height) override;
    platform::Status fillRectangle(platform::GraphicsHandle graphics, platform::BrushHandle brush,
                                   float x, float y, float width, float height) override;
    platform::Status drawEllipseI(platform::GraphicsHandle graphics, platform::PenHandle pen,
                                  std::int32_t x, std::int32_t y, std::int32_t width,
                                  std::int32_t height) override;
    platform::Status fillEllipseI(platform::GraphicsHandle graphics, platform::BrushHandle brush,
                                  std::int32_t x, std::int32_t y, std::int32_t width,
                                  std::int32_t height) override;
    platform::Status createPath(std::int32_t fillMode, platform::PathHandle& out) override;
    platform::Status addPathArc(platform::PathHandle path, float x, float y, float width,
                                float height, float startAngle, float sweepAngle) override;
    platform::Status drawPath(platform::GraphicsHandle graphics, platform::PenHandle pen,
                              platform::PathHandle path) override;
    platform::Status fillPath(platform::GraphicsHandle graphics, platform::BrushHandle brush,
                              platform::PathHandle path) override;
    platform::Status deletePath(platform::PathHandle path) override;
    platform::Status drawLines(platform::GraphicsHandle graphics, platform::PenHandle pen,
                               const platform::PointF* points, std::int32_t count) override;
    platform::Status drawPolygon(platform::GraphicsHandle graphics, platform::PenHandle pen,
                                 const platform::PointF* points, std::int32_t count) override;
    platform::Status fillPolygon(platform::GraphicsHandle graphics, platform::BrushHandle brush,
                                 const platform::PointF* points, std::int32_t count,
                                 std::int32_t fillMode) override;
    platform::Status measureString(platform::GraphicsHandle graphics, const char16_t* text,
                                   std::int32_t length, platform::FontHandle font,
                                   const platform::RectF& layout,
                                   platform::RectF& boundingBox) override;
    platform::Status drawString(platform::GraphicsHandle graphics, const char16_t* text,
                                std::int32_t length, platform::FontHandle font,
                                const platform::RectF& layout,
                                platform::BrushHandle brush) override;
    platform::Status createFontFamily(const char16_t* name,
                                      platform::FontFamilyHandle& out) override;
    platform::Status deleteFontFamily(platform::FontFamilyHandle family) override;
    platform::Status createFont(platform::FontFamilyHandle family, float size, std::int32_t style,
                                std::int32_t unit, platform::FontHandle& out) override;
    platform::Status deleteFont(platform::FontHandle font) override;
    platform::Status getFontHeightGivenDpi(platform::FontHandle font, float dpiIn,
                                           float& height) override;
    platform::Status createBitmapFromScan0(std::int32_t width, std::int32_t height,
                                           std::int32_t stride, std::int32_t pixelFormat,
                                           void* pixels, platform::ImageHandle& out) override;
    platform::Status createBitmapFromEncodedBytes(const void* data, std::uint32_t size,
                                                  platform::ImageHandle& out) override;
    platform::Status createBitmapFromModuleResource(const platform::ResourceName& name,
                                                    platform::ImageHandle& out) override;
    platform::Status createBitmapFromDeviceBitmap(platform::DeviceBitmapHandle bitmap,
                                                  platform::ImageHandle& out) override;
    platform::Status cloneBitmapAreaI(std::int32_t x, std::int32_t y, std::int32_t width,
                                      std::int32_t height, std::int32_t pixelFormat,
                                      platform::ImageHandle source,
                                      platform::ImageHandle& out) override;
    platform::Status getImageWidth(platform::ImageHandle image, std::uint32_t& width) override;
    platform::Status getImageHeight(platform::ImageHandle image, std::uint32_t& height) override;
    platform::Status drawImageRectRectI(platform::GraphicsHandle graphics,
                                        platform::ImageHandle image, std::int32_t dstX,
                                        std::int32_t dstY, std::int32_t dstWidth,
                                        std::int32_t dstHeight, std::int32_t srcX,
                                        std::int32_t srcY, std::int32_t srcWidth,
                                        std::int32_t srcHeight,
                                        platform::ImageAttributesHandle attributes) override;
    platform::Status disposeImage(platform::ImageHandle image) override;
    platform::Status getBitmapPixel(platform::ImageHandle image, std::int32_t x, std::int32_t y,
                                    std::uint32_t& argb) override;
    platform::Status createImageAttributes(platform::ImageAttributesHandle& out) override;
    platform::Status setImageAttributesColorMatrix(platform::ImageAttributesHandle attributes,
                                                   std::int32_t adjustType, bool enabled,
                                                   const float* matrix,
                                                   std::int32_t flags) override;
    platform::Status disposeImageAttributes(platform::ImageAttributesHandle attributes) override;
    void deleteDeviceBitmap(platform::DeviceBitmapHandle bitmap) override;
    bool findDataResource(const platform::ResourceName& name,
                          platform::ResourceBytes& out) override;
    platform::DeviceContextHandle getWindowDeviceContext(platform::WindowHandle window) override;
    void releaseWindowDeviceContext(platform::WindowHandle window,
                                    platform::DeviceContextHandle dc) override;
    bool registerFrameWindowClass() override;
    void unregisterFrameWindowClass() override;
    platform::WindowHandle createFrameWindow(platform::WindowHandle parent, std::int32_t width,
                                             std::int32_t height, bool composited,
                                             platform::WindowMessageSink* sink) override;
    void clearWindowUserData(platform::WindowHandle handle) override;
    void destroyWindow(platform::WindowHandle handle) override;
    void invalidateRect(platform::WindowHandle handle, const platform::RectI& rect,
                        bool erase) override;
    void setCapture(platform::WindowHandle handle) override;
    void releaseCapture() override;
    bool requestMouseLeaveNotice(platform::WindowHandle handle) override;
    platform::WindowHandle getParent(platform::WindowHandle handle) override;
    std::u16string getClassName(platform::WindowHandle handle) override;
    bool getWindowRect(platform::WindowHandle handle, platform::RectI& rect) override;
    bool setWindowSize(platform::WindowHandle handle, std::int32_t width,
                       std::int32_t height) override;
    void mapWindowPoints(platform::WindowHandle from, platform::WindowHandle to,
                         platform::PointI* points, std::int32_t count) override;
    std::uint32_t getWindowStyle(platform::WindowHandle handle) override;
    platform::CursorHandle getCursor() override;
    void setCursor(platform::CursorHandle handle) override;
    void setSystemCursor(std::int32_t shape) override;
    bool getCursorPosition(platform::PointI& point) override;
    bool isMessageKeyDown(platform::MessageKey key) override;
    bool isKeyPressedNow(platform::PolledKey key) override;
    bool areMouseButtonsSwapped() override;
    std::int32_t dialogFrameHeight() override;
    std::uint32_t osMajorVersion() override;
    std::uint32_t tickCount() override;
    std::uint32_t messageTime() override;
    std::uint32_t doubleClickTime() override;
    bool takeLeftButtonDownMessage() override;
    std::int32_t oleInitialize() override;
    void oleUninitialize() override;
    bool registerDropTarget(platform::WindowHandle handle, platform::DropEvents* events) override;
    void revokeDropTarget(platform::WindowHandle handle) override;

private:
    platform::Status status(const std::string& operation);
    template <typename Handle>
    Handle make(const std::string& kind);
    void drop(const void* handle);
    void log(std::string entry) { calls.push_back(std::move(entry)); }

    std::map<std::string, platform::Status> m_fixedStatus;
    std::map<std::string, std::deque<platform::Status>> m_queuedStatus;
    std::uintptr_t m_nextHandle = 0x1000;
    std::map<std::string, int> m_kindCounters;
    std::map<std::uintptr_t, std::string> m_names;
    std::map<std::uintptr_t, std::pair<std::uint32_t, std::uint32_t>> m_imageSizes;
    std::map<platform::WindowHandle, Window> m_windows;
};

// Installs a fresh recording back end for the life of the object.
class ScopedRecordingBackend {
public:
    ScopedRecordingBackend();
    ~ScopedRecordingBackend();
    ScopedRecordingBackend(const ScopedRecordingBackend&) = delete;
    ScopedRecordingBackend& operator=(const ScopedRecordingBackend&) = delete;
    RecordingBackend& operator*() { return m_backend; }
    RecordingBackend* operator->() { return &m_backend; }

private:
    RecordingBackend m_backend;
};

} // namespace VSTGUI::test
