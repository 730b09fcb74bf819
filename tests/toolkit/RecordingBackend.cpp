// SPDX-License-Identifier: MIT
#include "RecordingBackend.h"

#include "toolkit/CFontDesc.h"

#include <cstdio>
#include <cstring>

namespace {

using namespace VSTGUI;

std::string num(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}
std::string num(std::int32_t value) {
    return std::to_string(value);
}
std::string num(std::uint32_t value) {
    return std::to_string(value);
}
std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", value);
    return text;
}
std::string narrow(const char16_t* text) {
    std::string out;
    for (; text && *text; ++text)
        out.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
    return out;
}
std::string points(const platform::PointF* p, std::int32_t count) {
    std::string out;
    for (std::int32_t i = 0; i < count; ++i) {
        if (i) out += ' ';
        out += num(p[i].x);
        out += ',';
        out += num(p[i].y);
    }
    return out;
}
std::string resource(const platform::ResourceName& name) {
    return name.name ? std::string("\"") + name.name + "\"" : "#" + num(std::int32_t{name.number});
}

test::RecordingBackend* g_current = nullptr;

// The log, scripted answers and handles of the recorder in use, for the seam's functions below.
void log(std::string entry) {
    test::recorder().log(std::move(entry));
}
platform::Status status(const std::string& operation) {
    return test::recorder().status(operation);
}
template <typename Handle>
Handle make(const std::string& kind) {
    return test::recorder().make<Handle>(kind);
}
void drop(const void* handle) {
    test::recorder().drop(handle);
}
std::string nameOf(const void* handle) {
    return test::recorder().nameOf(handle);
}

} // namespace

namespace VSTGUI::test {

RecordingBackend& recorder() {
    // Programs built with the recording back end use this one outside a scoped recorder.
    static auto* fallback = new RecordingBackend();
    return g_current ? *g_current : *fallback;
}

ScopedRecordingBackend::ScopedRecordingBackend() : m_previous(g_current) {
    g_current = &m_backend;
}

ScopedRecordingBackend::~ScopedRecordingBackend() {
    // The built-in fonts outlive every test: their platform fonts belong to this recorder.
    CFontDesc::freeBuiltInPlatformFonts();
    g_current = m_previous;
}

std::vector<std::string> RecordingBackend::callsOf(const std::string& operation) const {
    std::vector<std::string> out;
    for (const std::string& call : calls)
        if (call.compare(0, call.find('('), operation) == 0) out.push_back(call);
    return out;
}

std::string RecordingBackend::nameOf(const void* handle) const {
    if (!handle) return "none";
    const auto it = m_names.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == m_names.end() ? "?" : it->second;
}

platform::Status RecordingBackend::status(const std::string& operation) {
    auto queued = m_queuedStatus.find(operation);
    if (queued != m_queuedStatus.end() && !queued->second.empty()) {
        const platform::Status s = queued->second.front();
        queued->second.pop_front();
        return s;
    }
    const auto fixed = m_fixedStatus.find(operation);
    return fixed == m_fixedStatus.end() ? platform::kOk : fixed->second;
}

template <typename Handle>
Handle RecordingBackend::make(const std::string& kind) {
    const std::uintptr_t id = m_nextHandle;
    m_nextHandle += 0x10;
    m_names[id] = kind + std::to_string(++m_kindCounters[kind]);
    ++live[kind];
    // NOLINTNEXTLINE(performance-no-int-to-ptr): a fake handle, never dereferenced
    return reinterpret_cast<Handle>(id);
}

void RecordingBackend::drop(const void* handle) {
    const auto it = m_names.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == m_names.end()) return;
    std::string kind = it->second;
    while (!kind.empty() && kind.back() >= '0' && kind.back() <= '9')
        kind.pop_back();
    --live[kind];
}

platform::WindowHandle RecordingBackend::makeWindow(const platform::RectI& rect,
                                                    platform::WindowHandle parent) {
    auto handle = make<platform::WindowHandle>("window");
    Window& w = m_windows[handle];
    w.parent = parent;
    w.rect = rect;
    return handle;
}

bool RecordingBackend::send(platform::WindowHandle handle, const platform::WindowMessage& message,
                            platform::MessageAnswer* answer) {
    const auto it = m_windows.find(handle);
    if (it == m_windows.end() || !it->second.sink) return false;
    const platform::MessageAnswer a = it->second.sink->handleWindowMessage(message);
    if (answer) *answer = a;
    return true;
}

} // namespace VSTGUI::test

// ---- 2-D drawing ------------------------------------------------------------------------

namespace VSTGUI::platform::drawing2d {

platform::Status startup(std::uintptr_t& token) {
    test::RecordingBackend& r = test::recorder();
    log("startup()");
    ++r.startups;
    const platform::Status s = status("startup");
    if (s == platform::kOk) token = 0x70c;
    return s;
}

void shutdown(std::uintptr_t token) {
    test::RecordingBackend& r = test::recorder();
    log("shutdown(" + hex(static_cast<std::uint32_t>(token)) + ")");
    ++r.shutdowns;
}

platform::Status createGraphicsFromDeviceContext(platform::DeviceContextHandle dc,
                                                 platform::GraphicsHandle& out) {
    const platform::Status s = status("createGraphicsFromDeviceContext");
    if (s == platform::kOk) out = make<platform::GraphicsHandle>("g");
    log("createGraphicsFromDeviceContext(" + nameOf(dc) + ") -> " + nameOf(out));
    return s;
}

platform::Status createGraphicsOnImage(platform::ImageHandle image, platform::GraphicsHandle& out) {
    const platform::Status s = status("createGraphicsOnImage");
    if (s == platform::kOk) out = make<platform::GraphicsHandle>("g");
    log("createGraphicsOnImage(" + nameOf(image) + ") -> " + nameOf(out));
    return s;
}

platform::Status deleteGraphics(platform::GraphicsHandle graphics) {
    log("deleteGraphics(" + nameOf(graphics) + ")");
    drop(graphics);
    return status("deleteGraphics");
}

platform::Status setInterpolationMode(platform::GraphicsHandle graphics, std::int32_t mode) {
    log("setInterpolationMode(" + nameOf(graphics) + ", " + num(mode) + ")");
    return status("setInterpolationMode");
}

platform::Status setPageUnit(platform::GraphicsHandle graphics, std::int32_t unit) {
    log("setPageUnit(" + nameOf(graphics) + ", " + num(unit) + ")");
    return status("setPageUnit");
}

platform::Status setPixelOffsetMode(platform::GraphicsHandle graphics, std::int32_t mode) {
    log("setPixelOffsetMode(" + nameOf(graphics) + ", " + num(mode) + ")");
    return status("setPixelOffsetMode");
}

platform::Status setSmoothingMode(platform::GraphicsHandle graphics, std::int32_t mode) {
    log("setSmoothingMode(" + nameOf(graphics) + ", " + num(mode) + ")");
    return status("setSmoothingMode");
}

platform::Status setTextRenderingHint(platform::GraphicsHandle graphics, std::int32_t hint) {
    log("setTextRenderingHint(" + nameOf(graphics) + ", " + num(hint) + ")");
    return status("setTextRenderingHint");
}

platform::Status setClipRectI(platform::GraphicsHandle graphics, std::int32_t x, std::int32_t y,
                              std::int32_t width, std::int32_t height, std::int32_t combineMode) {
    log("setClipRectI(" + nameOf(graphics) + ", " + num(x) + ", " + num(y) + ", " + num(width) +
        ", " + num(height) + ", " + num(combineMode) + ")");
    return status("setClipRectI");
}

platform::Status getDpiY(platform::GraphicsHandle graphics, float& dpiOut) {
    test::RecordingBackend& r = test::recorder();
    log("getDpiY(" + nameOf(graphics) + ")");
    const platform::Status s = status("getDpiY");
    if (s == platform::kOk) dpiOut = r.dpi;
    return s;
}

platform::Status createPen(std::uint32_t argb, float width, std::int32_t unit,
                           platform::PenHandle& out) {
    const platform::Status s = status("createPen");
    if (s == platform::kOk) out = make<platform::PenHandle>("pen");
    log("createPen(" + hex(argb) + ", " + num(width) + ", " + num(unit) + ") -> " + nameOf(out));
    return s;
}

platform::Status setPenColor(platform::PenHandle pen, std::uint32_t argb) {
    log("setPenColor(" + nameOf(pen) + ", " + hex(argb) + ")");
    return status("setPenColor");
}

platform::Status setPenWidth(platform::PenHandle pen, float width) {
    log("setPenWidth(" + nameOf(pen) + ", " + num(width) + ")");
    return status("setPenWidth");
}

platform::Status setPenDashStyle(platform::PenHandle pen, std::int32_t dashStyle) {
    log("setPenDashStyle(" + nameOf(pen) + ", " + num(dashStyle) + ")");
    return status("setPenDashStyle");
}

platform::Status deletePen(platform::PenHandle pen) {
    log("deletePen(" + nameOf(pen) + ")");
    drop(pen);
    return status("deletePen");
}

platform::Status createSolidFill(std::uint32_t argb, platform::BrushHandle& out) {
    const platform::Status s = status("createSolidFill");
    if (s == platform::kOk) out = make<platform::BrushHandle>("brush");
    log("createSolidFill(" + hex(argb) + ") -> " + nameOf(out));
    return s;
}

platform::Status setSolidFillColor(platform::BrushHandle brush, std::uint32_t argb) {
    log("setSolidFillColor(" + nameOf(brush) + ", " + hex(argb) + ")");
    return status("setSolidFillColor");
}

platform::Status deleteBrush(platform::BrushHandle brush) {
    log("deleteBrush(" + nameOf(brush) + ")");
    drop(brush);
    return status("deleteBrush");
}

platform::Status drawLineI(platform::GraphicsHandle graphics, platform::PenHandle pen,
                           std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    log("drawLineI(" + nameOf(graphics) + ", " + nameOf(pen) + ", " + num(x1) + ", " + num(y1) +
        ", " + num(x2) + ", " + num(y2) + ")");
    return status("drawLineI");
}

platform::Status drawRectangle(platform::GraphicsHandle graphics, platform::PenHandle pen, float x,
                               float y, float width, float height) {
    log("drawRectangle(" + nameOf(graphics) + ", " + nameOf(pen) + ", " + num(x) + ", " + num(y) +
        ", " + num(width) + ", " + num(height) + ")");
    return status("drawRectangle");
}

platform::Status fillRectangle(platform::GraphicsHandle graphics, platform::BrushHandle brush,
                               float x, float y, float width, float height) {
    log("fillRectangle(" + nameOf(graphics) + ", " + nameOf(brush) + ", " + num(x) + ", " + num(y) +
        ", " + num(width) + ", " + num(height) + ")");
    return status("fillRectangle");
}

platform::Status drawEllipseI(platform::GraphicsHandle graphics, platform::PenHandle pen,
                              std::int32_t x, std::int32_t y, std::int32_t width,
                              std::int32_t height) {
    log("drawEllipseI(" + nameOf(graphics) + ", " + nameOf(pen) + ", " + num(x) + ", " + num(y) +
        ", " + num(width) + ", " + num(height) + ")");
    return status("drawEllipseI");
}

platform::Status fillEllipseI(platform::GraphicsHandle graphics, platform::BrushHandle brush,
                              std::int32_t x, std::int32_t y, std::int32_t width,
                              std::int32_t height) {
    log("fillEllipseI(" + nameOf(graphics) + ", " + nameOf(brush) + ", " + num(x) + ", " + num(y) +
        ", " + num(width) + ", " + num(height) + ")");
    return status("fillEllipseI");
}

platform::Status createPath(std::int32_t fillMode, platform::PathHandle& out) {
    const platform::Status s = status("createPath");
    if (s == platform::kOk) out = make<platform::PathHandle>("path");
    log("createPath(" + num(fillMode) + ") -> " + nameOf(out));
    return s;
}

platform::Status addPathArc(platform::PathHandle path, float x, float y, float width, float height,
                            float startAngle, float sweepAngle) {
    log("addPathArc(" + nameOf(path) + ", " + num(x) + ", " + num(y) + ", " + num(width) + ", " +
        num(height) + ", " + num(startAngle) + ", " + num(sweepAngle) + ")");
    return status("addPathArc");
}

platform::Status drawPath(platform::GraphicsHandle graphics, platform::PenHandle pen,
                          platform::PathHandle path) {
    log("drawPath(" + nameOf(graphics) + ", " + nameOf(pen) + ", " + nameOf(path) + ")");
    return status("drawPath");
}

platform::Status fillPath(platform::GraphicsHandle graphics, platform::BrushHandle brush,
                          platform::PathHandle path) {
    log("fillPath(" + nameOf(graphics) + ", " + nameOf(brush) + ", " + nameOf(path) + ")");
    return status("fillPath");
}

platform::Status deletePath(platform::PathHandle path) {
    log("deletePath(" + nameOf(path) + ")");
    drop(path);
    return status("deletePath");
}

platform::Status drawLines(platform::GraphicsHandle graphics, platform::PenHandle pen,
                           const platform::PointF* p, std::int32_t count) {
    log("drawLines(" + nameOf(graphics) + ", " + nameOf(pen) + ", " + points(p, count) + ")");
    return status("drawLines");
}

platform::Status drawPolygon(platform::GraphicsHandle graphics, platform::PenHandle pen,
                             const platform::PointF* p, std::int32_t count) {
    log("drawPolygon(" + nameOf(graphics) + ", " + nameOf(pen) + ", " + points(p, count) + ")");
    return status("drawPolygon");
}

platform::Status fillPolygon(platform::GraphicsHandle graphics, platform::BrushHandle brush,
                             const platform::PointF* p, std::int32_t count, std::int32_t fillMode) {
    log("fillPolygon(" + nameOf(graphics) + ", " + nameOf(brush) + ", " + points(p, count) + ", " +
        num(fillMode) + ")");
    return status("fillPolygon");
}

platform::Status measureString(platform::GraphicsHandle graphics, const char16_t* text,
                               std::int32_t length, platform::FontHandle font,
                               const platform::RectF& layout, platform::RectF& boundingBox) {
    test::RecordingBackend& r = test::recorder();
    log("measureString(" + nameOf(graphics) + ", \"" + narrow(text) + "\", " + num(length) + ", " +
        nameOf(font) + ", " + num(layout.x) + ", " + num(layout.y) + ", " + num(layout.width) +
        ", " + num(layout.height) + ")");
    platform::Status s = status("measureString");
    if (!font && s == platform::kOk) s = platform::kInvalidParameter;
    if (s == platform::kOk) boundingBox = platform::RectF{layout.x, layout.y, r.measuredWidth, 10};
    return s;
}

platform::Status drawString(platform::GraphicsHandle graphics, const char16_t* text,
                            std::int32_t length, platform::FontHandle font,
                            const platform::RectF& layout, platform::BrushHandle brush) {
    log("drawString(" + nameOf(graphics) + ", \"" + narrow(text) + "\", " + num(length) + ", " +
        nameOf(font) + ", " + num(layout.x) + ", " + num(layout.y) + ", " + num(layout.width) +
        ", " + num(layout.height) + ", " + nameOf(brush) + ")");
    return status("drawString");
}

platform::Status createFontFamily(const char16_t* name, platform::FontFamilyHandle& out) {
    test::RecordingBackend& r = test::recorder();
    platform::Status s = status("createFontFamily");
    if (s == platform::kOk && r.installedFamilies.count(name ? std::u16string(name) : u"") == 0)
        s = 14; // FontFamilyNotFound
    if (s == platform::kOk) out = make<platform::FontFamilyHandle>("family");
    log("createFontFamily(\"" + narrow(name) + "\") -> " + nameOf(out));
    return s;
}

platform::Status deleteFontFamily(platform::FontFamilyHandle family) {
    log("deleteFontFamily(" + nameOf(family) + ")");
    drop(family);
    return status("deleteFontFamily");
}

platform::Status createFont(platform::FontFamilyHandle family, float size, std::int32_t style,
                            std::int32_t unit, platform::FontHandle& out) {
    const platform::Status s = status("createFont");
    if (s == platform::kOk) out = make<platform::FontHandle>("font");
    log("createFont(" + nameOf(family) + ", " + num(size) + ", " + num(style) + ", " + num(unit) +
        ") -> " + nameOf(out));
    return s;
}

platform::Status deleteFont(platform::FontHandle font) {
    log("deleteFont(" + nameOf(font) + ")");
    drop(font);
    return status("deleteFont");
}

platform::Status getFontHeightGivenDpi(platform::FontHandle font, float dpiIn, float& height) {
    test::RecordingBackend& r = test::recorder();
    log("getFontHeightGivenDpi(" + nameOf(font) + ", " + num(dpiIn) + ")");
    platform::Status s = status("getFontHeightGivenDpi");
    if (!font && s == platform::kOk) s = platform::kInvalidParameter;
    if (s == platform::kOk) height = r.fontHeight;
    return s;
}

platform::Status createBitmapFromScan0(std::int32_t width, std::int32_t height, std::int32_t stride,
                                       std::int32_t pixelFormat, void* pixels,
                                       platform::ImageHandle& out) {
    test::RecordingBackend& r = test::recorder();
    platform::Status s = status("createBitmapFromScan0");
    if (s == platform::kOk && (width <= 0 || height <= 0)) s = platform::kInvalidParameter;
    if (s == platform::kOk) {
        out = make<platform::ImageHandle>("image");
        r.imageSizes[reinterpret_cast<std::uintptr_t>(out)] = {static_cast<std::uint32_t>(width),
                                                               static_cast<std::uint32_t>(height)};
    }
    log("createBitmapFromScan0(" + num(width) + ", " + num(height) + ", " + num(stride) + ", " +
        hex(static_cast<std::uint32_t>(pixelFormat)) + ", " + (pixels ? "pixels" : "none") +
        ") -> " + nameOf(out));
    return s;
}

platform::Status createBitmapFromEncodedBytes(const void* data, std::uint32_t size,
                                              platform::ImageHandle& out) {
    test::RecordingBackend& r = test::recorder();
    platform::Status s = status("createBitmapFromEncodedBytes");
    // The "encoding" of the tests: two 32-bit little-endian numbers, width then height.
    std::uint32_t w = 0;
    std::uint32_t h = 0;
    if (s == platform::kOk && size >= 8) {
        std::memcpy(&w, data, 4);
        std::memcpy(&h, static_cast<const unsigned char*>(data) + 4, 4);
    } else if (s == platform::kOk) {
        s = 2;
    }
    if (s == platform::kOk) {
        out = make<platform::ImageHandle>("image");
        r.imageSizes[reinterpret_cast<std::uintptr_t>(out)] = {w, h};
    }
    log("createBitmapFromEncodedBytes(" + num(size) + ") -> " + nameOf(out));
    return s;
}

platform::Status createBitmapFromModuleResource(const platform::ResourceName& name,
                                                platform::ImageHandle& out) {
    test::RecordingBackend& r = test::recorder();
    platform::Status s = status("createBitmapFromModuleResource");
    const auto it = name.name ? r.resourceImages.find(name.name) : r.resourceImages.end();
    if (s == platform::kOk && it == r.resourceImages.end()) s = 2;
    if (s == platform::kOk) {
        out = make<platform::ImageHandle>("image");
        r.imageSizes[reinterpret_cast<std::uintptr_t>(out)] = it->second;
    }
    log("createBitmapFromModuleResource(" + resource(name) + ") -> " + nameOf(out));
    return s;
}

platform::Status createBitmapFromDeviceBitmap(platform::DeviceBitmapHandle bitmap,
                                              platform::ImageHandle& out) {
    log("createBitmapFromDeviceBitmap(" + nameOf(bitmap) + ")");
    (void)out;
    return platform::kNotImplemented;
}

platform::Status cloneBitmapAreaI(std::int32_t x, std::int32_t y, std::int32_t width,
                                  std::int32_t height, std::int32_t pixelFormat,
                                  platform::ImageHandle source, platform::ImageHandle& out) {
    test::RecordingBackend& r = test::recorder();
    platform::Status s = status("cloneBitmapAreaI");
    if (s == platform::kOk && (!source || width <= 0 || height <= 0))
        s = platform::kInvalidParameter;
    if (s == platform::kOk) {
        out = make<platform::ImageHandle>("image");
        r.imageSizes[reinterpret_cast<std::uintptr_t>(out)] = {static_cast<std::uint32_t>(width),
                                                               static_cast<std::uint32_t>(height)};
    }
    log("cloneBitmapAreaI(" + num(x) + ", " + num(y) + ", " + num(width) + ", " + num(height) +
        ", " + hex(static_cast<std::uint32_t>(pixelFormat)) + ", " + nameOf(source) + ") -> " +
        nameOf(out));
    return s;
}

platform::Status getImageWidth(platform::ImageHandle image, std::uint32_t& width) {
    test::RecordingBackend& r = test::recorder();
    log("getImageWidth(" + nameOf(image) + ")");
    const auto it = r.imageSizes.find(reinterpret_cast<std::uintptr_t>(image));
    if (it == r.imageSizes.end()) return platform::kInvalidParameter;
    width = it->second.first;
    return status("getImageWidth");
}

platform::Status getImageHeight(platform::ImageHandle image, std::uint32_t& height) {
    test::RecordingBackend& r = test::recorder();
    log("getImageHeight(" + nameOf(image) + ")");
    const auto it = r.imageSizes.find(reinterpret_cast<std::uintptr_t>(image));
    if (it == r.imageSizes.end()) return platform::kInvalidParameter;
    height = it->second.second;
    return status("getImageHeight");
}

platform::Status drawImageRectRectI(platform::GraphicsHandle graphics, platform::ImageHandle image,
                                    std::int32_t dstX, std::int32_t dstY, std::int32_t dstWidth,
                                    std::int32_t dstHeight, std::int32_t srcX, std::int32_t srcY,
                                    std::int32_t srcWidth, std::int32_t srcHeight,
                                    platform::ImageAttributesHandle attributes) {
    log("drawImageRectRectI(" + nameOf(graphics) + ", " + nameOf(image) + ", " + num(dstX) + ", " +
        num(dstY) + ", " + num(dstWidth) + ", " + num(dstHeight) + ", " + num(srcX) + ", " +
        num(srcY) + ", " + num(srcWidth) + ", " + num(srcHeight) + ", " + nameOf(attributes) + ")");
    return status("drawImageRectRectI");
}

platform::Status disposeImage(platform::ImageHandle image) {
    test::RecordingBackend& r = test::recorder();
    log("disposeImage(" + nameOf(image) + ")");
    drop(image);
    r.imageSizes.erase(reinterpret_cast<std::uintptr_t>(image));
    return status("disposeImage");
}

platform::Status createImageAttributes(platform::ImageAttributesHandle& out) {
    const platform::Status s = status("createImageAttributes");
    if (s == platform::kOk) out = make<platform::ImageAttributesHandle>("attributes");
    log("createImageAttributes() -> " + nameOf(out));
    return s;
}

platform::Status setImageAttributesColorMatrix(platform::ImageAttributesHandle attributes,
                                               std::int32_t adjustType, bool enabled,
                                               const float* matrix, std::int32_t flags) {
    std::string m;
    for (int i = 0; i < 25; ++i) {
        if (i) m += ' ';
        m += num(matrix[i]);
    }
    log("setImageAttributesColorMatrix(" + nameOf(attributes) + ", " + num(adjustType) + ", " +
        (enabled ? "on" : "off") + ", [" + m + "], " + num(flags) + ")");
    return status("setImageAttributesColorMatrix");
}

platform::Status disposeImageAttributes(platform::ImageAttributesHandle attributes) {
    log("disposeImageAttributes(" + nameOf(attributes) + ")");
    drop(attributes);
    return status("disposeImageAttributes");
}

void deleteDeviceBitmap(platform::DeviceBitmapHandle bitmap) {
    log("deleteDeviceBitmap(" + nameOf(bitmap) + ")");
}

} // namespace VSTGUI::platform::drawing2d

// ---- the window system ------------------------------------------------------------------

namespace VSTGUI::platform::window_system {

bool findDataResource(const platform::ResourceName& name, platform::ResourceBytes& out) {
    test::RecordingBackend& r = test::recorder();
    log("findDataResource(" + resource(name) + ")");
    if (!name.name) return false;
    const auto it = r.dataResources.find(name.name);
    if (it == r.dataResources.end()) return false;
    out.data = it->second.data();
    out.size = static_cast<std::uint32_t>(it->second.size());
    return true;
}

platform::DeviceContextHandle getWindowDeviceContext(platform::WindowHandle window) {
    auto dc = make<platform::DeviceContextHandle>("dc");
    log("getWindowDeviceContext(" + nameOf(window) + ") -> " + nameOf(dc));
    return dc;
}

void releaseWindowDeviceContext(platform::WindowHandle window, platform::DeviceContextHandle dc) {
    log("releaseWindowDeviceContext(" + nameOf(window) + ", " + nameOf(dc) + ")");
    drop(dc);
}

bool registerFrameWindowClass() {
    test::RecordingBackend& r = test::recorder();
    log("registerFrameWindowClass()");
    ++r.classRegistrations;
    r.classRegistered = true;
    return true;
}

void unregisterFrameWindowClass() {
    test::RecordingBackend& r = test::recorder();
    log("unregisterFrameWindowClass()");
    ++r.classUnregistrations;
    r.classRegistered = false;
}

platform::WindowHandle createFrameWindow(platform::WindowHandle parent, std::int32_t width,
                                         std::int32_t height, platform::WindowMessageSink* sink) {
    test::RecordingBackend& r = test::recorder();
    platform::RectI rect;
    if (r.hasWindow(parent)) rect = r.window(parent).rect;
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    auto handle = r.makeWindow(rect, parent);
    r.window(handle).sink = sink;
    r.lastCreatedWindow = handle;
    log("createFrameWindow(" + nameOf(parent) + ", " + num(width) + ", " + num(height) + ") -> " +
        nameOf(handle));
    return handle;
}

void clearWindowUserData(platform::WindowHandle window) {
    test::RecordingBackend& r = test::recorder();
    log("clearWindowUserData(" + nameOf(window) + ")");
    if (r.hasWindow(window)) r.window(window).sink = nullptr;
}

void destroyWindow(platform::WindowHandle window) {
    test::RecordingBackend& r = test::recorder();
    log("destroyWindow(" + nameOf(window) + ")");
    if (!r.hasWindow(window)) return;
    // As the system does: the window gets its destroy message before it goes.
    platform::WindowMessage message;
    message.kind = platform::MessageKind::destroy;
    r.send(window, message);
    r.window(window).destroyed = true;
}

void invalidateRect(platform::WindowHandle window, const platform::RectI& rect, bool erase) {
    log("invalidateRect(" + nameOf(window) + ", " + num(rect.left) + ", " + num(rect.top) + ", " +
        num(rect.right) + ", " + num(rect.bottom) + ", " + (erase ? "erase" : "keep") + ")");
}

void setCapture(platform::WindowHandle window) {
    test::RecordingBackend& r = test::recorder();
    log("setCapture(" + nameOf(window) + ")");
    r.capture = window;
}

void releaseCapture() {
    test::RecordingBackend& r = test::recorder();
    log("releaseCapture()");
    r.capture = nullptr;
}

bool requestMouseLeaveNotice(platform::WindowHandle window) {
    log("requestMouseLeaveNotice(" + nameOf(window) + ")");
    return status("requestMouseLeaveNotice") == platform::kOk;
}

platform::WindowHandle getParent(platform::WindowHandle window) {
    test::RecordingBackend& r = test::recorder();
    return r.hasWindow(window) ? r.window(window).parent : nullptr;
}

bool getWindowRect(platform::WindowHandle window, platform::RectI& rect) {
    test::RecordingBackend& r = test::recorder();
    if (!r.hasWindow(window)) {
        rect = platform::RectI();
        return false;
    }
    rect = r.window(window).rect;
    return true;
}

void mapWindowPoints(platform::WindowHandle from, platform::WindowHandle to, platform::PointI* p,
                     std::int32_t count) {
    log("mapWindowPoints(" + nameOf(from) + ", " + nameOf(to) + ")");
    platform::RectI fromRect;
    platform::RectI toRect;
    getWindowRect(from, fromRect);
    getWindowRect(to, toRect);
    for (std::int32_t i = 0; i < count; ++i) {
        p[i].x += fromRect.left - toRect.left;
        p[i].y += fromRect.top - toRect.top;
    }
}

platform::CursorHandle getCursor() {
    test::RecordingBackend& r = test::recorder();
    log("getCursor()");
    return r.currentCursor;
}

void setCursor(platform::CursorHandle cursor) {
    test::RecordingBackend& r = test::recorder();
    log("setCursor(" + hex(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(cursor))) +
        ")");
    r.currentCursor = cursor;
}

void setSystemCursor(std::int32_t shape) {
    log("setSystemCursor(" + num(shape) + ")");
}

bool getCursorPosition(platform::PointI& point) {
    test::RecordingBackend& r = test::recorder();
    if (!r.cursorPath.empty()) {
        point = r.cursorPath.front();
        r.cursorPath.pop_front();
    } else {
        point = r.cursor;
    }
    return true;
}

bool isMessageKeyDown(platform::MessageKey key) {
    test::RecordingBackend& r = test::recorder();
    return r.messageKeysDown.count(key) != 0;
}

bool isKeyPressedNow(platform::PolledKey key) {
    test::RecordingBackend& r = test::recorder();
    return r.pressedNow.count(key) != 0;
}

bool areMouseButtonsSwapped() {
    test::RecordingBackend& r = test::recorder();
    return r.swappedButtons;
}

std::uint32_t tickCount() {
    test::RecordingBackend& r = test::recorder();
    const std::uint32_t now = r.ticks.front();
    if (r.ticks.size() > 1) r.ticks.pop_front();
    return now;
}

std::uint32_t messageTime() {
    test::RecordingBackend& r = test::recorder();
    return r.msgTime;
}

std::uint32_t doubleClickTime() {
    test::RecordingBackend& r = test::recorder();
    return r.dblClickTime;
}

bool takeLeftButtonDownMessage() {
    test::RecordingBackend& r = test::recorder();
    if (r.pendingLeftDowns <= 0) return false;
    --r.pendingLeftDowns;
    log("takeLeftButtonDownMessage()");
    return true;
}

bool registerDropTarget(platform::WindowHandle window, platform::DropEvents* events) {
    test::RecordingBackend& r = test::recorder();
    log("registerDropTarget(" + nameOf(window) + ")");
    if (!r.hasWindow(window)) return false;
    r.window(window).dropRegistered = true;
    r.window(window).dropEvents = events;
    return true;
}

void revokeDropTarget(platform::WindowHandle window) {
    test::RecordingBackend& r = test::recorder();
    log("revokeDropTarget(" + nameOf(window) + ")");
    if (!r.hasWindow(window)) return;
    r.window(window).dropRegistered = false;
    r.window(window).dropEvents = nullptr;
}

bool beginThreadUse() {
    test::RecordingBackend& r = test::recorder();
    log("beginThreadUse()");
    return r.threadUseBegins;
}

void endThreadUse() {
    log("endThreadUse()");
}

bool areWindowsDoubleBuffered() {
    return test::recorder().doubleBuffered;
}

bool resizeFrameWindow(platform::WindowHandle window, std::int32_t width, std::int32_t height) {
    test::RecordingBackend& r = test::recorder();
    log("resizeFrameWindow(" + nameOf(window) + ", " + num(width) + ", " + num(height) + ")");
    if (r.hasWindow(window)) {
        platform::RectI& rect = r.window(window).rect;
        rect.right = rect.left + width;
        rect.bottom = rect.top + height;
    }
    return r.resizeAccepted;
}

bool hasTitleBar(platform::WindowHandle window) {
    test::RecordingBackend& r = test::recorder();
    return r.hasWindow(window) && r.window(window).titleBar;
}

void handlePendingEvents() {
    log("handlePendingEvents()");
}

void paintPendingUpdate(platform::WindowHandle window) {
    log("paintPendingUpdate(" + nameOf(window) + ")");
}

void handleOnePendingPaint() {
    log("handleOnePendingPaint()");
}

void sleep(std::uint32_t milliseconds) {
    log("sleep(" + num(milliseconds) + ")");
}

} // namespace VSTGUI::platform::window_system
