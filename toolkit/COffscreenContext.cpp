// SPDX-License-Identifier: MIT
#include "toolkit/COffscreenContext.h"

#include "toolkit/CBitmap.h"

#include <algorithm>

namespace VSTGUI {

COffscreenContext::COffscreenContext(CFrame* frame, std::int32_t width, std::int32_t height,
                                     const CRgbaColor& background)
    : CDrawContext(frame, nullptr, nullptr), m_width(width), m_height(height),
      m_backgroundColor(background) {
    m_clipRect = CCoordRect(std::min(0.0, m_width), std::min(0.0, m_height), std::max(0.0, m_width),
                            std::max(0.0, m_height));
    m_bitmap = new CBitmap(frame, m_width, m_height);
    PlatformBitmap* image = m_bitmap->getPlatformBitmap();
    createGraphicsOnImage(image ? image->handle : nullptr);
}

COffscreenContext::~COffscreenContext() {
    // The bitmap may hold the last reference to the 2-D library: every object of the library
    // (the graphics object draws into the bitmap's image) goes before it.
    deletePlatformObjects();
    m_bitmap->release();
}

} // namespace VSTGUI
