// SPDX-License-Identifier: MIT
#include "CTarvoGraphics.h"

CTarvoGraphics::~CTarvoGraphics() {
    const CanvasInterface* canvas = hostCanvas(Shell());
    for (auto& [number, image] : m_images)
        if (canvas != nullptr && canvas->imageDelete != nullptr) canvas->imageDelete(image);
    m_images.clear();
}
