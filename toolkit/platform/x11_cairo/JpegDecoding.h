// SPDX-License-Identifier: MIT
// JPEG images of the Linux back end, decoded by libjpeg(-turbo) into cairo image surfaces.
#pragma once

#include <cairo.h>

#include <cstddef>

namespace VSTGUI::x11 {

// True when the bytes start with a JPEG stream's start-of-image marker.
bool looksLikeJpeg(const unsigned char* data, std::size_t size);

// The picture as an opaque ARGB32 image surface, or nullptr when the bytes are not a complete,
// sound JPEG stream the decoder can show (truncated or corrupt data, a colour space other than
// grey, YCbCr, RGB, CMYK or YCCK, a picture larger than 2^26 pixels). Never ends the process.
// [ui]
cairo_surface_t* decodeJpeg(const unsigned char* data, std::size_t size);

} // namespace VSTGUI::x11
