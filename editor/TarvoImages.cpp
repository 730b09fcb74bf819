// SPDX-License-Identifier: MIT
// The image functions of the canvas interface: holders of at most one toolkit bitmap each.
#include "TarvoCanvas.h"

#include "host/CVeST.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

using VSTGUI::CBitmap;

struct TarvoImage {
    CBitmap* bitmap = nullptr; // one reference, owned
};

namespace {

void dropImage(TarvoImage& image) noexcept {
    if (image.bitmap != nullptr) image.bitmap->release();
    image.bitmap = nullptr;
}

// Holds `bitmap` only when it has pixels; answers whether it does.
TarvoInt holdIfNotEmpty(TarvoImage& image, CBitmap* bitmap) noexcept {
    if (bitmap == nullptr) return 0;
    if (bitmap->getWidth() > 0.0 && bitmap->getHeight() > 0.0) {
        image.bitmap = bitmap;
        return 1;
    }
    bitmap->release();
    return 0;
}

// The whole file; false when it cannot be read. The path is UTF-8 on every platform.
bool readFile(const char* path, std::vector<char>& bytes) {
    const auto* first = reinterpret_cast<const char8_t*>(path);
    std::ifstream file(std::filesystem::path(std::u8string(first)), std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

double truncatedSize(double size) noexcept {
    return std::trunc(size);
}

VSTGUI::CDrawContext* contextOf(CVeST* shell) noexcept {
    return shell != nullptr ? shell->drawContext() : nullptr;
}

} // namespace

TarvoImage* imageNew() {
    return new (std::nothrow) TarvoImage;
}

TarvoInt imageDelete(TarvoImage* image) {
    if (image == nullptr) return 0;
    dropImage(*image);
    delete image;
    return 1;
}

TarvoInt imageLoadFile(TarvoImage* image, const char* path) {
    if (image == nullptr) return 0;
    dropImage(*image);
    if (path == nullptr) return 0;
    try {
        std::vector<char> bytes;
        if (!readFile(path, bytes)) return 0;
        image->bitmap = CBitmap::decode(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        return image->bitmap != nullptr ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

TarvoInt imageLoadResourceName(TarvoImage* image, const char* name) {
    if (image == nullptr) return 0;
    dropImage(*image);
    if (name == nullptr) return 0;
    // Held by the holder or released there.
    auto* bitmap = new (std::nothrow) CBitmap(VSTGUI::CResourceDescription(name));
    return holdIfNotEmpty(*image, bitmap); // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks)
}

TarvoInt imageLoadResourceId(TarvoImage* image, TarvoInt number) {
    if (image == nullptr) return 0;
    dropImage(*image);
    auto* bitmap = new (std::nothrow) CBitmap(VSTGUI::CResourceDescription(number));
    return holdIfNotEmpty(*image, bitmap); // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks)
}

double imageWidth(TarvoImage* image) {
    if (image == nullptr || image->bitmap == nullptr) return 0.0;
    return truncatedSize(image->bitmap->getWidth());
}

double imageHeight(TarvoImage* image) {
    if (image == nullptr || image->bitmap == nullptr) return 0.0;
    return truncatedSize(image->bitmap->getHeight());
}

TarvoInt imageGetTransparentColor(TarvoImage* image, TarvoInt* red, TarvoInt* green, TarvoInt* blue,
                                  TarvoInt* alpha) {
    if (image == nullptr || image->bitmap == nullptr) return 0;
    const VSTGUI::CRgbaColor color = image->bitmap->getTransparentColor();
    if (red != nullptr) *red = color.red;
    if (green != nullptr) *green = color.green;
    if (blue != nullptr) *blue = color.blue;
    if (alpha != nullptr) *alpha = color.alpha;
    return 1;
}

TarvoInt imageSetTransparentColor(TarvoImage* image, TarvoInt red, TarvoInt green, TarvoInt blue,
                                  TarvoInt alpha) {
    if (image == nullptr || image->bitmap == nullptr) return 0;
    image->bitmap->setTransparentColor(
        {static_cast<std::uint8_t>(red & 0xFF), static_cast<std::uint8_t>(green & 0xFF),
         static_cast<std::uint8_t>(blue & 0xFF), static_cast<std::uint8_t>(alpha & 0xFF)});
    return 1;
}

TarvoInt imageGetNoAlpha(TarvoImage* image) {
    if (image == nullptr || image->bitmap == nullptr) return 0;
    return image->bitmap->getNoAlpha() ? 1 : 0;
}

TarvoInt imageSetNoAlpha(TarvoImage* image, TarvoInt flag) {
    if (image == nullptr || image->bitmap == nullptr) return 0;
    image->bitmap->setNoAlpha((flag & 0xFF) != 0);
    return 1;
}

TarvoInt imageDraw(TarvoImage* image, CVeST* shell, double left, double top, double right,
                   double bottom, double sourceX, double sourceY) {
    VSTGUI::CDrawContext* context = contextOf(shell);
    if (image == nullptr || image->bitmap == nullptr || context == nullptr) return 0;
    image->bitmap->draw(context, VSTGUI::CCoordRect(left, top, right, bottom),
                        VSTGUI::CCoordPoint(sourceX, sourceY));
    return 1;
}

TarvoInt imageDrawAlpha(TarvoImage* image, CVeST* shell, double left, double top, double right,
                        double bottom, double sourceX, double sourceY, TarvoInt alpha) {
    VSTGUI::CDrawContext* context = contextOf(shell);
    if (image == nullptr || image->bitmap == nullptr || context == nullptr) return 0;
    image->bitmap->drawAlphaBlend(context, VSTGUI::CCoordRect(left, top, right, bottom),
                                  VSTGUI::CCoordPoint(sourceX, sourceY),
                                  static_cast<std::uint8_t>(alpha & 0xFF));
    return 1;
}

TarvoInt imageDrawTransparent(TarvoImage* image, CVeST* shell, double left, double top,
                              double right, double bottom, double sourceX, double sourceY) {
    VSTGUI::CDrawContext* context = contextOf(shell);
    if (image == nullptr || image->bitmap == nullptr || context == nullptr) return 0;
    image->bitmap->drawTransparent(context, VSTGUI::CCoordRect(left, top, right, bottom),
                                   VSTGUI::CCoordPoint(sourceX, sourceY));
    return 1;
}
