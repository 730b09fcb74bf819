// SPDX-License-Identifier: MIT
// Fonts and text of the canvas interface.
#include "TarvoCanvas.h"

#include "host/CVeST.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"

#include <cmath>
#include <new>

using VSTGUI::CCoordRect;
using VSTGUI::CDrawContext;
using VSTGUI::CFontDesc;

namespace {

CDrawContext* contextOf(CVeST* shell) noexcept {
    return shell != nullptr ? shell->drawContext() : nullptr;
}

const char* textOf(const char* text) noexcept {
    return text != nullptr ? text : "";
}

// Equal ignoring the letter case of A to Z; other bytes compare as they are.
bool sameFace(const char* a, const char* b) noexcept {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    for (;; ++a, ++b) {
        const unsigned char ca = static_cast<unsigned char>(*a);
        const unsigned char cb = static_cast<unsigned char>(*b);
        if (lower(ca) != lower(cb)) return false;
        if (ca == 0) return true;
    }
}

// 0 left, 1 centre, 2 right; anything else centres.
VSTGUI::CHoriTxtAlign alignmentOf(TarvoInt alignment) noexcept {
    switch (alignment) {
    case 0:
        return VSTGUI::kAlignLeft;
    case 2:
        return VSTGUI::kAlignRight;
    default:
        return VSTGUI::kAlignCenter;
    }
}

// The newest cached description of the face, added (size 0, style 0) when there is none.
CFontDesc* cachedFace(CVeST* shell, const char* face) {
    std::vector<VSTGUI::CBaseObject*>& cache = shell->fontCache();
    for (auto it = cache.rbegin(); it != cache.rend(); ++it) {
        auto* font = static_cast<CFontDesc*>(*it);
        if (font != nullptr && sameFace(textOf(font->getName()), face)) return font;
    }
    auto* font = new (std::nothrow) CFontDesc(face, 0.0, 0);
    if (font == nullptr) return nullptr;
    try {
        cache.push_back(font);
    } catch (...) {
        font->release();
        return nullptr;
    }
    return font;
}

} // namespace

TarvoInt canvasSetFont(CVeST* shell, const char* face, TarvoInt size, TarvoInt style) {
    CDrawContext* context = contextOf(shell);
    if (context == nullptr) return 0;
    CFontDesc* font = cachedFace(shell, textOf(face));
    if (font == nullptr) return 0;
    context->setFont(font, size, style);
    return 1;
}

double canvasStringWidth(CVeST* shell, const char* text) {
    CDrawContext* context = contextOf(shell);
    if (context == nullptr) return 0.0;
    // A missing text measures as an empty one, as every other text function treats it.
    return context->getStringWidth(textOf(text));
}

TarvoInt canvasFontSize(CVeST* shell) {
    CDrawContext* context = contextOf(shell);
    if (context == nullptr || context->getFont() == nullptr) return 0;
    const double size = std::trunc(context->getFont()->getSize());
    if (!(size > -2147483648.0 && size < 2147483648.0)) return 0;
    return static_cast<TarvoInt>(size);
}

TarvoInt canvasTextAt(CVeST* shell, const char* text, double x, double y, TarvoInt antiAlias) {
    CDrawContext* context = contextOf(shell);
    if (context == nullptr) return 0;
    context->drawString(textOf(text), VSTGUI::CCoordPoint(x, y), (antiAlias & 0xFF) != 0);
    return 1;
}

TarvoInt canvasTextAligned(CVeST* shell, const char* text, double left, double top, double right,
                           double bottom, TarvoInt alignment, TarvoInt antiAlias) {
    CDrawContext* context = contextOf(shell);
    if (context == nullptr) return 0;
    context->drawString(textOf(text), CCoordRect(left, top, right, bottom), alignmentOf(alignment),
                        (antiAlias & 0xFF) != 0);
    return 1;
}

TarvoInt canvasTextInRect(CVeST* shell, const char* text, double left, double top, double right,
                          double bottom, TarvoInt ignored, TarvoInt alignment) {
    CDrawContext* context = contextOf(shell);
    if (context == nullptr) return 0;
    context->drawString(textOf(text), CCoordRect(left, top, right, bottom),
                        static_cast<std::int16_t>(ignored & 0xFF), alignmentOf(alignment));
    return 1;
}
