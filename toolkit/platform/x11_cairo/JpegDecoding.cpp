// SPDX-License-Identifier: MIT
// JPEG decoding through libjpeg. The library reports a fatal error by calling the error
// manager's exit routine, which by default ends the process: ours jumps back to the decoder's
// entry instead, which frees the library's state and answers "no picture". Warnings (premature
// end of data, corrupt entropy-coded data) are treated the same way: the library would go on
// and fill the missing part with grey, and a half-grey picture is worse than none.
//
// Between the jump target and the jump only plain C records live (the library's state and the
// surface pointer, kept on the heap): the jump skips no destructor and no local changes.
#include "JpegDecoding.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <new>

#include <jpeglib.h>

namespace VSTGUI::x11 {

namespace {

// Larger pictures are refused before any pixel memory is asked for: a corrupt header may
// claim up to 65,500 × 65,500 pixels.
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 26;

struct ErrorManager {
    jpeg_error_mgr base; // first: the library hands back a pointer to it
    std::jmp_buf jump;
};

[[noreturn]] void failDecoding(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    std::longjmp(errors->jump, 1);
}

void refuseWarnings(j_common_ptr info, int level) {
    // Level -1 is a warning about the data; higher levels are trace messages.
    if (level < 0) failDecoding(info);
}

void quiet(j_common_ptr /*info*/) {}

std::uint32_t opaque(unsigned red, unsigned green, unsigned blue) {
    return 0xFF000000u | (red << 16) | (green << 8) | blue;
}

// One decoded row into the surface's row. CMYK from Adobe applications (the files that carry
// the Adobe marker) is stored inverted: 255 means no ink.
void convertRow(const JSAMPLE* from, std::uint32_t* to, JDIMENSION width, bool cmyk,
                bool invertedCmyk) {
    for (JDIMENSION x = 0; x < width; ++x) {
        if (!cmyk) {
            to[x] = opaque(from[0], from[1], from[2]);
            from += 3;
            continue;
        }
        unsigned c = from[0], m = from[1], y = from[2], k = from[3];
        if (!invertedCmyk) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        to[x] = opaque((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
        from += 4;
    }
}

} // namespace

bool looksLikeJpeg(const unsigned char* data, std::size_t size) {
    return data != nullptr && size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

namespace {

// Everything the jump may leave behind, on the heap so that no local changes between the jump
// target and the jump.
struct Decoding {
    jpeg_decompress_struct info;
    ErrorManager errors;
    cairo_surface_t* surface;
};

// Decodes into d.surface; any fault jumps to d.errors.jump.
void readPicture(Decoding& d, const unsigned char* data, std::size_t size) {
    jpeg_decompress_struct& info = d.info;
    const auto common = reinterpret_cast<j_common_ptr>(&info);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE); // a stream without a picture is an error
    bool cmyk = false;
    switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        info.out_color_space = JCS_RGB;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        info.out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default:
        failDecoding(common);
    }
    if (static_cast<std::uint64_t>(info.image_width) * info.image_height > kMaxPixels)
        failDecoding(common);
    jpeg_start_decompress(&info);
    const JDIMENSION width = info.output_width;
    d.surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width),
                                           static_cast<int>(info.output_height));
    if (cairo_surface_status(d.surface) != CAIRO_STATUS_SUCCESS) failDecoding(common);
    cairo_surface_flush(d.surface);
    unsigned char* pixels = cairo_image_surface_get_data(d.surface);
    const int stride = cairo_image_surface_get_stride(d.surface);
    // Freed with the library's state.
    JSAMPARRAY row = (*info.mem->alloc_sarray)(
        common, JPOOL_IMAGE, width * static_cast<JDIMENSION>(info.output_components), 1);
    const bool invertedCmyk = cmyk && info.saw_Adobe_marker;
    while (info.output_scanline < info.output_height) {
        const JDIMENSION y = info.output_scanline;
        if (jpeg_read_scanlines(&info, row, 1) != 1) failDecoding(common);
        auto* to =
            reinterpret_cast<std::uint32_t*>(pixels + static_cast<std::ptrdiff_t>(y) * stride);
        convertRow(row[0], to, width, cmyk, invertedCmyk);
    }
    jpeg_finish_decompress(&info);
    cairo_surface_mark_dirty(d.surface);
}

} // namespace

cairo_surface_t* decodeJpeg(const unsigned char* data, std::size_t size) {
    if (!looksLikeJpeg(data, size)) return nullptr;
    auto* const d = new (std::nothrow) Decoding{};
    if (d == nullptr) return nullptr;
    d->info.err = jpeg_std_error(&d->errors.base);
    d->errors.base.error_exit = failDecoding;
    d->errors.base.emit_message = refuseWarnings;
    d->errors.base.output_message = quiet;
    cairo_surface_t* surface = nullptr;
    if (setjmp(d->errors.jump) == 0) {
        readPicture(*d, data, size);
        surface = d->surface;
    } else if (d->surface != nullptr) {
        cairo_surface_destroy(d->surface);
    }
    jpeg_destroy_decompress(&d->info);
    delete d;
    return surface;
}

} // namespace VSTGUI::x11
