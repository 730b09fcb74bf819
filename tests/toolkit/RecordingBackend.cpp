// SPDX-License-Identifier: MIT
#include "RecordingBackend.h"

#include "toolkit/CFontDesc.h"

#include <cstdio>
#include <cstring>

namespace VSTGUI::platform {
// Programs built with the recording back end use it unless a test installs another one.
ToolkitBackend& defaultBackend() {
    static auto* fallback = new test::RecordingBackend();
    return *fallback;
}
} // namespace VSTGUI::platform

namespace VSTGUI::test {

namespace {

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

} // namespace

ScopedRecordingBackend::ScopedRecordingBackend() {
    platform::installBackend(&m_backend);
}

ScopedRecordingBackend::~ScopedRecordingBackend() {
    // The built-in fonts outlive every test: their platform fonts belong to this back end.
    CFontDesc::freeBuiltInPlatformFonts();
    platform::installBackend(nullptr);
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

// ---- library ----------------------------------------------------------------------------

platform::Status RecordingBackend::startup(std::uintptr_t& token) {
    log("startup()");
    ++startups;
    const platform::Status s = status("startup");
    if (s == platform::kOk) token = 0x70c;
    return s;
}
void RecordingBackend::shutdown(std::uintptr_t token) {
    log("shutdown(" + hex(static_cast<std::uint32_t>(token)) + ")");
    ++shutdowns;
}

// ---- graphics ---------------------------------------------------------------------------

platform::Status RecordingBackend::createGraphicsFromDeviceContext(platform::DeviceContextHandle dc,
                                                                   platform::GraphicsHandle& out) {
    const platform::Status s = status("createGraphicsFromDeviceContext");
    if (s == platform::kOk) out = make<platform::GraphicsHandle>("g");
    log("createGraphicsFromDeviceContext(" + nameOf(dc) + ") -> " + nameOf(out));
    return s;
}
platform::Status RecordingBackend::createGraphicsOnImage(platform::ImageHandle image,
                                                         platform::GraphicsHandle& out) {
    const platform::Status s = status("createGraphicsOnImage");
    if (s == platform::kOk) out = make<platform::GraphicsHandle>("g");
    log("createGraphicsOnImage(" + nameOf(image) + ") -> " + nameOf(out));
    return s;
}
platform::Status RecordingBackend::deleteGraphics(platform::GraphicsHandle graphics) {
    log("deleteGraphics(" + nameOf(graphics) + ")");
    drop(graphics);
    return status("deleteGraphics");
}
platform::Status RecordingBackend::setInterpolationMode(platform::GraphicsHandle graphics,
                                                        std::int32_t mode) {
    log("setInterpolationMode(" + nameOf(graphics) + ", " + num(mode) + ")");
    return status("setInterpolationMode");
}
platform::Status RecordingBackend::setPageUnit(platform::GraphicsHandle graphics,
                                               std::int32_t unit) {
    log("setPageUnit(" + nameOf(graphics) + ", " + num(unit) + ")");
    return status("setPageUnit");
}
platform::Status RecordingBackend::setPixelOffsetMode(platform::GraphicsHandle graphics,
                                                      std::int32_t mode) {
    log("setPixelOffsetMode(" + nameOf(graphics) + ", " + num(mode) + ")");
    return status("setPixelOffsetMode");
}
platform::Status RecordingBackend::setSmoothingMode(platform::GraphicsHandle graphics,
                                                    std::int32_t mode) {
    log("setSmoothingMode(" + nameOf(graphics) + ", " + num(mode) + ")");
    return status("setSmoothingMode");
}
platform::Status RecordingBackend::setTextRenderingHint(platform::GraphicsHandle graphics,
                                                        std::int32_t hint) {
    log("setTextRenderingHint(" + nameOf(graphics) + ", " + num(hint) + ")");
    return status("setTextRenderingHint");
}
platform::Status RecordingBackend::setClipRectI(platform::GraphicsHandle graphics, std::int32_t x,
                                                std::int32_t y, std::int32_t width,
                                                std::int32_t height, std::int32_t combineMode) {
    log("setClipRectI(" + nameOf(graphics) + ", " + num(x) + ", " + num(y) + ", " + num(width) +
        ", " + num(height) + ", " + num(combineMode) + ")");
    return status("setClipRectI");
}
platform::Status RecordingBackend::getDpiY(platform::GraphicsHandle graphics, float& dpiOut) {
    log("getDpiY(" + nameOf(graphics) + ")");
    const platform::Status s = status("getDpiY");
    if (s == platform::kOk) dpiOut = dpi;
    return s;
}

// ---- pens and brushes -------------------------------------------------------------------

platform::Status RecordingBackend::createPen(std::uint32_t argb, float width, std::int32_t unit,
                                             platform::PenHandle& out) {
    const platform::Status s = status("createPen");
    if (s == platform::kOk) out = make<platform::PenHandle>("pen");
    log("createPen(" + hex(argb) + ", " + num(width) + ", " + num(unit) + ") -> " + nameOf(out));
    return s;
}
platform::Status RecordingBackend::setPenColor(platform::PenHandle pen, std::uint32_t argb) {
    log("setPenColor(" + nameOf(pen) + ", " + hex(argb) + ")");
    return status("setPenColor");
}
platform::Status RecordingBackend::setPenWidth(platform::PenHandle pen, float width) {
    log("setPenWidth(" + nameOf(pen) + ", " + num(width) + ")");
    return status("setPenWidth");
}
platform::Status RecordingBackend::setPenDashStyle(platform::PenHandle pen,
                                                   std::int32_t dashStyle) {
    log("setPenDashStyle(" + nameOf(pen) + ", " + num(dashStyle) + ")");
    return status("setPenDashStyle");
}
platform::Status RecordingBackend::deletePen(platform::PenHandle pen) {
    log("deletePen(" + nameOf(pen) + ")");
    drop(pen);
    return status("deletePen");
}
platform::Status RecordingBackend::createSolidFill(std::uint32_t argb, platform::BrushHandle& out) {
    const platform::Status s = status("createSolidFill");
    if (s == platform::kOk) out = make<platform::BrushHandle>("brush");
    log("createSolidFill(" + hex(argb) + ") -> " + nameOf(out));
    return s;
}
platform::Status RecordingBackend::setSolidFillColor(platform::BrushHandle brush,
                                                     std::uint32_t argb) {
    log("setSolidFillColor(" + nameOf(brush) + ", " + hex(argb) + ")");
    return status("setSolidFillColor");
}
platform::Status RecordingBackend::deleteBrush(platform::BrushHandle brush) {
    log("deleteBrush(" + nameOf(brush) + ")");
    drop(brush);
    return status("deleteBrush");
}

// ---- primitives -------------------------------------------------------------------------

platform::Status RecordingBackend::drawLineI(platform::GraphicsHandle graphics,
                                             platform::PenHandle pen, std::int32_t x1,
                                             std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    log("drawLineI(" + nameOf(graphics) + ", " + nameOf(pen) + ", " + num(x1) + ", " + num(y1) +
        ", " + num(x2) + ", " + num(y2) + ")");
    return status("drawLineI");
}
platform::Status RecordingBackend::drawRectangle(platform::GraphicsHandle graphics,
                                                 platform::PenHandle pen, float x, float y,
                                                 float width, float height) {
    log("drawRectangle(" + nameOf(graphics) + ", " + nameOf(pen) + ", " + num(x) + ", " + num(y) +
        ", " + num(width) + ", " + num(height) + ")");
    return status("drawRectangle");
}
platform::Status RecordingBackend::fillRectangle(platform::GraphicsHandle graphics,
                                                 platform::BrushHandle brush, float x, float y,
                                                 float width, float height) {
    log("fillRectangle(" + nameOf(graphics) + ", " + nameOf(brush) + ", " + num(x) + ", " + num(y) +
        ", " + num(width) + ", " + num(height) + ")");
    return status("fillRectangle");
}
platform::Status RecordingBackend::drawEllipseI(platform::GraphicsHandle graphics,
                                                platform::PenHandle pen, std::int32_t x,
                                                std::int32_t y, std::int32_t width,
                                                std::int32_t height) {
    log("drawEllipseI(" + nameOf(graphics) + ", " + nameOf(pen) + ", " + num(x) + ", " + num(y) +
        ", " + num(width) + ", " + num(height) + ")");
    return status("drawEllipseI");
}
platform::Status RecordingBackend::fillEllipseI(platform::GraphicsHandle graphics,
                                                platform::BrushHandle brush, std::int32_t x,
                                                std::int32_t y, std::int32_t width,
                                                std::int32_t height) {
    log("fillEllipseI(" + nameOf(graphics) + ", " + nameOf(brush) + ", " + num(x) + ", " + num(y) +
        ", " + num(width) + ", " + num(height) + ")");
    return status("fillEllipseI");
}
platform::Status RecordingBackend::createPath(std::int32_t fillMode, platform::PathHandle& out) {
    const platform::Status s = status("createPath");
    if (s == platform::kOk) out = make<platform::PathHandle>("path");
    log("createPath(" + num(fillMode) + ") -> " + nameOf(out));
    return s;
}
platform::Status RecordingBackend::addPathArc(platform::PathHandle path, float x, float y,
                                              float width, float height, float startAngle,
                                              float sweepAngle) {
    log("addPathArc(" + nameOf(path) + ", " + num(x) + ", " + num(y) + ", " + num(width) + ", " +
        num(height) + ", " + num(startAngle) + ", " + num(sweepAngle) + ")");
    return status("addPathArc");
}
platform::Status RecordingBackend::drawPath(platform::GraphicsHandle graphics,
                                            platform::PenHandle pen, platform::PathHandle path) {
    log("drawPath(" + nameOf(graphics) + ", " + nameOf(pen) + ", " + nameOf(path) + ")");
    return status("drawPath");
}
platform::Status RecordingBackend::fillPath(platform::GraphicsHandle graphics,
                                            platform::BrushHandle brush,
                                            platform::PathHandle path) {
    log("fillPath(" + nameOf(graphics) + ", " + nameOf(brush) + ", " + nameOf(path) + ")");
    return status("fillPath");
}
platform::Status RecordingBackend::deletePath(platform::PathHandle path) {
    log("deletePath(" + nameOf(path) + ")");
    drop(path);
    return status("deletePath");
}
platform::Status RecordingBackend::drawLines(platform::GraphicsHandle graphics,
                                             platform::PenHandle pen, const platform::PointF* p,
                                             std::int32_t count) {
    log("drawLines(" + nameOf(graphics) + ", " + nameOf(pen) + ", " + points(p, count) + ")");
    return status("drawLines");
}
platform::Status RecordingBackend::drawPolygon(platform::GraphicsHandle graphics,
                                               platform::PenHandle pen, const platform::PointF* p,
                                               std::int32_t count) {
    log("drawPolygon(" + nameOf(graphics) + ", " + nameOf(pen) + ", " + points(p, count) + ")");
    return status("drawPolygon");
}
platform::Status RecordingBackend::fillPolygon(platform::GraphicsHandle graphics,
                                               platform::BrushHandle brush,
                                               const platform::PointF* p, std::int32_t count,
                                               std::int32_t fillMode) {
    log("fillPolygon(" + nameOf(graphics) + ", " + nameOf(brush) + ", " + points(p, count) + ", " +
        num(fillMode) + ")");
    return status("fillPolygon");
}

// ---- text -------------------------------------------------------------------------------

platform::Status RecordingBackend::measureString(platform::GraphicsHandle graphics,
                                                 const char16_t* text, std::int32_t length,
                                                 platform::FontHandle font,
                                                 const platform::RectF& layout,
                                                 platform::RectF& boundingBox) {
    log("measureString(" + nameOf(graphics) + ", \"" + narrow(text) + "\", " + num(length) + ", " +
        nameOf(font) + ", " + num(layout.x) + ", " + num(layout.y) + ", " + num(layout.width) +
        ", " + num(layout.height) + ")");
    platform::Status s = status("measureString");
    if (!font && s == platform::kOk) s = platform::kInvalidParameter;
    if (s == platform::kOk) boundingBox = platform::RectF{layout.x, layout.y, measuredWidth, 10};
    return s;
}
platform::Status RecordingBackend::drawString(platform::GraphicsHandle graphics,
                                              const char16_t* text, std::int32_t length,
                                              platform::FontHandle font,
                                              const platform::RectF& layout,
                                              platform::BrushHandle brush) {
    log("drawString(" + nameOf(graphics) + ", \"" + narrow(text) + "\", " + num(length) + ", " +
        nameOf(font) + ", " + num(layout.x) + ", " + num(layout.y) + ", " + num(layout.width) +
        ", " + num(layout.height) + ", " + nameOf(brush) + ")");
    return status("drawString");
}
platform::Status RecordingBackend::createFontFamily(const char16_t* name,
                                                    platform::FontFamilyHandle& out) {
    platform::Status s = status("createFontFamily");
    if (s == platform::kOk && installedFamilies.count(name ? std::u16string(name) : u"") == 0)
        s = 14; // FontFamilyNotFound
    if (s == platform::kOk) out = make<platform::FontFamilyHandle>("family");
    log("createFontFamily(\"" + narrow(name) + "\") -> " + nameOf(out));
    return s;
}
platform::Status RecordingBackend::deleteFontFamily(platform::FontFamilyHandle family) {
    log("deleteFontFamily(" + nameOf(family) + ")");
    drop(family);
    return status("deleteFontFamily");
}
platform::Status RecordingBackend::createFont(platform::FontFamilyHandle family, float size,
                                              std::int32_t style, std::int32_t unit,
                                              platform::FontHandle& out) {
    const platform::Status s = status("createFont");
    if (s == platform::kOk) out = make<platform::FontHandle>("font");
    log("createFont(" + nameOf(family) + ", " + num(size) + ", " + num(style) + ", " + num(unit) +
        ") -> " + nameOf(out));
    return s;
}
platform::Status RecordingBackend::deleteFont(platform::FontHandle font) {
    log("deleteFont(" + nameOf(font) + ")");
    drop(font);
    return status("deleteFont");
}
platform::Status RecordingBackend::getFontHeightGivenDpi(platform::FontHandle font, float dpiIn,
                                                         float& height) {
    log("getFontHeightGivenDpi(" + nameOf(font) + ", " + num(dpiIn) + ")");
    platform::Status s = status("getFontHeightGivenDpi");
    if (!font && s == platform::kOk) s = platform::kInvalidParameter;
    if (s == platform::kOk) height = fontHeight;
    return s;
}

// ---- images -----------------------------------------------------------------------------

platform::Status RecordingBackend::createBitmapFromScan0(std::int32_t width, std::int32_t height,
                                                         std::int32_t stride,
                                                         std::int32_t pixelFormat, void* pixels,
                                                         platform::ImageHandle& out) {
    platform::Status s = status("createBitmapFromScan0");
    if (s == platform::kOk && (width <= 0 || height <= 0)) s = platform::kInvalidParameter;
    if (s == platform::kOk) {
        out = make<platform::ImageHandle>("image");
        m_imageSizes[reinterpret_cast<std::uintptr_t>(out)] = {static_cast<std::uint32_t>(width),
                                                               static_cast<std::uint32_t>(height)};
    }
    log("createBitmapFromScan0(" + num(width) + ", " + num(height) + ", " + num(stride) + ", " +
        hex(static_cast<std::uint32_t>(pixelFormat)) + ", " + (pixels ? "pixels" : "none") +
        ") -> " + nameOf(out));
    return s;
}
platform::Status RecordingBackend::createBitmapFromEncodedBytes(const void* data,
                                                                std::uint32_t size,
                                                                platform::ImageHandle& out) {
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
        m_imageSizes[reinterpret_cast<std::uintptr_t>(out)] = {w, h};
    }
    log("createBitmapFromEncodedBytes(" + num(size) + ") -> " + nameOf(out));
    return s;
}
platform::Status
RecordingBackend::createBitmapFromModuleResource(const platform::ResourceName& name,
                                                 platform::ImageHandle& out) {
    platform::Status s = status("createBitmapFromModuleResource");
    const auto it = name.name ? resourceImages.find(name.name) : resourceImages.end();
    if (s == platform::kOk && it == resourceImages.end()) s = 2;
    if (s == platform::kOk) {
        out = make<platform::ImageHandle>("image");
        m_imageSizes[reinterpret_cast<std::uintptr_t>(out)] = it->second;
    }
    log("createBitmapFromModuleResource(" + resource(name) + ") -> " + nameOf(out));
    return s;
}
platform::Status RecordingBackend::createBitmapFromDeviceBitmap(platform::DeviceBitmapHandle bitmap,
                                                                platform::ImageHandle& out) {
    log("createBitmapFromDeviceBitmap(" + nameOf(bitmap) + ")");
    (void)out;
    return platform::kNotImplemented;
}
platform::Status RecordingBackend::cloneBitmapAreaI(std::int32_t x, std::int32_t y,
                                                    std::int32_t width, std::int32_t height,
                                                    std::int32_t pixelFormat,
                                                    platform::ImageHandle source,
                                                    platform::ImageHandle& out) {
    platform::Status s = status("cloneBitmapAreaI");
    if (s == platform::kOk && (!source || width <= 0 || height <= 0))
        s = platform::kInvalidParameter;
    if (s == platform::kOk) {
        out = make<platform::ImageHandle>("image");
        m_imageSizes[reinterpret_cast<std::uintptr_t>(out)] = {static_cast<std::uint32_t>(width),
                                                               static_cast<std::uint32_t>(height)};
    }
    log("cloneBitmapAreaI(" + num(x) + ", " + num(y) + ", " + num(width) + ", " + num(height) +
        ", " + hex(static_cast<std::uint32_t>(pixelFormat)) + ", " + nameOf(source) + ") -> " +
        nameOf(out));
    return s;
}
platform::Status RecordingBackend::getImageWidth(platform::ImageHandle image,
                                                 std::uint32_t& width) {
    log("getImageWidth(" + nameOf(image) + ")");
    const auto it = m_imageSizes.find(reinterpret_cast<std::uintptr_t>(image));
    if (it == m_imageSizes.end()) return platform::kInvalidParameter;
    width = it->second.first;
    return status("getImageWidth");
}
platform::Status RecordingBackend::getImageHeight(platform::ImageHandle image,
                                                  std::uint32_t& height) {
    log("getImageHeight(" + nameOf(image) + ")");
    const auto it = m_imageSizes.find(reinterpret_cast<std::uintptr_t>(image));
    if (it == m_imageSizes.end()) return platform::kInvalidParameter;
    height = it->second.second;
    return status("getImageHeight");
}
platform::Status RecordingBackend::drawImageRectRectI(platform::GraphicsHandle graphics,
                                                      platform::ImageHandle image,
                                                      std::int32_t dstX, std::int32_t dstY,
                                                      std::int32_t dstWidth, std::int32_t dstHeight,
                                                      std::int32_t srcX, std::int32_t srcY,
                                                      std::int32_t srcWidth, std::int32_t srcHeight,
                                                      platform::ImageAttributesHandle attributes) {
    log("drawImageRectRectI(" + nameOf(graphics) + ", " + nameOf(image) + ", " + num(dstX) + ", " +
        num(dstY) + ", " + num(dstWidth) + ", " + num(dstHeight) + ", " + num(srcX) + ", " +
        num(srcY) + ", " + num(srcWidth) + ", " + num(srcHeight) + ", " + nameOf(attributes) + ")");
    return status("drawImageRectRectI");
}
platform::Status RecordingBackend::disposeImage(platform::ImageHandle image) {
    log("disposeImage(" + nameOf(image) + ")");
    drop(image);
    m_imageSizes.erase(reinterpret_cast<std::uintptr_t>(image));
    return status("disposeImage");
}
platform::Status RecordingBackend::getBitmapPixel(platform::ImageHandle image, std::int32_t x,
                                                  std::int32_t y, std::uint32_t& argb) {
    log("getBitmapPixel(" + nameOf(image) + ", " + num(x) + ", " + num(y) + ")");
    argb = 0;
    return status("getBitmapPixel");
}
platform::Status RecordingBackend::createImageAttributes(platform::ImageAttributesHandle& out) {
    const platform::Status s = status("createImageAttributes");
    if (s == platform::kOk) out = make<platform::ImageAttributesHandle>("attributes");
    log("createImageAttributes() -> " + nameOf(out));
    return s;
}
platform::Status
RecordingBackend::setImageAttributesColorMatrix(platform::ImageAttributesHandle attributes,
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
platform::Status
RecordingBackend::disposeImageAttributes(platform::ImageAttributesHandle attributes) {
    log("disposeImageAttributes(" + nameOf(attributes) + ")");
    drop(attributes);
    return status("disposeImageAttributes");
}
void RecordingBackend::deleteDeviceBitmap(platform::DeviceBitmapHandle bitmap) {
    log("deleteDeviceBitmap(" + nameOf(bitmap) + ")");
}

bool RecordingBackend::findDataResource(const platform::ResourceName& name,
                                        platform::ResourceBytes& out) {
    log("findDataResource(" + resource(name) + ")");
    if (!name.name) return false;
    const auto it = dataResources.find(name.name);
    if (it == dataResources.end()) return false;
    out.data = it->second.data();
    out.size = static_cast<std::uint32_t>(it->second.size());
    return true;
}

// ---- windows ----------------------------------------------------------------------------

platform::WindowHandle RecordingBackend::makeWindow(const platform::RectI& rect,
                                                    platform::WindowHandle parent,
                                                    const std::u16string& className) {
    auto handle = make<platform::WindowHandle>("window");
    Window& w = m_windows[handle];
    w.parent = parent;
    w.rect = rect;
    w.className = className;
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

platform::DeviceContextHandle
RecordingBackend::getWindowDeviceContext(platform::WindowHandle window) {
    auto dc = make<platform::DeviceContextHandle>("dc");
    log("getWindowDeviceContext(" + nameOf(window) + ") -> " + nameOf(dc));
    return dc;
}
void RecordingBackend::releaseWindowDeviceContext(platform::WindowHandle window,
                                                  platform::DeviceContextHandle dc) {
    log("releaseWindowDeviceContext(" + nameOf(window) + ", " + nameOf(dc) + ")");
    drop(dc);
}
bool RecordingBackend::registerFrameWindowClass() {
    log("registerFrameWindowClass()");
    ++classRegistrations;
    classRegistered = true;
    return true;
}
void RecordingBackend::unregisterFrameWindowClass() {
    log("unregisterFrameWindowClass()");
    ++classUnregistrations;
    classRegistered = false;
}
platform::WindowHandle RecordingBackend::createFrameWindow(platform::WindowHandle parent,
                                                           std::int32_t width, std::int32_t height,
                                                           bool composited,
                                                           platform::WindowMessageSink* sink) {
    platform::RectI rect;
    if (hasWindow(parent)) rect = window(parent).rect;
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    auto handle = makeWindow(rect, parent, u"Plugin");
    window(handle).sink = sink;
    lastCreatedWindow = handle;
    log("createFrameWindow(" + nameOf(parent) + ", " + num(width) + ", " + num(height) + ", " +
        (composited ? "composited" : "plain") + ") -> " + nameOf(handle));
    return handle;
}
void RecordingBackend::clearWindowUserData(platform::WindowHandle handle) {
    log("clearWindowUserData(" + nameOf(handle) + ")");
    if (hasWindow(handle)) window(handle).sink = nullptr;
}
void RecordingBackend::destroyWindow(platform::WindowHandle handle) {
    log("destroyWindow(" + nameOf(handle) + ")");
    if (!hasWindow(handle)) return;
    // As the system does: the window gets its destroy message before it goes.
    platform::WindowMessage message;
    message.kind = platform::MessageKind::destroy;
    send(handle, message);
    window(handle).destroyed = true;
}
void RecordingBackend::invalidateRect(platform::WindowHandle handle, const platform::RectI& rect,
                                      bool erase) {
    log("invalidateRect(" + nameOf(handle) + ", " + num(rect.left) + ", " + num(rect.top) + ", " +
        num(rect.right) + ", " + num(rect.bottom) + ", " + (erase ? "erase" : "keep") + ")");
}
void RecordingBackend::setCapture(platform::WindowHandle handle) {
    log("setCapture(" + nameOf(handle) + ")");
    capture = handle;
}
void RecordingBackend::releaseCapture() {
    log("releaseCapture()");
    capture = nullptr;
}
bool RecordingBackend::requestMouseLeaveNotice(platform::WindowHandle handle) {
    log("requestMouseLeaveNotice(" + nameOf(handle) + ")");
    return status("requestMouseLeaveNotice") == platform::kOk;
}
platform::WindowHandle RecordingBackend::getParent(platform::WindowHandle handle) {
    return hasWindow(handle) ? window(handle).parent : nullptr;
}
std::u16string RecordingBackend::getClassName(platform::WindowHandle handle) {
    return hasWindow(handle) ? window(handle).className : std::u16string();
}
bool RecordingBackend::getWindowRect(platform::WindowHandle handle, platform::RectI& rect) {
    if (!hasWindow(handle)) {
        rect = platform::RectI();
        return false;
    }
    rect = window(handle).rect;
    return true;
}
bool RecordingBackend::setWindowSize(platform::WindowHandle handle, std::int32_t width,
                                     std::int32_t height) {
    log("setWindowSize(" + nameOf(handle) + ", " + num(width) + ", " + num(height) + ")");
    if (!hasWindow(handle)) return false;
    platform::RectI& r = window(handle).rect;
    r.right = r.left + width;
    r.bottom = r.top + height;
    return true;
}
void RecordingBackend::mapWindowPoints(platform::WindowHandle from, platform::WindowHandle to,
                                       platform::PointI* p, std::int32_t count) {
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
std::uint32_t RecordingBackend::getWindowStyle(platform::WindowHandle handle) {
    return hasWindow(handle) ? window(handle).style : 0;
}

// ---- cursor, input, time ----------------------------------------------------------------

platform::CursorHandle RecordingBackend::getCursor() {
    log("getCursor()");
    return currentCursor;
}
void RecordingBackend::setCursor(platform::CursorHandle handle) {
    log("setCursor(" + hex(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle))) +
        ")");
    currentCursor = handle;
}
void RecordingBackend::setSystemCursor(std::int32_t shape) {
    log("setSystemCursor(" + num(shape) + ")");
}
bool RecordingBackend::getCursorPosition(platform::PointI& point) {
    if (!cursorPath.empty()) {
        point = cursorPath.front();
        cursorPath.pop_front();
    } else {
        point = cursor;
    }
    return true;
}
bool RecordingBackend::isMessageKeyDown(platform::MessageKey key) {
    return messageKeysDown.count(key) != 0;
}
bool RecordingBackend::isKeyPressedNow(platform::PolledKey key) {
    return pressedNow.count(key) != 0;
}
bool RecordingBackend::areMouseButtonsSwapped() {
    return swappedButtons;
}
std::int32_t RecordingBackend::dialogFrameHeight() {
    return dialogFrame;
}
std::uint32_t RecordingBackend::osMajorVersion() {
    return osMajor;
}
std::uint32_t RecordingBackend::tickCount() {
    const std::uint32_t now = ticks.front();
    if (ticks.size() > 1) ticks.pop_front();
    return now;
}
std::uint32_t RecordingBackend::messageTime() {
    return msgTime;
}
std::uint32_t RecordingBackend::doubleClickTime() {
    return dblClickTime;
}
bool RecordingBackend::takeLeftButtonDownMessage() {
    if (pendingLeftDowns <= 0) return false;
    --pendingLeftDowns;
    log("takeLeftButtonDownMessage()");
    return true;
}

std::int32_t RecordingBackend::oleInitialize() {
    log("oleInitialize()");
    return oleResult;
}
void RecordingBackend::oleUninitialize() {
    log("oleUninitialize()");
}
bool RecordingBackend::registerDropTarget(platform::WindowHandle handle,
                                          platform::DropEvents* events) {
    log("registerDropTarget(" + nameOf(handle) + ")");
    if (!hasWindow(handle)) return false;
    window(handle).dropRegistered = true;
    window(handle).dropEvents = events;
    return true;
}
void RecordingBackend::revokeDropTarget(platform::WindowHandle handle) {
    log("revokeDropTarget(" + nameOf(handle) + ")");
    if (!hasWindow(handle)) return;
    window(handle).dropRegistered = false;
    window(handle).dropEvents = nullptr;
}

} // namespace VSTGUI::test
