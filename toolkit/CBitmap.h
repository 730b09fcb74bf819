// SPDX-License-Identifier: MIT
// The toolkit's image: one platform bitmap with its size, drawn into a draw context with an
// optional constant opacity. Made from a "DATA" resource of the module, from a size (empty
// 32-bit ARGB pixels), or as a copy of another platform bitmap. Each bitmap keeps the 2-D
// library started (GDIPlusGlobals) while it lives.
#pragma once

#include "toolkit/CBaseObject.h"
#include "toolkit/CCoordRect.h"
#include "toolkit/CRgbaColor.h"
#include "toolkit/PlatformObject.h"

#include <cstdint>
#include <memory>
#include <string>

namespace VSTGUI {

class CDrawContext;
class CFrame;

// Which resource: kind 0 is a number (its low 16 bits count), any other kind a name.
struct CResourceDescription {
    enum : std::int32_t { kIntegerType = 0, kStringType = 1, kUnknownType = 2 };
    std::int32_t type = kUnknownType;
    std::int32_t id = 0;
    std::string name;

    CResourceDescription() = default;
    explicit CResourceDescription(std::int32_t number) : type(kIntegerType), id(number) {}
    explicit CResourceDescription(const char* resourceName)
        : type(kStringType), name(resourceName ? resourceName : "") {}
};

// The platform bitmap; disposing the wrapper disposes the native image. Its handle may be
// none (a decoder that failed still leaves a wrapper).
class PlatformBitmap : public PlatformObject<platform::ImageHandle> {
public:
    explicit PlatformBitmap(platform::ImageHandle image) { handle = image; }
    ~PlatformBitmap();
    PlatformBitmap(const PlatformBitmap&) = delete;
    PlatformBitmap& operator=(const PlatformBitmap&) = delete;
};

class CBitmap : public CBaseObject {
public:
    explicit CBitmap(const CResourceDescription& description);
    // Empty 32-bit ARGB pixels of width x height (each truncated); the frame is not used.
    CBitmap(CFrame* frame, double width, double height);
    // A copy of the whole of `source` (which stays the caller's); empty if the copy fails.
    explicit CBitmap(platform::ImageHandle source);
    // A new bitmap of the picture in `bytes` (any format the platform decoder reads); null when
    // they cannot be decoded.
    static CBitmap* decode(const void* bytes, std::uint32_t size);
    ~CBitmap() override;

    virtual void draw(CDrawContext* context, const CCoordRect& rect,
                      const CCoordPoint& offset = CCoordPoint());
    virtual void drawTransparent(CDrawContext* context, const CCoordRect& rect,
                                 const CCoordPoint& offset = CCoordPoint());
    virtual void drawAlphaBlend(CDrawContext* context, const CCoordRect& rect,
                                const CCoordPoint& offset = CCoordPoint(),
                                std::uint8_t alpha = 128);
    // Releases the image and every other pixel source; size 0; no-alpha flag false.
    virtual void dispose();
    // Always true; a resource that is missing or cannot be decoded leaves the size 0.
    virtual bool loadFromResource(const CResourceDescription& description);
    virtual void forget();

    // The platform bitmap, made from the device bitmap if needed; none without any source.
    PlatformBitmap* getPlatformBitmap();

    void setTransparentColor(const CRgbaColor& color) { m_transparentColor = color; }
    CRgbaColor getTransparentColor() const { return m_transparentColor; }
    void setNoAlpha(bool noAlpha) { m_noAlpha = noAlpha; }
    bool getNoAlpha() const { return m_noAlpha; }
    double getWidth() const { return m_width; }
    double getHeight() const { return m_height; }
    const CResourceDescription& getResourceDescription() const { return m_description; }

protected:
    void readSize();

    CResourceDescription m_description;
    double m_width = 0.0;
    double m_height = 0.0;
    CRgbaColor m_transparentColor{255, 255, 255, 0};
    bool m_noAlpha = true;
    platform::DeviceBitmapHandle m_deviceBitmap = nullptr;
    std::unique_ptr<PlatformBitmap> m_platformBitmap;
    void* m_pixelBuffer = nullptr; // premultiplied ARGB rows when set (never, so far)
};

} // namespace VSTGUI
