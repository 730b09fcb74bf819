// SPDX-License-Identifier: MIT
#include "X11TestSupport.h"

#include <cairo.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace x11_test {

std::string readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Picture pictureOf(VSTGUI::platform::ImageHandle image) {
    namespace b = VSTGUI::platform::drawing2d;
    Picture p;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    b::getImageWidth(image, width);
    b::getImageHeight(image, height);
    p.width = static_cast<int>(width);
    p.height = static_cast<int>(height);
    p.argb.resize(static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height));
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            VSTGUI::x11::pixelOf(image, x, y, p.argb[static_cast<std::size_t>(y * p.width + x)]);
    return p;
}

Picture loadPng(const char* path) {
    Picture p;
    cairo_surface_t* surface = cairo_image_surface_create_from_png(path);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return p;
    }
    const bool alpha = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32;
    p.width = cairo_image_surface_get_width(surface);
    p.height = cairo_image_surface_get_height(surface);
    p.argb.resize(static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height));
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            std::uint32_t v = reinterpret_cast<const std::uint32_t*>(data + y * stride)[x];
            const std::uint32_t a = alpha ? v >> 24 : 255u;
            if (a == 0) {
                v = 0;
            } else {
                const auto straight = [a](std::uint32_t c) {
                    return std::min(255u, (c * 255 + a / 2) / a);
                };
                v = (a << 24) | (straight((v >> 16) & 0xFF) << 16) |
                    (straight((v >> 8) & 0xFF) << 8) | straight(v & 0xFF);
            }
            p.argb[static_cast<std::size_t>(y * p.width + x)] = v;
        }
    cairo_surface_destroy(surface);
    return p;
}

Picture crop(const Picture& p, int left, int top, int right, int bottom) {
    Picture out;
    out.width = right - left;
    out.height = bottom - top;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            out.argb.push_back(p.argb[static_cast<std::size_t>(y * p.width + x)]);
    return out;
}

namespace {
int channelDifference(std::uint32_t a, std::uint32_t b, int shift) {
    return std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
}
} // namespace

Comparison compare(const Picture& a, const Picture& b) {
    Comparison result;
    if (a.width != b.width || a.height != b.height) return result;
    double sum = 0;
    for (std::size_t i = 0; i < a.argb.size(); ++i) {
        int worst = 0;
        for (int shift : {0, 8, 16, 24}) {
            const int d = channelDifference(a.argb[i], b.argb[i], shift);
            sum += d;
            worst = std::max(worst, d);
        }
        result.largest = std::max(result.largest, worst);
        if (worst > 64) ++result.farOff;
    }
    result.pixels = static_cast<int>(a.argb.size());
    result.meanDifference = a.argb.empty() ? 0.0 : sum / (4.0 * static_cast<double>(a.argb.size()));
    return result;
}

std::string saveSideBySide(const Picture& a, const Picture& b, const char* name) {
    const int gap = 4;
    const int width = a.width * 3 + gap * 2;
    cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, a.height);
    unsigned char* data = cairo_image_surface_get_data(out);
    const int stride = cairo_image_surface_get_stride(out);
    const auto put = [&](int x, int y, std::uint32_t argb) {
        reinterpret_cast<std::uint32_t*>(data + y * stride)[x] = argb & 0xFFFFFFu;
    };
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < width; ++x)
            put(x, y, 0x808080u);
        for (int x = 0; x < a.width; ++x) {
            const std::uint32_t pa = a.argb[static_cast<std::size_t>(y * a.width + x)];
            const std::uint32_t pb = b.argb[static_cast<std::size_t>(y * b.width + x)];
            put(x, y, pa);
            put(a.width + gap + x, y, pb);
            std::uint32_t d = 0;
            for (int shift : {0, 8, 16})
                d |= static_cast<std::uint32_t>(std::min(255, 4 * channelDifference(pa, pb, shift)))
                     << shift;
            put(2 * (a.width + gap) + x, y, d);
        }
    }
    cairo_surface_mark_dirty(out);
    mkdir(QT_TEST_PICTURES_DIR, 0755);
    const std::string path = std::string(QT_TEST_PICTURES_DIR) + "/" + name;
    const bool ok = cairo_surface_write_to_png(out, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(out);
    return ok ? path : std::string();
}

} // namespace x11_test
