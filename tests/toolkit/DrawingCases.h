// SPDX-License-Identifier: MIT
// The drawing cases every 2-D back end runs (DrawingCases.cpp): pixels drawn through the draw
// context into offscreen bitmaps and read back, and the reference scene. Each back end's test
// program defines the three functions below, its own way.
#pragma once

#include "toolkit/CBitmap.h"
#include "toolkit/COffscreenContext.h"

#include <cstdint>

namespace drawing_cases {

// One pixel of the context's bitmap as straight (not premultiplied) ARGB.
std::uint32_t readPixel(VSTGUI::COffscreenContext* context, int x, int y);

// The 7 x 5 test picture (red at 0,0, blue at 6,0, green at 3,4 and 6,4), one reference for the
// caller; null when the back end cannot load it.
VSTGUI::CBitmap* loadTestImage();

// What the back end does with the reference scene once it is drawn: the Windows library's
// picture of it is the reference other back ends are compared with.
void checkReferenceScene(VSTGUI::COffscreenContext* context);

} // namespace drawing_cases
