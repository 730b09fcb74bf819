// SPDX-License-Identifier: MIT
#include "toolkit/CBitmap.h"

#include "toolkit/CDrawContext.h"
#include "toolkit/GDIPlusGlobals.h"
#include "toolkit/platform/WindowSystem.h"

namespace VSTGUI {

namespace draw2d = platform::drawing2d;
namespace winsys = platform::window_system;

namespace {

platform::ResourceName resourceName(const CResourceDescription& description) {
    platform::ResourceName name;
    if (description.type == CResourceDescription::kIntegerType)
        name.number = static_cast<std::uint16_t>(description.id & 0xFFFF);
    else
        name.name = description.name.c_str();
    return name;
}

} // namespace

PlatformBitmap::~PlatformBitmap() {
    if (handle) draw2d::disposeImage(handle);
}

CBitmap::CBitmap(const CResourceDescription& description) : m_description(description) {
    GDIPlusGlobals::enter();
    CBitmap::loadFromResource(description);
}

CBitmap::CBitmap(CFrame* /*frame*/, double width, double height)
    : m_width(width), m_height(height) {
    GDIPlusGlobals::enter();
    platform::ImageHandle image = nullptr;
    const platform::Status status = draw2d::createBitmapFromScan0(
        trunc32(width), trunc32(height), 0, platform::kPixelFormat32bppARGB, nullptr, image);
    m_platformBitmap = std::make_unique<PlatformBitmap>(status == platform::kOk ? image : nullptr);
    m_platformBitmap->record(status);
}

CBitmap::CBitmap(platform::ImageHandle source) {
    GDIPlusGlobals::enter();
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (draw2d::getImageHeight(source, height) != platform::kOk) height = 0;
    if (draw2d::getImageWidth(source, width) != platform::kOk) width = 0;
    platform::ImageHandle copy = nullptr;
    if (draw2d::cloneBitmapAreaI(0, 0, static_cast<std::int32_t>(width),
                                 static_cast<std::int32_t>(height), platform::kPixelFormat32bppARGB,
                                 source, copy) == platform::kOk &&
        copy) {
        m_platformBitmap = std::make_unique<PlatformBitmap>(copy);
        readSize();
    }
}

CBitmap* CBitmap::decode(const void* bytes, std::uint32_t size) {
    if (!bytes || size == 0) return nullptr;
    // The decoder needs the 2-D library running, which a first image may not find yet.
    GDIPlusGlobals::enter();
    platform::ImageHandle decoded = nullptr;
    if (draw2d::createBitmapFromEncodedBytes(bytes, size, decoded) != platform::kOk)
        decoded = nullptr;
    CBitmap* bitmap = decoded ? new CBitmap(decoded) : nullptr;
    if (decoded) draw2d::disposeImage(decoded);
    GDIPlusGlobals::exit();
    return bitmap;
}

CBitmap::~CBitmap() {
    CBitmap::dispose();
    GDIPlusGlobals::exit();
}

void CBitmap::readSize() {
    m_width = 0;
    m_height = 0;
    if (!m_platformBitmap) return;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (m_platformBitmap->record(draw2d::getImageWidth(m_platformBitmap->handle, width)) ==
        platform::kOk)
        m_width = width;
    if (m_platformBitmap->record(draw2d::getImageHeight(m_platformBitmap->handle, height)) ==
        platform::kOk)
        m_height = height;
}

void CBitmap::dispose() {
    m_platformBitmap.reset();
    if (m_deviceBitmap) draw2d::deleteDeviceBitmap(m_deviceBitmap);
    m_deviceBitmap = nullptr;
    m_pixelBuffer = nullptr;
    m_width = 0;
    m_height = 0;
    m_noAlpha = false;
}

void CBitmap::forget() {
    dispose();
}

bool CBitmap::loadFromResource(const CResourceDescription& description) {
    CBitmap::dispose();
    const platform::ResourceName name = resourceName(description);
    platform::ResourceBytes bytes;
    if (winsys::findDataResource(name, bytes) && bytes.data) {
        platform::ImageHandle image = nullptr;
        const platform::Status status =
            draw2d::createBitmapFromEncodedBytes(bytes.data, bytes.size, image);
        m_platformBitmap =
            std::make_unique<PlatformBitmap>(status == platform::kOk ? image : nullptr);
        m_platformBitmap->record(status);
    }
    if (!m_platformBitmap) {
        platform::ImageHandle image = nullptr;
        if (draw2d::createBitmapFromModuleResource(name, image) == platform::kOk && image)
            m_platformBitmap = std::make_unique<PlatformBitmap>(image);
    }
    readSize();
    return true;
}

PlatformBitmap* CBitmap::getPlatformBitmap() {
    if (m_platformBitmap) return m_platformBitmap.get();
    if (!m_deviceBitmap) return nullptr;
    platform::ImageHandle image = nullptr;
    platform::Status status = platform::kOk;
    if (m_pixelBuffer)
        status =
            draw2d::createBitmapFromScan0(trunc32(m_width), trunc32(m_height), 4 * trunc32(m_width),
                                          platform::kPixelFormat32bppPARGB, m_pixelBuffer, image);
    else
        status = draw2d::createBitmapFromDeviceBitmap(m_deviceBitmap, image);
    m_platformBitmap = std::make_unique<PlatformBitmap>(status == platform::kOk ? image : nullptr);
    m_platformBitmap->record(status);
    return m_platformBitmap.get();
}

void CBitmap::draw(CDrawContext* context, const CCoordRect& rect, const CCoordPoint& offset) {
    drawAlphaBlend(context, rect, offset, 255);
}

void CBitmap::drawTransparent(CDrawContext* context, const CCoordRect& rect,
                              const CCoordPoint& offset) {
    drawAlphaBlend(context, rect, offset, 255);
}

void CBitmap::drawAlphaBlend(CDrawContext* context, const CCoordRect& rect,
                             const CCoordPoint& offset, std::uint8_t alpha) {
    if (!context) return;
    PlatformBitmap* bitmap = getPlatformBitmap();
    PlatformGraphics* graphics = context->getGraphics();
    if (!bitmap || !graphics) return;
    const std::int32_t w = trunc32(rect.right - rect.left);
    const std::int32_t h = trunc32(rect.bottom - rect.top);
    const std::int32_t dx = trunc32(rect.left) + trunc32(context->getOffset().x);
    const std::int32_t dy = trunc32(rect.top) + trunc32(context->getOffset().y);
    const std::int32_t sx = trunc32(offset.x);
    const std::int32_t sy = trunc32(offset.y);
    platform::ImageAttributesHandle attributes = nullptr;
    if (draw2d::createImageAttributes(attributes) != platform::kOk) attributes = nullptr;
    if (alpha == 255) {
        graphics->record(draw2d::drawImageRectRectI(graphics->handle, bitmap->handle, dx, dy, w, h,
                                                    sx, sy, w, h, nullptr));
    } else {
        float matrix[25] = {};
        matrix[0] = 1.0f;
        matrix[6] = 1.0f;
        matrix[12] = 1.0f;
        matrix[18] = static_cast<float>(alpha) / 255.0f;
        draw2d::setImageAttributesColorMatrix(attributes, platform::kColorAdjustBitmap, true,
                                              matrix, platform::kColorMatrixFlagsDefault);
        platform::ImageHandle temporary = nullptr;
        if (draw2d::createBitmapFromScan0(w, h, 0, platform::kPixelFormat32bppARGB, nullptr,
                                          temporary) != platform::kOk)
            temporary = nullptr;
        platform::GraphicsHandle temporaryGraphics = nullptr;
        if (draw2d::createGraphicsOnImage(temporary, temporaryGraphics) != platform::kOk)
            temporaryGraphics = nullptr;
        draw2d::drawImageRectRectI(temporaryGraphics, bitmap->handle, 0, 0, w, h, sx, sy, w, h,
                                   nullptr);
        graphics->record(draw2d::drawImageRectRectI(graphics->handle, temporary, dx, dy, w, h, 0, 0,
                                                    w, h, attributes));
        if (temporaryGraphics) draw2d::deleteGraphics(temporaryGraphics);
        if (temporary) draw2d::disposeImage(temporary);
    }
    if (attributes) draw2d::disposeImageAttributes(attributes);
}

} // namespace VSTGUI
