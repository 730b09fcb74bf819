// SPDX-License-Identifier: MIT
// The toolkit's Linux back end: cairo for drawing and images (CairoDrawing.cpp, with JPEG
// images through libjpeg), fontconfig (through cairo's FreeType font faces) for fonts, Xlib for
// the frame's child window, pointer and keys (X11Window.cpp), and XDND for drops
// (XdndDrop.cpp). This header holds what tests and hosts may ask of it beyond the seam.
//
// Drawing follows the rules the Windows library applies, so that both back ends give the same
// pixels for the same calls: integer coordinates are pixel centres (every shape is drawn half a
// pixel down and right in cairo's space), shapes are anti-aliased only in smoothing mode
// anti-alias, a one-pixel line covers both its end pixels, arcs run clockwise from the
// positive x axis in degrees and a text's layout rectangle starts at the top of its line.
// A device context is a cairo surface (the paint buffer of a frame window); images are cairo
// image surfaces in premultiplied ARGB.
//
// One display connection serves every frame of the process: the first registration of the
// frame window class opens it and the last unregistration closes it.              [ui]
#pragma once

#include "toolkit/platform/Drawing2D.h"

#include <cstdint>
#include <string>
#include <vector>

namespace VSTGUI::x11 {

// Handles every pending event of the frame windows' display connection, then paints every
// frame window with a waiting update area. Does nothing while no frame window exists; reads
// no events when called again from inside a message it is delivering.             [ui]
void processEvents();
// The display connection the frame windows use (null while no frame is open), for tests and
// hosts that want to share it.
struct DisplayInfo {
    void* display = nullptr;  // the Xlib Display*
    std::int32_t users = 0;   // frames holding it open
    std::uint32_t opened = 0; // times a connection was opened in this process
};
DisplayInfo displayInfo();

// The local paths of the file:// URIs of a text/uri-list (percent escapes decoded; other
// schemes, other hosts and paths with a NUL are skipped), in order.
std::vector<std::string> pathsOfUriList(const std::string& list);

// One pixel of an image as straight (not premultiplied) ARGB; kInvalidParameter outside it.
platform::Status pixelOf(platform::ImageHandle image, std::int32_t x, std::int32_t y,
                         std::uint32_t& argb);

} // namespace VSTGUI::x11
