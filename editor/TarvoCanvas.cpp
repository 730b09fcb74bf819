// SPDX-License-Identifier: MIT
#include "TarvoCanvas.h"

#include "CVeSTEditor.h"
#include "host/CVeST.h"
#include "toolkit/CDrawContext.h"

#include <new>

using VSTGUI::CCoordPoint;
using VSTGUI::CCoordRect;
using VSTGUI::CDrawContext;

namespace {

CDrawContext* contextOf(CVeST* shell) noexcept {
    return shell != nullptr ? shell->drawContext() : nullptr;
}

// Low 8 bits of each component, no clamping.
VSTGUI::CRgbaColor colorOf(TarvoInt red, TarvoInt green, TarvoInt blue, TarvoInt alpha) noexcept {
    return {static_cast<std::uint8_t>(red & 0xFF), static_cast<std::uint8_t>(green & 0xFF),
            static_cast<std::uint8_t>(blue & 0xFF), static_cast<std::uint8_t>(alpha & 0xFF)};
}

} // namespace

TarvoInt canvasSetDrawMode(CVeST* shell, TarvoInt mode) {
    CDrawContext* context = contextOf(shell);
    if (context == nullptr) return 0;
    context->setDrawMode(mode);
    return 1;
}

TarvoInt canvasSetTextColor(CVeST* shell, TarvoInt red, TarvoInt green, TarvoInt blue,
                            TarvoInt alpha) {
    CDrawContext* context = contextOf(shell);
    if (context == nullptr) return 0;
    context->setFontColor(colorOf(red, green, blue, alpha));
    return 1;
}

TarvoInt canvasSetFillColor(CVeST* shell, TarvoInt red, TarvoInt green, TarvoInt blue,
                            TarvoInt alpha) {
    CDrawContext* context = contextOf(shell);
    if (context == nullptr) return 0;
    context->setFillColor(colorOf(red, green, blue, alpha));
    return 1;
}

TarvoInt canvasSetLineColor(CVeST* shell, TarvoInt red, TarvoInt green, TarvoInt blue,
                            TarvoInt alpha) {
    CDrawContext* context = contextOf(shell);
    if (context == nullptr) return 0;
    context->setFrameColor(colorOf(red, green, blue, alpha));
    return 1;
}

TarvoInt canvasMoveTo(CVeST* shell, double x, double y) {
    CDrawContext* context = contextOf(shell);
    if (context == nullptr) return 0;
    context->moveTo(CCoordPoint(x, y));
    return 1;
}

TarvoInt canvasLineTo(CVeST* shell, double x, double y) {
    CDrawContext* context = contextOf(shell);
    if (context == nullptr) return 0;
    context->lineTo(CCoordPoint(x, y));
    return 1;
}

TarvoInt canvasArc(CVeST* shell, double left, double top, double right, double bottom,
                   double startAngle, double endAngle, TarvoInt style) {
    CDrawContext* context = contextOf(shell);
    if (context == nullptr) return 0;
    context->drawArc(CCoordRect(left, top, right, bottom), static_cast<float>(startAngle),
                     static_cast<float>(endAngle), style);
    return 1;
}

TarvoInt canvasRect(CVeST* shell, double left, double top, double right, double bottom,
                    TarvoInt style) {
    CDrawContext* context = contextOf(shell);
    if (context == nullptr) return 0;
    context->drawRect(CCoordRect(left, top, right, bottom), style);
    return 1;
}

TarvoInt canvasEllipse(CVeST* shell, double left, double top, double right, double bottom,
                       TarvoInt style) {
    CDrawContext* context = contextOf(shell);
    if (context == nullptr) return 0;
    context->drawEllipse(CCoordRect(left, top, right, bottom), style);
    return 1;
}

TarvoInt canvasPoint(CVeST* shell, double x, double y, TarvoInt red, TarvoInt green, TarvoInt blue,
                     TarvoInt alpha) {
    CDrawContext* context = contextOf(shell);
    if (context == nullptr) return 0;
    context->drawPoint(CCoordPoint(x, y), colorOf(red, green, blue, alpha));
    return 1;
}

TarvoInt canvasGetPoint(CVeST* shell, double x, double y, TarvoInt* red, TarvoInt* green,
                        TarvoInt* blue, TarvoInt* alpha) {
    CDrawContext* context = contextOf(shell);
    if (context == nullptr) return 0;
    const VSTGUI::CRgbaColor color = context->getPoint(CCoordPoint(x, y));
    if (red != nullptr) *red = color.red;
    if (green != nullptr) *green = color.green;
    if (blue != nullptr) *blue = color.blue;
    if (alpha != nullptr) *alpha = color.alpha;
    return 1;
}

TarvoInt createEditor(CVeST* shell, TarvoInt width, TarvoInt height) {
    if (shell == nullptr || shell->getEditor() != nullptr) return 0;
    // The editor registers itself as the shell's editor, which owns it from then on.
    auto* editor = new (std::nothrow) CVeSTEditor(shell, width, height);
    return editor != nullptr ? 1 : 0; // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks)
}

TarvoInt canvasEditorSize(CVeST* shell, TarvoInt* width, TarvoInt* height) {
    if (shell == nullptr) return 0;
    const auto* editor = dynamic_cast<const CVeSTEditor*>(shell->getEditor());
    if (editor == nullptr) return 0;
    if (width != nullptr) *width = editor->width();
    if (height != nullptr) *height = editor->height();
    return 1;
}

const CanvasInterface& toolkitCanvas() {
    static const CanvasInterface canvas{
        canvasSetDrawMode,
        canvasSetTextColor,
        canvasSetFillColor,
        canvasSetLineColor,
        canvasStringWidth,
        canvasFontSize,
        canvasMoveTo,
        canvasLineTo,
        canvasArc,
        canvasRect,
        canvasEllipse,
        canvasTextAt,
        canvasTextAligned,
        canvasTextInRect,
        canvasPoint,
        canvasGetPoint,
        canvasSetFont,
        createEditor,
        canvasEditorSize,
        imageNew,
        imageDelete,
        imageLoadFile,
        imageLoadResourceName,
        imageLoadResourceId,
        imageWidth,
        imageHeight,
        imageGetTransparentColor,
        imageSetTransparentColor,
        imageGetNoAlpha,
        imageSetNoAlpha,
        imageDraw,
        imageDrawAlpha,
        imageDrawTransparent,
    };
    return canvas;
}
